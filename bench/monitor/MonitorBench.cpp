// Per-frame cost of the monitor: the framework callback on its own thread, and the main
// thread's work for a frame while a double tap is held.
#include <benchmark/benchmark.h>

#include <cstring>
#include <vector>

#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/TrackpadMonitorService.h"
#include "platform/WallClock.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel {

// Exposes the per-frame entry point to the benchmark.
struct TrackpadMonitorServiceProbe {
    static void ingest(TrackpadMonitorService& service, const ContactFrame& frame) { service.ingest(frame); }
};

namespace {

// Runs submitted blocks at once and drops delayed work, so that nothing piles up.
class ImmediateQueue final : public platform::MainQueue {
public:
    class Item final : public platform::WorkItem {
    public:
        void cancel() override { cancelled_ = true; }
        bool isCancelled() const override { return cancelled_; }

    private:
        bool cancelled_ = false;
    };
    void async(platform::Task task) override { task(); }
    std::shared_ptr<platform::WorkItem> asyncAfter(double, platform::Task) override { return std::make_shared<Item>(); }
    void startMainTask(platform::Task task) override { task(); }
    std::unique_ptr<platform::RepeatingTimer> scheduleRepeating(double, platform::Task) override { return nullptr; }
};

class FixedWallClock final : public platform::WallClock {
public:
    double now() const override { return 1'700'000'000.0; }
};

void BM_ContactCallback(benchmark::State& state)
{
    const auto count = static_cast<std::int32_t>(state.range(0));
    std::vector<unsigned char> records(static_cast<std::size_t>(count) * 80);
    for (std::int32_t k = 0; k < count; ++k) {
        const float xy[2] = {0.5f, 0.5f};
        std::memcpy(records.data() + k * 80 + 16, &k, 4);
        std::memcpy(records.data() + k * 80 + 32, xy, 8);
    }
    ImmediateQueue queue;
    std::size_t delivered = 0;
    appContactSink() = [&](const ContactFrame& frame) { delivered += frame.contacts.size(); };
    setAppContactQueue(&queue);
    for (auto _ : state) appContactCallback(1, records.data(), count, 1.0, 1);
    benchmark::DoNotOptimize(delivered);
    resetAppContactRouting();
}
BENCHMARK(BM_ContactCallback)->Arg(1)->Arg(5)->Arg(10);

void BM_IngestWhileDoubleTapHeld(benchmark::State& state)
{
    ImmediateQueue queue;
    FixedWallClock clock;
    testing::CapturingLog log;
    testing::SequentialUuidSource uuids;
    testing::FakeSystemEvents events;
    testing::FakeMultitouchFramework framework;
    TrackpadMonitorService service(MonitorServices{queue, clock, log, uuids, events, framework});
    const auto down = [](double t) { return ContactFrame{1, 0, t, {TrackpadContact{1, 1, {0.1, 0.9}, 1.0}}}; };
    const auto up = [](double t) { return ContactFrame{1, 0, t, {}}; };
    for (const auto& frame : {down(1.00), up(1.10), down(1.30), up(1.40)}) {
        TrackpadMonitorServiceProbe::ingest(service, frame);
    }
    // A finger in the middle keeps coming while the double tap stays held.
    const ContactFrame middle{1, 0, 1.45, {TrackpadContact{2, 1, {0.5, 0.5}, 1.0}}};
    for (auto _ : state) TrackpadMonitorServiceProbe::ingest(service, middle);
}
BENCHMARK(BM_IngestWhileDoubleTapHeld);

}  // namespace
}  // namespace quorvel
BENCHMARK_MAIN();
