// Cost of one ingest call per device frame, and whether frames that report nothing allocate.
#include <benchmark/benchmark.h>

#include <QuorvelCore.h>

#include <array>
#include <cmath>
#include <cstdint>
#include <numbers>
#include <vector>

#include "bench/core/AllocationCounter.h"

namespace quorvel::bench {
namespace {

// Touchpads deliver roughly this many frames per second.
constexpr double framePeriod = 1.0 / 90.0;

RecognizerConfiguration standardConfiguration()
{
    return RecognizerConfiguration{.cornerZone = 0.3,
                                   .doubleTapWindow = 0.45,
                                   .tripleTapWindow = 0.2,
                                   .maximumTapDuration = 0.28,
                                   .maximumTapTravel = 0.08};
}

// Counts allocations made during ingest calls that returned no event.
class SilentFrameAllocations {
public:
    void begin() { before_ = allocationCount(); }
    void end(const std::vector<RecognizerEvent>& events)
    {
        ++frames_;
        if (events.empty()) {
            ++silentFrames_;
            silentAllocations_ += allocationCount() - before_;
        }
    }
    void report(benchmark::State& state, std::uint64_t allocationsBefore) const
    {
        const auto total = static_cast<double>(allocationCount() - allocationsBefore);
        state.counters["allocs/frame"] = benchmark::Counter(total / static_cast<double>(frames_));
        state.counters["allocsOnSilentFrames"] = benchmark::Counter(static_cast<double>(silentAllocations_));
        state.counters["silentFrameShare"] =
            benchmark::Counter(static_cast<double>(silentFrames_) / static_cast<double>(frames_));
    }

private:
    std::uint64_t before_ = 0;
    std::uint64_t frames_ = 0;
    std::uint64_t silentFrames_ = 0;
    std::uint64_t silentAllocations_ = 0;
};

// Feeds `frames` round and round with ever increasing timestamps; `afterIngest` acts as the owner would.
template <typename AfterIngest>
void feed(benchmark::State& state, std::vector<ContactFrame> frames, AfterIngest afterIngest)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    SilentFrameAllocations allocations;
    double now = 1.0;
    std::size_t next = 0;
    const std::uint64_t allocationsBefore = allocationCount();
    for (auto _ : state) {
        ContactFrame& frame = frames[next];
        frame.timestamp = now;
        allocations.begin();
        std::vector<RecognizerEvent> events = recognizer.ingest(frame);
        allocations.end(events);
        afterIngest(recognizer, now);
        benchmark::DoNotOptimize(events);
        now += framePeriod;
        next = next + 1 == frames.size() ? 0 : next + 1;
    }
    allocations.report(state, allocationsBefore);
}

void doNothing(TrackpadGestureRecognizer&, double) {}

void BM_IngestEmptyFrames(benchmark::State& state)
{
    feed(state, {ContactFrame{1, 0, 0, {}}}, doNothing);
}
BENCHMARK(BM_IngestEmptyFrames);

// A finger lands in the top-left corner and then wanders without lifting.
void BM_IngestOneTrackedContactMoving(benchmark::State& state)
{
    std::vector<ContactFrame> frames;
    constexpr int steps = 256;
    for (int i = 0; i < steps; ++i) {
        const double angle = 2 * std::numbers::pi * i / steps;
        // From (0.1, 0.9) across the pad and back, on a slight curve.
        const TrackpadPoint position{0.5 - 0.4 * std::cos(angle), 0.5 + 0.4 * std::cos(angle) + 0.05 * std::sin(angle)};
        frames.push_back(ContactFrame{1, i, 0, {TrackpadContact{3, 4, position, 1.0}}});
    }
    frames.front().contacts.front().state = 1;  // lands in a state that may begin a touch
    feed(state, std::move(frames), doNothing);
}
BENCHMARK(BM_IngestOneTrackedContactMoving);

// Double taps in the bottom-right corner, one after another; each is released at once, as the
// monitor does when the corner has no triple-tap action.
void BM_IngestCornerDoubleTapsReleasedAtOnce(benchmark::State& state)
{
    std::vector<ContactFrame> frames;
    const TrackpadPoint corner{0.92, 0.08};
    for (int tapIndex = 0; tapIndex < 2; ++tapIndex) {
        for (int i = 0; i < 6; ++i) frames.push_back(ContactFrame{1, 0, 0, {TrackpadContact{5, 1, corner, 0.8}}});
        for (int i = 0; i < 3; ++i) frames.push_back(ContactFrame{1, 0, 0, {}});
    }
    std::uint64_t gestures = 0;
    feed(state, std::move(frames), [&gestures](TrackpadGestureRecognizer& recognizer, double now) {
        if (recognizer.pendingDoubleTapGesture()) gestures += recognizer.flushPendingDoubleTap(now, true).size();
    });
    state.counters["gestures/frame"] = benchmark::Counter(static_cast<double>(gestures) / static_cast<double>(state.iterations()));
}
BENCHMARK(BM_IngestCornerDoubleTapsReleasedAtOnce);

// A whole hand on the pad, no finger in a corner.
void BM_IngestFiveContactsOutsideTheCorners(benchmark::State& state)
{
    const std::vector<TrackpadContact> hand{
        {1, 1, {0.35, 0.40}, 1.1}, {2, 2, {0.45, 0.55}, 1.0}, {3, 3, {0.55, 0.60}, 1.2},
        {4, 4, {0.65, 0.55}, 0.9}, {5, 1, {0.50, 0.20}, 1.3},
    };
    feed(state, {ContactFrame{1, 0, 0, hand}}, doNothing);
}
BENCHMARK(BM_IngestFiveContactsOutsideTheCorners);

}  // namespace
}  // namespace quorvel::bench

BENCHMARK_MAIN();
