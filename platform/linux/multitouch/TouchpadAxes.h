#pragma once

#include <optional>

#include "platform/linux/multitouch/DeviceDescription.h"

namespace quorvel::linux_backend {

// The axis information the multitouch decoder works from.
struct TouchpadAxes {
    AbsoluteAxis x;  // ABS_MT_POSITION_X
    AbsoluteAxis y;  // ABS_MT_POSITION_Y
    std::optional<AbsoluteAxis> touchMajor;  // ABS_MT_TOUCH_MAJOR, when reported
    std::optional<AbsoluteAxis> pressure;    // ABS_MT_PRESSURE, when reported
    int slotCount = 1;  // from the ABS_MT_SLOT range; 1 when the device has no slot axis

    friend bool operator==(const TouchpadAxes&, const TouchpadAxes&) = default;
};

}  // namespace quorvel::linux_backend
