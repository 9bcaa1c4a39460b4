#pragma once

#include <string>

#include "platform/ProcessLauncher.h"

namespace quorvel::AppleShortcutCatalog {

// Starts the system shortcuts tool to run the named shortcut and does not wait for
// it. A launch failure is not reported: the user notices that nothing happened.
void runShortcut(platform::ProcessLauncher& launcher, const std::string& name);

}  // namespace quorvel::AppleShortcutCatalog
