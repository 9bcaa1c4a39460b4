#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/linux/multitouch/InputEvent.h"
#include "platform/linux/multitouch/TouchpadAxes.h"

namespace quorvel::linux_backend {

// One contact of a decoded frame, in the units of the framework's touch records.
struct DecodedContact {
    std::int32_t identifier = 0;  // the contact's tracking ID
    std::int32_t state = 0;       // 1 in the contact's first frame, 4 afterwards
    float x = 0;                  // 0 = left edge, 1 = right edge
    float y = 0;                  // 0 = bottom edge, 1 = top edge
    float size = 0;               // touch major, else pressure, else 1

    friend bool operator==(const DecodedContact&, const DecodedContact&) = default;
};

// Everything one SYN_REPORT of a device says about its contacts.
struct DecodedFrame {
    std::int32_t frame = 0;  // per-device counter, 1 for the first frame
    double timestamp = 0;    // seconds, from the time of the SYN_REPORT
    std::vector<DecodedContact> contacts;  // in slot order; lifted contacts are not listed

    friend bool operator==(const DecodedFrame&, const DecodedFrame&) = default;
};

// A slot's values when reading starts, as the device reports them.
struct SlotSeed {
    int slot = 0;
    std::int32_t trackingId = -1;
    std::int32_t x = 0;
    std::int32_t y = 0;
    std::int32_t touchMajor = 0;
    std::int32_t pressure = 0;

    friend bool operator==(const SlotSeed&, const SlotSeed&) = default;
};

// Decodes the multitouch protocol B event stream of one device into one frame per
// SYN_REPORT. Pure: no I/O, bounded state (at most `maximumSlotCount` slots whatever
// the input). Accepts the resynchronisation events libevdev produces after SYN_DROPPED
// as ordinary events: they describe the device's current state as changes.
class MultitouchDecoder {
public:
    static constexpr int maximumSlotCount = 64;
    static constexpr std::int32_t firstContactState = 1;
    static constexpr std::int32_t continuingContactState = 4;

    explicit MultitouchDecoder(const TouchpadAxes& axes);

    // Takes over a slot's state from the device when reading starts; a touch already
    // on the surface then continues instead of beginning mid-way.
    void seed(const SlotSeed& seed);
    // The slot that events without an ABS_MT_SLOT of their own go to when reading starts.
    void seedCurrentSlot(int slot);

    // The frame completed by this event (a SYN_REPORT), or null. The frame stays valid
    // until the next call.
    const DecodedFrame* feed(const InputEvent& event);

private:
    struct Slot {
        std::int32_t trackingId = -1;
        std::optional<std::int32_t> x;
        std::optional<std::int32_t> y;
        std::int32_t touchMajor = 0;
        std::int32_t pressure = 0;
        bool listed = false;  // the current touch has been in a frame already
    };

    void applyAbsolute(std::uint16_t code, std::int32_t value);
    void setTrackingId(Slot& slot, std::int32_t trackingId);
    const DecodedFrame& completeFrame(double timestamp);
    DecodedContact contactOf(const Slot& slot) const;

    TouchpadAxes axes_;
    std::vector<Slot> slots_;
    std::optional<std::size_t> currentSlot_ = 0;  // absent after a slot number out of range
    std::uint32_t frameCounter_ = 0;
    DecodedFrame frame_;
};

}  // namespace quorvel::linux_backend
