#pragma once

#include "helper/runner/HelperServices.h"
#include "platform/linux/LinuxMultitouchFramework.h"
#include "platform/linux/desktop/DesktopServices.h"
#include "platform/linux/input/LinuxInputServices.h"
#include "platform/linux/runtime/GLibMainQueue.h"
#include "platform/linux/runtime/JournalLogSink.h"
#include "platform/linux/runtime/RandomUuidSource.h"
#include "platform/linux/runtime/SystemWallClock.h"
#include "platform/linux/runtime/system_events/LinuxSystemEventObservers.h"

namespace quorvel {

// Every Linux backend the agent runs on, made once on the main thread at start-up and
// kept until the process exits. The main queue is the default GLib main context.
// Services the session does not offer (no X server, no session bus, no /dev/uinput)
// are still present and simply do nothing, so the agent runs wherever the touchpad can
// be read.
class LinuxHelperServices {
public:
    LinuxHelperServices();
    LinuxHelperServices(const LinuxHelperServices&) = delete;
    LinuxHelperServices& operator=(const LinuxHelperServices&) = delete;
    ~LinuxHelperServices();

    HelperServices services();

    linux_backend::GLibMainQueue& mainQueue() { return mainQueue_; }
    platform::LogSink& logSink() { return log_; }
    platform::WallClock& wallClock() { return wallClock_; }

private:
    linux_backend::GLibMainQueue mainQueue_;
    linux_backend::JournalLogSink log_;
    linux_backend::SystemWallClock wallClock_;
    linux_backend::RandomUuidSource uuids_;
    linux_backend::LinuxSystemEventObservers systemEvents_;
    linux_backend::LinuxMultitouchFramework multitouch_;
    // Before the desktop services: GNOME's input sources press its switch chord on the event tap.
    linux_backend::LinuxInputServices input_;
    linux_backend::DesktopServices desktop_;
};

}  // namespace quorvel
