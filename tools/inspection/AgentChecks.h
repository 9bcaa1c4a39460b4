#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "helper/configuration/ConfigurationInForce.h"
#include "helper/configuration/editing/MachineLookups.h"
#include "tools/inspection/AgentOnBus.h"
#include "tools/inspection/DoctorCheck.h"
#include "tools/inspection/HelperLock.h"
#include "tools/inspection/UserUnit.h"

namespace quorvel::inspection {

// The agent running: its lock held, and its name on the session bus.
Check agentCheck(const LockHolder& lock, const AgentOnBus& bus);

// The user unit installed and enabled (advice: the agent may be started otherwise).
Check unitCheck(const UnitState& unit);

// The "suppress-actions" marker absent.
Check suppressMarkerCheck(const std::filesystem::path& marker);

// The configuration the agent would use: usable, switched on, assigning something; then one
// check for each switched-on action whose target this machine must have (an application, a
// URL handler, a shortcut that is executable and safe to run).
std::vector<Check> configurationChecks(const ConfigurationReading& reading, editing::MachineLookups& lookups,
                                       const std::filesystem::path& supportFolder);

// The kinds of the switched-on actions in force; none while corner taps are off.
std::set<std::string> assignedKinds(const AppConfiguration& configuration);

}  // namespace quorvel::inspection
