#include "helper/actions/AccessibilityGate.h"

#include <map>

namespace quorvel::ActionDispatcher {

bool passAccessibilityGate(const ActionServices& services)
{
    if (services.accessibility.isProcessTrusted()) return true;
    const std::map<std::string, bool> promptOptions{{platform::trustedCheckOptionPrompt, true}};
    services.accessibility.isProcessTrustedWithOptions(promptOptions);
    services.alertSound.beep();
    return false;
}

bool activateApplication(const ActionServices& services, const std::string& bundleIdentifier)
{
    const auto location = services.workspace.urlForApplication(bundleIdentifier);
    if (!location) return false;
    services.workspace.openApplication(*location);
    return true;
}

}  // namespace quorvel::ActionDispatcher
