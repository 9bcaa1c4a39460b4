#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/SystemEvents.h"

namespace quorvel::linux_backend {

class LogindWatcher;
class ScreenWakeWatcher;
class UdevWatcher;

// Where the system events come from. Absent values mean the usual places.
struct SystemEventSources {
    std::optional<std::string> systemBusAddress;   // absent: the system bus of the environment
    std::optional<std::string> sessionBusAddress;  // absent: the session bus of the environment
    // The logind session to watch. Absent: $XDG_SESSION_ID, then logind's "auto" (the
    // caller's session, else the user's graphical one), then this process's session.
    std::optional<std::string> loginSessionId;
    bool watchDevices = true;  // udev: display changes and touchpad hotplug
    friend bool operator==(const SystemEventSources&, const SystemEventSources&) = default;
};

// System events from logind (sleep, session activity and lock), the screensaver and display
// power state of the session, and udev, delivered on the GLib main context that is the
// thread default at construction (create it on the main thread). A source that is missing
// (no system bus, no screensaver, no udev) never fires; nothing about it is fatal.
class LinuxSystemEventObservers final : public platform::SystemEventObservers {
public:
    explicit LinuxSystemEventObservers(SystemEventSources sources = {});
    ~LinuxSystemEventObservers() override;

    LinuxSystemEventObservers(const LinuxSystemEventObservers&) = delete;
    LinuxSystemEventObservers& operator=(const LinuxSystemEventObservers&) = delete;

    platform::ObserverToken observe(platform::SystemEvent event, std::function<void()> callback) override;

    // True once both buses have been tried and the login session looked up (found or not);
    // from then on every available source is being watched.
    bool settled() const;

private:
    struct Registration {
        platform::SystemEvent event;
        platform::ObserverToken token;
        std::function<void()> callback;
    };

    void deliver(platform::SystemEvent event);

    std::vector<Registration> registrations_;
    std::uint64_t lastToken_ = 0;
    std::unique_ptr<LogindWatcher> logind_;
    std::unique_ptr<ScreenWakeWatcher> screens_;
    std::unique_ptr<UdevWatcher> devices_;
};

}  // namespace quorvel::linux_backend
