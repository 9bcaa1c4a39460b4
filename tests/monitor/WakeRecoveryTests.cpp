// Restarting the binding after wake, unlock, display and device changes.
#include <gmock/gmock.h>

#include "tests/monitor/MonitorTestSupport.h"

namespace quorvel::testing {
namespace {

using platform::SystemEvent;
const std::string restarted = "Monitoring 1 multitouch device(s)";
const std::string wake = "Scheduling monitor refresh for system wake";

using WakeRecovery = MonitorTest;

TEST_F(WakeRecovery, WithoutFramesRestartsEightTimesWithGrowingWaits)
{
    events.post(SystemEvent::systemWake);
    queue.advance(100);
    TimedLines expected{{0.0, wake}};
    for (double t : {0.9, 2.8, 5.6, 9.3, 13.9, 19.4, 24.9, 30.4}) {
        if (t > 1) expected.emplace_back(t, "No multitouch frames after system wake; retrying refresh");
        expected.emplace_back(t, restarted);
    }
    expected.emplace_back(30.4, "Monitor refresh attempts finished for system wake");
    EXPECT_EQ(log.timed, expected);
    EXPECT_EQ(log.records.back().level, platform::LogLevel::error);
    EXPECT_EQ(log.records.back().format, "Monitor refresh attempts finished for %s");
    EXPECT_EQ(queue.pendingScheduledCount(), 0u);
}

// Triggers at their times on a stopped service; a frame and a stop at theirs (if any); the
// time to run until; the log lines by then.
using Sequence = std::tuple<std::vector<std::pair<double, SystemEvent>>, std::optional<double>, std::optional<double>,
                            double, TimedLines>;

class RecoverySequence : public WakeRecovery, public ::testing::WithParamInterface<Sequence> {};

TEST_P(RecoverySequence, StartsTheServiceAfterTheLastTriggerAndChecksForFrames)
{
    const auto& [triggers, frameAt, stopAt, until, expected] = GetParam();
    for (auto [t, event] : triggers) queue.asyncAfter(t, [this, event] { events.post(event); });
    if (frameAt) queue.asyncAfter(*frameAt, [this] { probe().ingest(noContacts(5.0)); });
    if (stopAt) queue.asyncAfter(*stopAt, [this] { monitor->stop(); });
    queue.advance(until);
    EXPECT_EQ(log.timed, expected);
}

const Sequence burst{{{0, SystemEvent::systemWake}, {0.1, SystemEvent::screensWake}, {0.2, SystemEvent::screenUnlock}},
                     {}, {}, 3.0,
                     {{0.0, wake}, {0.1, "Scheduling monitor refresh for screens wake"},
                      {0.2, "Scheduling monitor refresh for screen unlock"}, {1.1, restarted},
                      {3.0, "No multitouch frames after screen unlock; retrying refresh"}, {3.0, restarted}}};
const Sequence frameBeforeTrigger{{{1.0, SystemEvent::systemWake}}, 0.5, {}, 4.0,
                                  {{1.0, wake}, {1.9, restarted},
                                   {3.8, "No multitouch frames after system wake; retrying refresh"},
                                   {3.8, restarted}}};
const Sequence frameWithTrigger{{{1.0, SystemEvent::systemWake}}, 1.0, {}, 60,
                                {{1.0, wake}, {1.9, restarted}, {3.8, "Monitor refreshed after system wake"}}};
const Sequence frameBeforeRestart{{{1.0, SystemEvent::displayChange}}, 1.5, {}, 60,
                                  {{1.0, "Scheduling monitor refresh for display change"}, {1.9, restarted},
                                   {3.8, "Monitor refreshed after display change"}}};
const Sequence frameAfterRestart{{{1.0, SystemEvent::deviceChange}}, 2.9, {}, 60,
                                 {{1.0, "Scheduling monitor refresh for device change"}, {1.9, restarted},
                                  {3.8, "Monitor refreshed after device change"}}};
const Sequence stopBeforeRestart{{{0.0, SystemEvent::sessionActive}}, {}, 0.5, 60,
                                 {{0.0, "Scheduling monitor refresh for session active"}}};
const Sequence stopBeforeCheck{{{0.0, SystemEvent::sessionActive}}, {}, 1.0, 60,
                               {{0.0, "Scheduling monitor refresh for session active"}, {0.9, restarted}}};
INSTANTIATE_TEST_SUITE_P(BurstFrameOrStop, RecoverySequence,
                         ::testing::Values(burst, frameBeforeTrigger, frameWithTrigger, frameBeforeRestart,
                                           frameAfterRestart, stopBeforeRestart, stopBeforeCheck));

// A newer sequence scheduled after a restart's or check's work item ran, before its task.
TEST_F(WakeRecovery, TasksOfAnOlderSequenceDoNothing)
{
    events.post(SystemEvent::screenUnlock);
    queue.drain();
    queue.asyncAfter(0.9, [this] { probe().scheduleRecoveryRestart("system wake"); });
    queue.advance(1.8);
    queue.asyncAfter(1.9, [this] { probe().scheduleRecoveryRestart("screens wake"); });
    queue.advance(1.9);
    EXPECT_EQ(log.timed, (TimedLines{{0.0, "Scheduling monitor refresh for screen unlock"}, {0.9, wake},
                                     {1.8, restarted}, {3.7, "Scheduling monitor refresh for screens wake"}}));
}

TEST_F(WakeRecovery, RestartsDropAHeldDoubleTapAndKeepTheConfigurationOfTheirSequence)
{
    auto first = defaults;
    first.tripleTapWindow = 5;  // still held at the restarts
    monitor->start(first);
    feed(topLeftDoubleTap());
    queue.advance(0.1);
    events.post(SystemEvent::systemWake);
    queue.advance(0.9);  // restart 1
    auto later = defaults;
    later.cornerZone = 0.4;
    monitor->update(later);
    queue.advance(1.9);  // restart 2
    EXPECT_EQ(probe().currentConfiguration(), first);
    probe().ingest(noContacts(7.0));  // past the window: would release a double tap still held
    queue.advance(10);
    EXPECT_TRUE(delivered.empty());
}

TEST_F(WakeRecovery, NothingReachesADestroyedService)
{
    monitor->start(defaults);
    events.post(SystemEvent::systemWake);
    queue.drain();  // a restart scheduled
    feed(topLeftDoubleTap());  // a release scheduled
    const auto sink = *appContactSink();  // holds the service weakly
    monitor.reset();
    EXPECT_FALSE(loaded(QUORVEL_TEST_FRAMEWORK_ONE));
    const auto logged = log.timed.size();
    sink(noContacts(1.0));
    events.post(SystemEvent::screenUnlock);
    queue.advance(60);
    EXPECT_EQ(log.timed.size(), logged);
    EXPECT_TRUE(delivered.empty());
}

}  // namespace
}  // namespace quorvel::testing
