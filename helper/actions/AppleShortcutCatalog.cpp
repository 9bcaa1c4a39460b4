#include "helper/actions/AppleShortcutCatalog.h"

#include "helper/actions/SystemValues.h"
#include "platform/PrintableText.h"

namespace quorvel::AppleShortcutCatalog {

namespace {

void reportExit(const platform::Logger& logger, const std::string& shown, const platform::ProcessExit& exit)
{
    if (exit.signal) {
        logger.error("Shortcut %s was ended by signal %d%s%s%s", shown.c_str(), *exit.signal,
                     exit.signalName.empty() ? "" : " (", exit.signalName.c_str(), exit.signalName.empty() ? "" : ")");
    } else if (exit.exitStatus && *exit.exitStatus != 0) {
        logger.error("Shortcut %s ended with status %d", shown.c_str(), *exit.exitStatus);
    }
}

}  // namespace

void runShortcut(platform::ProcessLauncher& launcher, const platform::Logger& logger, const std::string& name)
{
    const std::string shown = platform::quotedForDisplay(name);
    // The name is one argument as it stands: no shell sees it.
    const auto failure = launcher.launch(
        std::string(system_values::shortcutsExecutable), {std::string(system_values::shortcutsRunArgument), name},
        [logger, shown](const platform::ProcessExit& exit) { reportExit(logger, shown, exit); });
    if (failure) logger.error("Could not start shortcut %s: %s", shown.c_str(), failure->c_str());
}

}  // namespace quorvel::AppleShortcutCatalog
