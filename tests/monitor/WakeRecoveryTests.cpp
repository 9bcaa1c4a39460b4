// Restarting the binding after wake, unlock, display and device changes.
#include <gmock/gmock.h>

#include "tests/monitor/MonitorTestSupport.h"

namespace quorvel::testing {
namespace {

using platform::LogLevel;
using platform::SystemEvent;
using ::testing::ElementsAre;

class WakeRecovery : public MonitorTest {
protected:
    WakeRecovery()
    {
        framework.setLibraryPath(QUORVEL_TEST_FRAMEWORK_ONE);
        service().installWakeRecovery();
    }
    // Posts an event and lets its task run.
    void trigger(SystemEvent event)
    {
        events.post(event);
        queue.drain();
    }
    void runUntilIdle()
    {
        for (int guard = 0; guard < 100 && queue.runNextScheduled(); ++guard) {
        }
    }
    // Messages logged since `since` (virtual time), with their time relative to it.
    std::vector<std::pair<double, std::string>> logSince(double since) const
    {
        std::vector<std::pair<double, std::string>> out;
        for (const auto& r : log.records) {
            if (r.time >= since) out.emplace_back(r.time - since, r.record.message);
        }
        return out;
    }
    void expectLog(const std::vector<std::pair<double, std::string>>& expected) const
    {
        const auto logged = logSince(0);
        ASSERT_EQ(logged.size(), expected.size());
        for (std::size_t i = 0; i < expected.size(); ++i) {
            EXPECT_NEAR(logged[i].first, expected[i].first, 1e-9) << i;
            EXPECT_EQ(logged[i].second, expected[i].second) << i;
        }
    }
    std::vector<double> restartTimes(double since) const
    {
        std::vector<double> out;
        for (const auto& [t, message] : logSince(since)) {
            if (message == "Monitoring 1 multitouch device(s)") out.push_back(t);
        }
        return out;
    }
};

TEST_F(WakeRecovery, ObserversAreInstalledOncePerEvent)
{
    service().installWakeRecovery();
    EXPECT_EQ(events.observerCount(), 6u);
    for (auto event : {SystemEvent::systemWake, SystemEvent::screensWake, SystemEvent::sessionActive,
                       SystemEvent::displayChange, SystemEvent::screenUnlock, SystemEvent::deviceChange}) {
        EXPECT_EQ(events.observerCount(event), 1u);
    }
}

TEST_F(WakeRecovery, WithoutFramesRestartsEightTimesWithGrowingWaits)
{
    service().start(defaults);
    queue.advance(10);
    trigger(SystemEvent::systemWake);
    EXPECT_EQ(service().statusMessage().get(), "Refreshing trackpad monitor");
    runUntilIdle();

    const std::vector<double> expected{0.9, 2.8, 5.6, 9.3, 13.9, 19.4, 24.9, 30.4};
    const auto restarts = restartTimes(10);
    ASSERT_EQ(restarts.size(), expected.size());
    for (std::size_t i = 0; i < expected.size(); ++i) EXPECT_NEAR(restarts[i], expected[i], 1e-9) << i;

    std::vector<std::string> messages{"Scheduling monitor refresh for system wake"};
    for (int attempt = 1; attempt <= 8; ++attempt) {
        messages.push_back("Monitoring 1 multitouch device(s)");
        messages.push_back(attempt < 8 ? "No multitouch frames after system wake; retrying refresh"
                                       : "Monitor refresh attempts finished for system wake");
    }
    std::vector<std::string> logged;
    for (const auto& [t, message] : logSince(10)) logged.push_back(message);
    EXPECT_EQ(logged, messages);
    EXPECT_EQ(log.records.back().record.level, LogLevel::error);
    EXPECT_EQ(log.records.back().record.format, "Monitor refresh attempts finished for %s");
    EXPECT_EQ(queue.pendingScheduledCount(), 0u);
    EXPECT_EQ(service().statusMessage().get(), "Monitoring 1 multitouch device");
}

TEST_F(WakeRecovery, BurstOfTriggersMakesOneRestartWithTheLastReason)
{
    trigger(SystemEvent::systemWake);
    queue.advance(0.1);
    trigger(SystemEvent::screensWake);
    queue.advance(0.1);
    trigger(SystemEvent::screenUnlock);
    queue.advance(3);
    expectLog({{0.0, "Scheduling monitor refresh for system wake"},
               {0.1, "Scheduling monitor refresh for screens wake"},
               {0.2, "Scheduling monitor refresh for screen unlock"},
               {1.1, "Monitoring 1 multitouch device(s)"},
               {3.0, "No multitouch frames after screen unlock; retrying refresh"},
               {3.0, "Monitoring 1 multitouch device(s)"}});
}

TEST_F(WakeRecovery, FrameAfterTheRestartEndsTheSequence)
{
    trigger(SystemEvent::systemWake);
    queue.advance(0.9);
    EXPECT_TRUE(service().isRunning().get());  // a stopped service is started by a recovery
    queue.advance(1.0);
    (*appContactSink())(noContacts(5.0));
    queue.advance(1.0);
    expectLog({{0.0, "Scheduling monitor refresh for system wake"},
               {0.9, "Monitoring 1 multitouch device(s)"},
               {2.8, "Monitor refreshed after system wake"}});
    EXPECT_EQ(queue.pendingScheduledCount(), 0u);
}

TEST_F(WakeRecovery, FrameBetweenTriggerAndRestartCounts)
{
    service().start(defaults);
    trigger(SystemEvent::displayChange);
    probe().ingest(noContacts(1.0));  // at the moment of the trigger
    queue.advance(3);
    EXPECT_EQ(logSince(0).back().second, "Monitor refreshed after display change");
}

TEST_F(WakeRecovery, DeviceChangeIsATriggerToo)
{
    trigger(SystemEvent::deviceChange);
    EXPECT_EQ(logSince(0).back().second, "Scheduling monitor refresh for device change");
}

TEST_F(WakeRecovery, StopEndsTheSequence)
{
    trigger(SystemEvent::sessionActive);
    queue.advance(0.9);
    service().stop();
    const auto logged = log.records.size();
    queue.advance(60);
    EXPECT_EQ(log.records.size(), logged);
    EXPECT_EQ(service().statusMessage().get(), "Stopped");
}

TEST_F(WakeRecovery, StaleGenerationsDoNothing)
{
    trigger(SystemEvent::systemWake);
    const auto generation = probe().recoveryGeneration();
    trigger(SystemEvent::screenUnlock);
    probe().restartForRecovery(defaults, "system wake", generation, 1);
    EXPECT_FALSE(service().isRunning().get());

    // The check's work item has run and started its task when a newer trigger comes in.
    queue.advance(0.9);
    queue.asyncAfter(1.9, [this] { probe().scheduleRecoveryRestart("screens wake", 0.9); });
    const auto logged = log.records.size();
    queue.advance(1.9);
    EXPECT_EQ(log.records.size(), logged + 1);  // no "No multitouch frames after screen unlock"
    EXPECT_EQ(log.records.back().record.message, "Scheduling monitor refresh for screens wake");
    queue.advance(0.9);
    EXPECT_EQ(log.records.back().record.message, "Monitoring 1 multitouch device(s)");
}

TEST_F(WakeRecovery, EachAttemptUsesTheConfigurationOfItsSequence)
{
    auto first = defaults;
    first.cornerZone = 0.25;
    service().start(first);
    trigger(SystemEvent::systemWake);
    queue.advance(0.9);
    auto later = defaults;
    later.cornerZone = 0.4;
    service().update(later);
    queue.advance(2);
    EXPECT_EQ(probe().currentConfiguration(), first);
}

TEST_F(WakeRecovery, HeldDoubleTapIsDiscardedByARestart)
{
    std::vector<TrackpadGesture> gestures;
    service().onGesture = [&](const TrackpadGesture& g) { gestures.push_back(g); };
    service().start(defaults);
    trigger(SystemEvent::systemWake);
    queue.advance(0.8);
    for (const auto& f : topLeftDoubleTap()) probe().ingest(f);
    queue.advance(0.2);
    EXPECT_FALSE(probe().flushScheduled());
    queue.advance(1);
    EXPECT_TRUE(gestures.empty());
}

TEST_F(WakeRecovery, ObserversAndWorkOutlivingTheServiceDoNothing)
{
    trigger(SystemEvent::systemWake);
    monitor.reset();
    const auto logged = log.records.size();
    events.post(SystemEvent::screenUnlock);
    queue.advance(60);
    EXPECT_EQ(log.records.size(), logged);
}

}  // namespace
}  // namespace quorvel::testing
