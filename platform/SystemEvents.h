#pragma once

#include <cstdint>
#include <functional>

namespace quorvel::platform {

// System notifications after which the touchpads may have stopped delivering frames.
enum class SystemEvent {
    systemWake,      // the machine woke from sleep
    screensWake,     // the screens woke
    sessionActive,   // the user session became active again
    displayChange,   // the display configuration changed
    screenUnlock,    // the screen was unlocked
    deviceChange,    // a touchpad was added or removed
};

struct ObserverToken {
    std::uint64_t value = 0;
    friend bool operator==(const ObserverToken&, const ObserverToken&) = default;
};

// Registers observers of system events. Callbacks are delivered on the main queue.
// Observers are never removed.
class SystemEventObservers {
public:
    virtual ~SystemEventObservers() = default;
    virtual ObserverToken observe(SystemEvent event, std::function<void()> callback) = 0;
};

}  // namespace quorvel::platform
