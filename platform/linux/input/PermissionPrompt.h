#pragma once

#include <optional>
#include <string>
#include <utility>

#include "platform/Log.h"
#include "platform/linux/input/DesktopNotifier.h"
#include "platform/linux/input/MonotonicClock.h"

namespace quorvel::linux_backend {

// What the user is told when the agent may not post input events: why, and how to grant
// access. `uinputError` is the errno of the failed attempt to make the virtual keyboard,
// `uinputGroup` the group that owns /dev/uinput (if it exists and is not root's).
DesktopNotification permissionNotification(int uinputError, const std::optional<std::string>& uinputGroup);

// The group owning /dev/uinput, when that is a group a user may sensibly join.
std::optional<std::string> uinputGroupName();

// Asks the user to grant access to /dev/uinput: a log line every time, and a desktop
// notification at most once a minute so that repeated gestures do not flood the desktop.
class PermissionPrompt {
public:
    static constexpr double minimumIntervalSeconds = 60.0;

    PermissionPrompt(DesktopNotifier& notifier, const MonotonicClock& clock, platform::Logger logger)
        : notifier_(notifier), clock_(clock), logger_(std::move(logger))
    {
    }

    void request(int uinputError);

private:
    DesktopNotifier& notifier_;
    const MonotonicClock& clock_;
    platform::Logger logger_;
    std::optional<double> lastShown_;
};

}  // namespace quorvel::linux_backend
