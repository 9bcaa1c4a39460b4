#pragma once

#include <optional>
#include <string>

#include "platform/SystemEvents.h"

namespace quorvel::linux_backend {

// What matters of one device event from udev.
struct Uevent {
    std::string action;     // "add", "remove", "change", ...
    std::string subsystem;  // "drm", "input", ...
    std::string devnode;    // e.g. "/dev/input/event7"; empty when the device has none
    bool touchpad = false;  // udev's ID_INPUT_TOUCHPAD=1
    friend bool operator==(const Uevent&, const Uevent&) = default;
};

// The system event a device event stands for, if any: a changed display configuration
// (drm "change") or a touchpad event node coming or going.
std::optional<platform::SystemEvent> classifyUevent(const Uevent& event);

}  // namespace quorvel::linux_backend
