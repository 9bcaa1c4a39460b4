#include "helper/actions/ApplicationSwitching.h"

#include "helper/actions/AccessibilityGate.h"
#include "helper/actions/ActivationHistory.h"

namespace quorvel::ActionDispatcher {

namespace {

constexpr double commandHoldSeconds = 30.0;

// Process-wide: one history for the agent's life, fed by the workspace observer and
// read by every switch. Touched on the main thread only.
ActivationHistory& history()
{
    static ActivationHistory instance;
    return instance;
}

std::optional<std::string> frontBundleIdentifier(platform::Workspace& workspace)
{
    const auto front = workspace.frontmostApplication();
    return front ? front->bundleIdentifier : std::nullopt;
}

bool isOwn(const std::string& bundleIdentifier, const std::optional<std::string>& own)
{
    return own && *own == bundleIdentifier;
}

// A candidate to switch back to: neither the current application nor the agent.
bool isSwitchTarget(const std::string& candidate, const std::optional<std::string>& current,
                    const std::optional<std::string>& own)
{
    return !(current && *current == candidate) && !isOwn(candidate, own);
}

void postKey(platform::EventTap& tap, platform::VirtualKeyCode keyCode, bool keyDown,
             std::optional<platform::EventFlags> flags)
{
    // A key event that cannot be created is skipped; the rest are still posted.
    tap.postKeyboardEvent(platform::EventSourceState::hidSystemState, platform::EventTapLocation::hidEventTap,
                          platform::KeyboardEvent{keyCode, keyDown, flags});
}

}  // namespace

void startTrackingApplications(const ActionServices& services)
{
    if (history().observer()) return;

    auto& workspace = services.workspace;
    auto& mainQueue = services.mainQueue;
    const auto own = workspace.ownBundleIdentifier();
    if (const auto front = frontBundleIdentifier(workspace); front && !isOwn(*front, own)) {
        history().recordActivation(*front);
    }
    history().setObserver(workspace.observeApplicationActivation(
        [&workspace, &mainQueue](const std::optional<platform::RunningApplication>& application) {
            if (!application || !application->bundleIdentifier) return;
            const auto& identifier = *application->bundleIdentifier;
            if (isOwn(identifier, workspace.ownBundleIdentifier())) return;
            // Recorded after the callback returns, in the order the notifications came.
            mainQueue.startMainTask([identifier] { history().recordActivation(identifier); });
        }));
}

std::optional<std::string> previousApplicationBundleIdentifier(const ActionServices& services)
{
    const auto current = frontBundleIdentifier(services.workspace);
    const auto own = services.workspace.ownBundleIdentifier();
    for (const auto& entry : history().entries()) {
        if (isSwitchTarget(entry, current, own)) return entry;
    }
    for (const auto& application : services.workspace.runningApplications()) {
        if (application.activationPolicy != platform::ActivationPolicy::regular) continue;
        if (!application.bundleIdentifier) continue;
        if (isSwitchTarget(*application.bundleIdentifier, current, own)) return application.bundleIdentifier;
    }
    return std::nullopt;
}

void activatePreviousApplication(const ActionServices& services)
{
    const auto own = services.workspace.ownBundleIdentifier();
    // The notification for the front application may not have been handled yet.
    const auto current = frontBundleIdentifier(services.workspace);
    if (current && !isOwn(*current, own)) history().recordActivation(*current);

    const auto target = previousApplicationBundleIdentifier(services);
    if (!target) return;
    if (!activateApplication(services, *target)) return;
    // The target's own notification arrives later; by then it is already first.
    if (current && *current != *target && !isOwn(*current, own)) history().recordShortcutSwitch(*current, *target);
}

void holdAppSwitcher(const ActionServices& services)
{
    using namespace platform;
    auto& tap = services.eventTap;
    postKey(tap, key_code::command, true, event_flag::command);
    postKey(tap, key_code::tab, true, event_flag::command);
    postKey(tap, key_code::tab, false, event_flag::command);
    // Each call releases its own hold; an earlier release is neither cancelled nor merged.
    services.mainQueue.asyncAfter(commandHoldSeconds,
                                  [&tap] { postKey(tap, key_code::command, false, std::nullopt); });
}

std::vector<std::string> activationHistory() { return history().entries(); }

void resetApplicationTrackingForTesting() { history() = ActivationHistory{}; }

}  // namespace quorvel::ActionDispatcher
