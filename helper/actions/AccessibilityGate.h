#pragma once

#include <string>

#include "helper/actions/ActionServices.h"

namespace quorvel::ActionDispatcher {

// Answers whether an action that synthesises input may go on. When the agent may
// not post input events, asks the system to prompt the user, beeps once and answers
// false; the caller then abandons the action. Evaluated afresh on every call.
bool passAccessibilityGate(const ActionServices& services);

// Launches the application with this identifier, or brings it to the front when it
// runs. True when the workspace knows such an application (the request was made).
bool activateApplication(const ActionServices& services, const std::string& bundleIdentifier);

}  // namespace quorvel::ActionDispatcher
