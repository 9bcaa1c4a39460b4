// Arbitrary event streams into the multitouch decoder, on arbitrary axes: no crash, and
// every frame well formed (positions finite and on the surface, states 1 to 4, lifted
// contacts gone, no more contacts than slots), with state that does not grow.
#include <linux/input-event-codes.h>

#include <algorithm>
#include <cmath>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <iterator>

#include "platform/linux/multitouch/MultitouchDecoder.h"

namespace {

using quorvel::linux_backend::AbsoluteAxis;
using quorvel::linux_backend::DecodedFrame;
using quorvel::linux_backend::InputEvent;
using quorvel::linux_backend::MultitouchDecoder;
using quorvel::linux_backend::SlotSeed;
using quorvel::linux_backend::TouchpadAxes;

class Input {
public:
    Input(const std::uint8_t* data, std::size_t size) : data_(data), size_(size) {}
    bool empty() const { return at_ >= size_; }
    template <typename T>
    T take()
    {
        T value{};
        const std::size_t n = std::min(sizeof value, size_ - std::min(at_, size_));
        std::memcpy(&value, data_ + at_, n);
        at_ += sizeof value;
        return value;
    }

private:
    const std::uint8_t* data_;
    std::size_t size_;
    std::size_t at_ = 0;
};

// Mostly the codes the decoder acts on, so that the fuzzer spends its time there.
constexpr std::uint16_t interestingCodes[] = {
    ABS_MT_SLOT,        ABS_MT_TRACKING_ID, ABS_MT_POSITION_X, ABS_MT_POSITION_Y,
    ABS_MT_TOUCH_MAJOR, ABS_MT_PRESSURE,    ABS_X,             ABS_PRESSURE,
};

void check(bool condition)
{
    if (!condition) std::abort();
}

void checkFrame(const DecodedFrame& frame, int slots)
{
    check(frame.contacts.size() <= static_cast<std::size_t>(slots));
    check(frame.contacts.capacity() <= static_cast<std::size_t>(MultitouchDecoder::maximumSlotCount));
    check(std::isfinite(frame.timestamp));
    check(frame.frame >= 0);
    for (const auto& c : frame.contacts) {
        check(std::isfinite(c.x) && c.x >= 0.0f && c.x <= 1.0f);
        check(std::isfinite(c.y) && c.y >= 0.0f && c.y <= 1.0f);
        check(std::isfinite(c.size));
        check(c.state >= 1 && c.state <= 4);
        check(c.identifier >= 0);
    }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    Input input(data, size);
    TouchpadAxes axes;
    axes.x = AbsoluteAxis{input.take<std::int32_t>(), input.take<std::int32_t>(), 0, 0, 0};
    axes.y = AbsoluteAxis{input.take<std::int32_t>(), input.take<std::int32_t>(), 0, 0, 0};
    const auto flags = input.take<std::uint8_t>();
    if (flags & 1) axes.touchMajor = AbsoluteAxis{};
    if (flags & 2) axes.pressure = AbsoluteAxis{};
    axes.slotCount = input.take<std::int32_t>();
    MultitouchDecoder decoder(axes);
    const int slots = std::clamp(axes.slotCount, 1, MultitouchDecoder::maximumSlotCount);
    if (flags & 4) {
        decoder.seed(SlotSeed{input.take<std::int8_t>(), input.take<std::int32_t>(), input.take<std::int32_t>(),
                              input.take<std::int32_t>(), 0, 0});
        decoder.seedCurrentSlot(input.take<std::int8_t>());
    }

    std::int64_t seconds = input.take<std::uint16_t>();
    while (!input.empty()) {
        const auto selector = input.take<std::uint8_t>();
        InputEvent event;
        event.seconds = seconds += selector >> 7;
        event.microseconds = input.take<std::uint16_t>();
        event.value = input.take<std::int32_t>();
        switch (selector & 0x3) {
        case 0: event.type = EV_SYN; event.code = (selector & 0x4) ? SYN_DROPPED : SYN_REPORT; break;
        case 1:
            event.type = EV_ABS;
            event.code = interestingCodes[(selector >> 2) % std::size(interestingCodes)];
            break;
        case 2: event.type = EV_KEY; event.code = BTN_TOOL_FINGER; break;
        default: event.type = input.take<std::uint16_t>(); event.code = input.take<std::uint16_t>(); break;
        }
        if (const DecodedFrame* frame = decoder.feed(event)) checkFrame(*frame, slots);
    }
    return 0;
}
