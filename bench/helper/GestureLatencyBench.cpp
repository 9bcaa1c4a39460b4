// The road of one gesture on the real GLib main queue: the frame that completes a double
// tap in the top-left corner enters the framework callback on one thread, crosses to the
// thread iterating the main context, goes through the recogniser and the runner, and
// reaches the dispatcher, which starts the corner's shortcut. The corner has no
// triple-tap action, so nothing holds the double tap back. Each iteration's time is that
// one crossing; p50_us and p99_us are its percentiles.
#include <benchmark/benchmark.h>
#include <glib.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

#include "bench/helper/BenchConfigHome.h"
#include "helper/actions/ApplicationSwitching.h"
#include "helper/monitor/AppContactRouting.h"
#include "helper/runner/HelperRunner.h"
#include "platform/MultitouchFramework.h"
#include "platform/linux/runtime/GLibMainQueue.h"
#include "tests/fakes/FakeActionServices.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel::bench {
namespace {

using Clock = std::chrono::steady_clock;
namespace mt = platform::multitouch;

// Stamps the moment the dispatcher asks for the shortcut to start.
class StampingLauncher final : public platform::ProcessLauncher {
public:
    std::optional<std::string> launch(const std::string&, const std::vector<std::string>&,
                                      platform::ProcessExitHandler) override
    {
        launchedAt.store(Clock::now().time_since_epoch().count(), std::memory_order_release);
        return std::nullopt;
    }
    std::atomic<Clock::rep> launchedAt{0};
};

class SystemClock final : public platform::WallClock {
public:
    double now() const override { return std::chrono::duration<double>(Clock::now().time_since_epoch()).count(); }
};

// The agent's main thread: a GLib main context of its own with the runner on it.
class MainThread {
public:
    MainThread() : thread_([this] { run(); })
    {
        std::unique_lock lock(mutex_);
        ready_.wait(lock, [this] { return started_.has_value(); });
    }
    ~MainThread()
    {
        stopping_ = true;
        queue_->async([] {});
        thread_.join();
    }

    bool started() const { return *started_; }
    platform::MainQueue& queue() { return *queue_; }
    StampingLauncher& launcher() { return launcher_; }

private:
    void run()
    {
        GMainContext* context = g_main_context_new();
        g_main_context_push_thread_default(context);
        {
            linux_backend::GLibMainQueue queue(context);
            SystemClock wallClock;
            testing::CapturingLog log;
            testing::SequentialUuidSource uuids;
            testing::FakeSystemEvents systemEvents;
            testing::FakeMultitouchFramework multitouch(QUORVEL_BENCH_FRAMEWORK_PATH);
            testing::FakeActionServices actions;
            auto a = actions.services();
            const HelperServices services{
                MonitorServices{queue, wallClock, log, uuids, systemEvents, multitouch},
                ActionServices{a.workspace, a.eventTap, a.accessibility, a.pasteboard, a.inputSources, a.preferences,
                               launcher_, a.alertSound, a.applicationBundles, queue},
                queue, log};
            HelperRunner runner(services);
            queue_ = &queue;
            {
                std::lock_guard lock(mutex_);
                started_ = runner.start() && runner.monitor().isRunning().get();
            }
            ready_.notify_all();
            while (!stopping_) g_main_context_iteration(context, TRUE);
        }
        resetAppContactRouting();
        ActionDispatcher::resetApplicationTrackingForTesting();
        g_main_context_pop_thread_default(context);
        g_main_context_unref(context);
    }

    StampingLauncher launcher_;
    platform::MainQueue* queue_ = nullptr;
    std::mutex mutex_;
    std::condition_variable ready_;
    std::optional<bool> started_;
    std::atomic<bool> stopping_{false};
    std::thread thread_;
};

struct Record {
    unsigned char bytes[mt::rawTouchRecordSize];
};

Record contact(std::int32_t identifier)
{
    Record record{};
    const std::int32_t state = 1;
    const float x = 0.1f, y = 0.9f, size = 1.0f;
    std::memcpy(record.bytes + mt::identifierOffset, &identifier, 4);
    std::memcpy(record.bytes + mt::stateOffset, &state, 4);
    std::memcpy(record.bytes + mt::xOffset, &x, 4);
    std::memcpy(record.bytes + mt::yOffset, &y, 4);
    std::memcpy(record.bytes + mt::sizeOffset, &size, 4);
    return record;
}

// Waits until everything submitted to the main queue before now has run.
void drain(platform::MainQueue& queue)
{
    std::atomic<bool> reached{false};
    queue.async([&reached] { reached.store(true, std::memory_order_release); });
    while (!reached.load(std::memory_order_acquire)) std::this_thread::yield();
}

double percentile(std::vector<double> values, double fraction)
{
    if (values.empty()) return 0;
    const auto index = static_cast<std::size_t>(fraction * static_cast<double>(values.size() - 1));
    std::nth_element(values.begin(), values.begin() + static_cast<std::ptrdiff_t>(index), values.end());
    return values[index];
}

void BM_DoubleTapFrameToDispatcher(benchmark::State& state)
{
    BenchConfigHome home(shortcutOnTopLeftDoubleTap);
    MainThread main;
    if (!main.started()) {
        state.SkipWithError("the runner or its monitor did not start");
        return;
    }
    std::vector<double> latencies;
    latencies.reserve(100'000);
    std::int32_t frame = 0;
    double base = 0;
    for (auto _ : state) {
        // Ten seconds of frame time between sequences, so no two of them join.
        base += 10;
        const Record first = contact(2 * frame + 1), second = contact(2 * frame + 2);
        appContactCallback(1, first.bytes, 1, base, ++frame);
        appContactCallback(1, nullptr, 0, base + 0.05, ++frame);
        appContactCallback(1, second.bytes, 1, base + 0.20, ++frame);
        drain(main.queue());

        const auto before = main.launcher().launchedAt.load(std::memory_order_acquire);
        const auto start = Clock::now();
        appContactCallback(1, nullptr, 0, base + 0.25, ++frame);
        Clock::rep reached = before;
        while ((reached = main.launcher().launchedAt.load(std::memory_order_acquire)) == before) {
        }
        const double seconds = std::chrono::duration<double>(Clock::duration(reached) - start.time_since_epoch()).count();
        state.SetIterationTime(seconds);
        latencies.push_back(seconds * 1e6);
    }
    state.counters["p50_us"] = percentile(latencies, 0.50);
    state.counters["p99_us"] = percentile(latencies, 0.99);
}
BENCHMARK(BM_DoubleTapFrameToDispatcher)->UseManualTime()->Iterations(20000);

}  // namespace
}  // namespace quorvel::bench
