#pragma once

#include <string_view>

#include "platform/linux/multitouch/DeviceDescription.h"
#include "platform/linux/multitouch/TouchpadAxes.h"

namespace quorvel::linux_backend {

// What the bridge makes of an input device.
enum class DeviceKind {
    touchpad,       // multitouch protocol B with finger tools: the bridge reads it
    protocolAOnly,  // a touchpad that reports anonymous contacts (no slots): not supported
    directInput,    // touchscreen or display tablet: touches map to the screen, not a pad
    notTouchpad,    // keyboard, mouse, pen tablet, anything without multitouch fingers
};

DeviceKind classifyDevice(const DeviceDescription& description);

// A short human-readable explanation of the kind, for listings and logs.
std::string_view describeDeviceKind(DeviceKind kind);

// Whether a device is worth listing to someone looking for their touchpad: it reports
// multitouch positions or finger tools, whatever the bridge makes of it.
bool looksTouchCapable(const DeviceDescription& description);

// The axes the decoder needs, from a device classified as a touchpad.
TouchpadAxes touchpadAxes(const DeviceDescription& description);

}  // namespace quorvel::linux_backend
