// Cost of the bridge's per-frame work on its reader thread: decoding a device's events
// into a frame and writing the frame's touch records.
#include <benchmark/benchmark.h>
#include <linux/input-event-codes.h>

#include <vector>

#include "platform/linux/multitouch/MultitouchDecoder.h"
#include "platform/linux/multitouch/RawTouchRecords.h"

namespace {

using namespace quorvel::linux_backend;

// `fingers` contacts moving across a pad, one SYN_REPORT per 8 ms, as a protocol B
// device reports them (slot, both positions and pressure per finger per frame).
std::vector<InputEvent> movingFingers(int fingers, int frames)
{
    std::vector<InputEvent> events;
    for (int f = 0; f < frames; ++f) {
        const std::int64_t usec = 8000LL * f;
        const auto at = [&](std::uint16_t type, std::uint16_t code, std::int32_t value) {
            events.push_back(InputEvent{usec / 1000000, usec % 1000000, type, code, value});
        };
        for (int finger = 0; finger < fingers; ++finger) {
            at(EV_ABS, ABS_MT_SLOT, finger);
            if (f == 0) at(EV_ABS, ABS_MT_TRACKING_ID, 100 + finger);
            at(EV_ABS, ABS_MT_POSITION_X, 1500 + (f * 7 + finger * 900) % 3900);
            at(EV_ABS, ABS_MT_POSITION_Y, 1400 + (f * 3 + finger * 500) % 3000);
            at(EV_ABS, ABS_MT_PRESSURE, 40 + f % 20);
        }
        at(EV_SYN, SYN_REPORT, 0);
    }
    return events;
}

TouchpadAxes synapticsAxes()
{
    TouchpadAxes axes;
    axes.x = AbsoluteAxis{1472, 5472, 8, 0, 42};
    axes.y = AbsoluteAxis{1408, 4448, 8, 0, 42};
    axes.pressure = AbsoluteAxis{0, 255, 0, 0, 0};
    axes.slotCount = 5;
    return axes;
}

void DecodeAndEncodeFrames(benchmark::State& state)
{
    const int fingers = static_cast<int>(state.range(0));
    constexpr int frames = 1000;
    const auto events = movingFingers(fingers, frames);
    std::vector<std::byte> records;
    for (auto _ : state) {
        MultitouchDecoder decoder(synapticsAxes());
        for (const InputEvent& event : events) {
            if (const DecodedFrame* frame = decoder.feed(event)) {
                encodeRawTouchRecords(frame->contacts, records);
                benchmark::DoNotOptimize(records.data());
            }
        }
    }
    state.SetItemsProcessed(state.iterations() * frames);
    state.counters["events/frame"] = static_cast<double>(events.size()) / frames;
}
BENCHMARK(DecodeAndEncodeFrames)->Arg(1)->Arg(2)->Arg(5);

}  // namespace

BENCHMARK_MAIN();
