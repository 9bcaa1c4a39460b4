#pragma once

#include <memory>

#include "platform/AlertSound.h"
#include "platform/Log.h"
#include "platform/linux/input/BellAlertSound.h"
#include "platform/linux/input/GDBusDesktopNotifier.h"
#include "platform/linux/input/MonotonicClock.h"
#include "platform/linux/input/PermissionPrompt.h"
#include "platform/linux/input/SpawnProcessLauncher.h"
#include "platform/linux/input/UinputAccessibility.h"
#include "platform/linux/input/UinputEventTap.h"
#include "platform/linux/input/UinputKeyboard.h"
#include "platform/linux/input/VirtualKeyboardSlot.h"

namespace quorvel::linux_backend {

// The input-side services of the agent, made together once when the agent starts (the
// virtual keyboard is made right away) and kept for its life. Main thread only.
class LinuxInputServices {
public:
    explicit LinuxInputServices(platform::LogSink& log);

    platform::EventTap& eventTap() { return eventTap_; }
    platform::Accessibility& accessibility() { return accessibility_; }
    platform::ProcessLauncher& processLauncher() { return launcher_; }
    platform::AlertSound& alertSound() { return *alertSound_; }

private:
    UinputKeyboardFactory keyboardFactory_;
    VirtualKeyboardSlot keyboard_;
    UinputEventTap eventTap_;
    SteadyMonotonicClock clock_;
    GDBusDesktopNotifier notifier_;
    PermissionPrompt prompt_;
    UinputAccessibility accessibility_;
    SpawnProcessLauncher launcher_;
    std::unique_ptr<BellAlertSound> alertSound_;
};

}  // namespace quorvel::linux_backend
