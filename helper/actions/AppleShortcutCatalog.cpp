#include "helper/actions/AppleShortcutCatalog.h"

#include "helper/actions/SystemValues.h"

namespace quorvel::AppleShortcutCatalog {

void runShortcut(platform::ProcessLauncher& launcher, const std::string& name)
{
    // The name is one argument as it stands: no shell sees it. A command line ends an argument
    // at a NUL character, so such a name would run another shortcut.
    if (name.find('\0') != std::string::npos) return;
    launcher.launch(std::string(system_values::shortcutsExecutable),
                    {std::string(system_values::shortcutsRunArgument), name});
}

}  // namespace quorvel::AppleShortcutCatalog
