#pragma once

#include <filesystem>
#include <string>

#include "helper/configuration/ActionKind.h"
#include "helper/configuration/ConfigurationInForce.h"

namespace quorvel::editing {

// One action for a person: its kind and arguments, e.g. `openApp "Firefox" (firefox-esr)`.
std::string describeAction(const ActionKind& kind);

// `quorvel config show`: which configuration is in force and why, the master switch, the
// tuning, then per corner its double- and triple-tap action and whether it is switched on.
std::string configurationReport(const std::filesystem::path& file, const FileReadResult& read);

}  // namespace quorvel::editing
