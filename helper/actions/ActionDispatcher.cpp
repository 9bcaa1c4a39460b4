#include "helper/actions/ActionDispatcher.h"

#include <type_traits>

namespace quorvel::ActionDispatcher {

void run(const ActionServices& services, const AssignedAction& action, const TrackpadGesture& /*gesture*/)
{
    std::visit(
        [&services](const auto& kind) {
            using Kind = std::decay_t<decltype(kind)>;
            if constexpr (std::is_same_v<Kind, ActionKind::OpenApp>) {
                openApp(services, kind.name, kind.bundleIdentifier);
            } else if constexpr (std::is_same_v<Kind, ActionKind::OpenURL>) {
                openURL(services, kind.urlString);
            } else if constexpr (std::is_same_v<Kind, ActionKind::Media>) {
                runMediaCommand(services, kind.command);
            } else if constexpr (std::is_same_v<Kind, ActionKind::Mute>) {
                runMediaCommand(services, MediaCommand::mute);
            } else if constexpr (std::is_same_v<Kind, ActionKind::TextSnippet>) {
                pasteTextSnippet(services, kind.text);
            } else if constexpr (std::is_same_v<Kind, ActionKind::RunShortcut>) {
                AppleShortcutCatalog::runShortcut(services.processLauncher, actionLogger(services), kind.name);
            } else if constexpr (std::is_same_v<Kind, ActionKind::SwitchApps>) {
                activatePreviousApplication(services);
            } else if constexpr (std::is_same_v<Kind, ActionKind::ShowAppSwitcher>) {
                if (passAccessibilityGate(services)) holdAppSwitcher(services);
            } else if constexpr (std::is_same_v<Kind, ActionKind::NextInputSource>) {
                changeKeyboardLanguage(services);
            } else if constexpr (std::is_same_v<Kind, ActionKind::ShowSpotlightSearch>) {
                showSpotlightSearch(services);
            } else {
                static_assert(!sizeof(Kind), "every action kind is dispatched");
            }
        },
        action.kind.value);
}

}  // namespace quorvel::ActionDispatcher
