#pragma once

#include <string>

#include "platform/Log.h"
#include "platform/ProcessLauncher.h"

namespace quorvel::AppleShortcutCatalog {

// Starts the system shortcuts tool to run the named shortcut and does not wait for it.
// A shortcut that cannot be started, or that ends with a status other than 0 or by a
// signal, is logged with its name: the user otherwise only notices that nothing happened.
void runShortcut(platform::ProcessLauncher& launcher, const platform::Logger& logger, const std::string& name);

}  // namespace quorvel::AppleShortcutCatalog
