// One tick of the agent's configuration poll when the file has not changed: read the
// whole file and compare its bytes with those in force. It runs twice a second for the
// life of the agent.
#include <benchmark/benchmark.h>

#include "bench/helper/BenchConfigHome.h"
#include "helper/actions/ApplicationSwitching.h"
#include "helper/monitor/AppContactRouting.h"
#include "helper/runner/HelperRunner.h"
#include "tests/fakes/FakeActionServices.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/QueueWallClock.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel {

struct HelperRunnerProbe {
    static void poll(HelperRunner& runner) { runner.reloadConfiguration(false); }
};

namespace {

void BM_ConfigurationPollUnchangedFile(benchmark::State& state)
{
    bench::BenchConfigHome home(bench::shortcutOnTopLeftDoubleTap);
    testing::FakeMainQueue mainQueue;
    testing::QueueWallClock wallClock{mainQueue};
    testing::CapturingLog log;
    testing::SequentialUuidSource uuids;
    testing::FakeSystemEvents systemEvents;
    testing::FakeMultitouchFramework multitouch(QUORVEL_BENCH_FRAMEWORK_PATH);
    testing::FakeActionServices actions;
    auto a = actions.services();
    const HelperServices services{MonitorServices{mainQueue, wallClock, log, uuids, systemEvents, multitouch},
                                  ActionServices{a.workspace, a.eventTap, a.accessibility, a.pasteboard,
                                                 a.inputSources, a.preferences, a.processLauncher, a.alertSound,
                                                 a.applicationBundles, mainQueue},
                                  mainQueue, log};
    {
        HelperRunner runner(services);
        if (!runner.start()) {
            state.SkipWithError("the runner did not start");
            return;
        }
        for (auto _ : state) {
            HelperRunnerProbe::poll(runner);
            benchmark::DoNotOptimize(runner.configurationData());
        }
    }
    resetAppContactRouting();
    ActionDispatcher::resetApplicationTrackingForTesting();
}
BENCHMARK(BM_ConfigurationPollUnchangedFile);

}  // namespace
}  // namespace quorvel
