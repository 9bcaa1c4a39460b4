#pragma once

#include <optional>
#include <string>
#include <vector>

#include "helper/actions/ActionServices.h"

namespace quorvel::ActionDispatcher {

// Seeds the process-wide activation history with the front application and follows
// the workspace's activation notifications from now on. Idempotent.
void startTrackingApplications(const ActionServices& services);

// Brings back the application that was in front before the current one; repeating
// it toggles between two applications. Needs no accessibility permission.
void activatePreviousApplication(const ActionServices& services);

// Presses Command-Tab and keeps Command held for 30 seconds so the application
// switcher stays open. The caller has passed the accessibility gate.
void holdAppSwitcher(const ActionServices& services);

// The most recent application, other than the front one and the agent, to switch
// back to: from the history, else the first regular running application.
std::optional<std::string> previousApplicationBundleIdentifier(const ActionServices& services);

// The history, newest first.
std::vector<std::string> activationHistory();
// Forgets the history and the observer registration.
void resetApplicationTrackingForTesting();

}  // namespace quorvel::ActionDispatcher
