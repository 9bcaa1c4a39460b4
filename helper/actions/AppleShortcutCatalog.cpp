#include "helper/actions/AppleShortcutCatalog.h"

#include "helper/actions/SystemValues.h"

namespace quorvel::AppleShortcutCatalog {

void runShortcut(platform::ProcessLauncher& launcher, const std::string& name)
{
    // The name is one argument as it stands: no shell sees it.
    launcher.launch(std::string(system_values::shortcutsExecutable),
                    {std::string(system_values::shortcutsRunArgument), name});
}

}  // namespace quorvel::AppleShortcutCatalog
