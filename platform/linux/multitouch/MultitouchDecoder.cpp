#include "platform/linux/multitouch/MultitouchDecoder.h"

#include <linux/input-event-codes.h>

#include <algorithm>

namespace quorvel::linux_backend {

namespace {

// Position on an axis as 0..1. Pads report a little beyond their declared range at the
// edges, exactly where corner taps land, so the value is clamped rather than dropped.
// A degenerate range puts every contact in the middle, away from the corners.
float normalised(std::int32_t value, const AbsoluteAxis& axis, bool flipped)
{
    const double span = static_cast<double>(axis.maximum) - static_cast<double>(axis.minimum);
    if (!(span > 0)) return 0.5f;
    double fraction = (static_cast<double>(value) - static_cast<double>(axis.minimum)) / span;
    fraction = std::clamp(fraction, 0.0, 1.0);
    return static_cast<float>(flipped ? 1.0 - fraction : fraction);
}

}  // namespace

MultitouchDecoder::MultitouchDecoder(const TouchpadAxes& axes)
    : axes_(axes), slots_(static_cast<std::size_t>(std::clamp(axes.slotCount, 1, maximumSlotCount)))
{
    frame_.contacts.reserve(slots_.size());
}

void MultitouchDecoder::seed(const SlotSeed& seed)
{
    if (seed.slot < 0 || static_cast<std::size_t>(seed.slot) >= slots_.size()) return;
    Slot& slot = slots_[static_cast<std::size_t>(seed.slot)];
    slot.trackingId = seed.trackingId < 0 ? -1 : seed.trackingId;
    slot.x = seed.x;
    slot.y = seed.y;
    slot.touchMajor = seed.touchMajor;
    slot.pressure = seed.pressure;
    slot.listed = slot.trackingId >= 0;
}

void MultitouchDecoder::seedCurrentSlot(int slot) { applyAbsolute(ABS_MT_SLOT, slot); }

const DecodedFrame* MultitouchDecoder::feed(const InputEvent& event)
{
    if (event.type == EV_ABS) {
        applyAbsolute(event.code, event.value);
        return nullptr;
    }
    if (event.type == EV_SYN && event.code == SYN_REPORT) return &completeFrame(event.timestamp());
    // SYN_DROPPED needs nothing here: libevdev follows it with the changes that bring
    // the slots up to date and a SYN_REPORT.
    return nullptr;
}

void MultitouchDecoder::applyAbsolute(std::uint16_t code, std::int32_t value)
{
    if (code == ABS_MT_SLOT) {
        if (value >= 0 && static_cast<std::size_t>(value) < slots_.size()) {
            currentSlot_ = static_cast<std::size_t>(value);
        } else {
            currentSlot_.reset();
        }
        return;
    }
    if (!currentSlot_) return;
    Slot& slot = slots_[*currentSlot_];
    switch (code) {
    case ABS_MT_TRACKING_ID: setTrackingId(slot, value); break;
    case ABS_MT_POSITION_X: slot.x = value; break;
    case ABS_MT_POSITION_Y: slot.y = value; break;
    case ABS_MT_TOUCH_MAJOR: slot.touchMajor = value; break;
    case ABS_MT_PRESSURE: slot.pressure = value; break;
    default: break;
    }
}

void MultitouchDecoder::setTrackingId(Slot& slot, std::int32_t trackingId)
{
    if (trackingId < 0) trackingId = -1;
    if (trackingId == slot.trackingId) return;
    // A lift, or a new touch in the slot (with or without a lift in between): either way
    // the next listing is a first one. Positions keep their last values.
    slot.trackingId = trackingId;
    slot.listed = false;
}

DecodedContact MultitouchDecoder::contactOf(const Slot& slot) const
{
    DecodedContact contact;
    contact.identifier = slot.trackingId;
    contact.state = slot.listed ? continuingContactState : firstContactState;
    contact.x = normalised(*slot.x, axes_.x, false);
    contact.y = normalised(*slot.y, axes_.y, true);
    if (axes_.touchMajor) {
        contact.size = static_cast<float>(slot.touchMajor);
    } else if (axes_.pressure) {
        contact.size = static_cast<float>(slot.pressure);
    } else {
        contact.size = 1.0f;
    }
    return contact;
}

const DecodedFrame& MultitouchDecoder::completeFrame(double timestamp)
{
    ++frameCounter_;
    frame_.frame = static_cast<std::int32_t>(frameCounter_ & 0x7fffffffu);
    frame_.timestamp = timestamp;
    frame_.contacts.clear();
    for (Slot& slot : slots_) {
        // A touch whose slot has never had a position is not placed anywhere yet (the
        // origin would be a corner); it is listed from its first position on.
        if (slot.trackingId < 0 || !slot.x || !slot.y) continue;
        frame_.contacts.push_back(contactOf(slot));
        slot.listed = true;
    }
    return frame_;
}

}  // namespace quorvel::linux_backend
