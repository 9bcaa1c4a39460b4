#include "platform/linux/multitouch/TouchpadClassification.h"

#include <linux/input-event-codes.h>

#include <algorithm>
#include <cstdint>

#include "platform/linux/multitouch/MultitouchDecoder.h"

namespace quorvel::linux_backend {

DeviceKind classifyDevice(const DeviceDescription& d)
{
    const bool multitouchPositions =
        d.hasEventCode(EV_ABS, ABS_MT_POSITION_X) && d.hasEventCode(EV_ABS, ABS_MT_POSITION_Y);
    if (!multitouchPositions) return DeviceKind::notTouchpad;
    // Touchscreens and display tablets map touches onto the screen.
    if (d.hasProperty(INPUT_PROP_DIRECT)) return DeviceKind::directInput;
    // A pad is told by its finger tools; no pointer property is required (Apple pads only
    // carry the button-pad property).
    if (!d.hasEventCode(EV_KEY, BTN_TOOL_FINGER)) return DeviceKind::notTouchpad;
    // Pens and relative motion belong to tablets and mice with touch surfaces.
    if (d.hasEventCode(EV_KEY, BTN_TOOL_PEN) || d.hasEventCode(EV_REL, REL_X)) return DeviceKind::notTouchpad;
    if (!d.hasEventCode(EV_ABS, ABS_MT_SLOT)) return DeviceKind::protocolAOnly;
    return DeviceKind::touchpad;
}

std::string_view describeDeviceKind(DeviceKind kind)
{
    switch (kind) {
    case DeviceKind::touchpad: return "touchpad";
    case DeviceKind::protocolAOnly: return "touchpad with multitouch protocol A only (no slots), not supported";
    case DeviceKind::directInput: return "touchscreen or tablet (direct input), not a touchpad";
    case DeviceKind::notTouchpad: return "not a touchpad";
    }
    return "not a touchpad";
}

bool looksTouchCapable(const DeviceDescription& d)
{
    return d.hasEventCode(EV_ABS, ABS_MT_POSITION_X) || d.hasEventCode(EV_KEY, BTN_TOOL_FINGER);
}

TouchpadAxes touchpadAxes(const DeviceDescription& d)
{
    TouchpadAxes axes;
    axes.x = d.axis(ABS_MT_POSITION_X).value_or(AbsoluteAxis{});
    axes.y = d.axis(ABS_MT_POSITION_Y).value_or(AbsoluteAxis{});
    if (d.hasEventCode(EV_ABS, ABS_MT_TOUCH_MAJOR)) axes.touchMajor = d.axis(ABS_MT_TOUCH_MAJOR);
    if (d.hasEventCode(EV_ABS, ABS_MT_PRESSURE)) axes.pressure = d.axis(ABS_MT_PRESSURE);
    if (const auto slot = d.axis(ABS_MT_SLOT); slot && d.hasEventCode(EV_ABS, ABS_MT_SLOT)) {
        const std::int64_t count = static_cast<std::int64_t>(slot->maximum) + 1;
        axes.slotCount = static_cast<int>(std::clamp<std::int64_t>(count, 1, MultitouchDecoder::maximumSlotCount));
    }
    return axes;
}

}  // namespace quorvel::linux_backend
