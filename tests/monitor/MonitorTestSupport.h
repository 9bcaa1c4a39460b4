#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/TrackpadMonitorService.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/QueueWallClock.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel {

// Reaches the internals the behaviour is stated in.
struct TrackpadMonitorServiceProbe {
    TrackpadMonitorService& service;

    void ingest(const ContactFrame& frame) { service.ingest(frame); }
    RecognizerConfiguration currentConfiguration() const { return service.currentConfiguration_; }
    std::optional<double> lastFrameReceivedAt() const { return service.lastFrameReceivedAt_; }
    void scheduleRecoveryRestart(const std::string& reason) { service.scheduleRecoveryRestart(reason, 0.9); }
};

namespace testing {

// A test framework library that CMake builds beside the tests, held open to read the calls made to it.
struct FrameworkLibrary {
    using Handle = std::unique_ptr<void, int (*)(void*)>;
    explicit FrameworkLibrary(const char* path) : handle(::dlopen(path, RTLD_NOW), &::dlclose) {}
    std::string calls() const
    {
        using Calls = const char* (*)();
        return handle ? reinterpret_cast<Calls>(::dlsym(handle.get(), "testFrameworkCalls"))() : "";
    }
    Handle handle;
};

// Whether the dynamic loader still has the library mapped.
inline bool loaded(const char* path)
{
    return FrameworkLibrary::Handle(::dlopen(path, RTLD_NOW | RTLD_NOLOAD), &::dlclose) != nullptr;
}

// Log lines, and their messages with the virtual time (to the millisecond) they were written at.
using TimedLines = std::vector<std::pair<double, std::string>>;
struct TimedLog final : CapturingLog {
    explicit TimedLog(const FakeMainQueue& q) : queue(q) {}
    void write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view format, std::string_view message) override
    {
        timed.emplace_back(std::round(queue.now() * 1000) / 1000, message);
        CapturingLog::write(level, subsystem, category, format, message);
    }
    const FakeMainQueue& queue;
    TimedLines timed;
};

// Every platform service on virtual time, and a monitor on them whose deliveries are recorded.
class MonitorTest : public ::testing::Test {
protected:
    static constexpr RecognizerConfiguration defaults = TrackpadMonitorService::initialConfiguration;

    MonitorTest()
    {
        resetAppContactRouting();  // process-wide: whatever an earlier test left
        monitor->onGesture = [this](const TrackpadGesture& g) {
            delivered.push_back(g);
            deliveredAt.push_back(queue.now());
        };
        monitor->installWakeRecovery();  // as the runner does
        monitor->installWakeRecovery();  // adds no observers
    }
    TrackpadMonitorServiceProbe probe() { return {*monitor}; }
    void feed(const std::vector<ContactFrame>& frames) { for (const auto& f : frames) probe().ingest(f); }

    FakeMainQueue queue;
    QueueWallClock clock{queue};
    TimedLog log{queue};
    SequentialUuidSource uuids;
    FakeSystemEvents events;
    FakeMultitouchFramework framework{QUORVEL_TEST_FRAMEWORK_ONE};
    std::optional<TrackpadMonitorService> monitor{std::in_place,
                                                  MonitorServices{queue, clock, log, uuids, events, framework}};
    std::vector<TrackpadGesture> delivered;
    std::vector<double> deliveredAt;  // queue time
};

// Frames of one finger on device 1; the top-left double tap, held from its last frame on.
inline ContactFrame touchDown(double t) { return ContactFrame{1, 0, t, {TrackpadContact{1, 1, {0.1, 0.9}, 1.0}}}; }
inline ContactFrame noContacts(double t) { return ContactFrame{1, 0, t, {}}; }
inline std::vector<ContactFrame> topLeftDoubleTap()
{
    return {touchDown(1.0), noContacts(1.1), touchDown(1.3), noContacts(1.4)};
}
inline const TrackpadGesture heldDoubleTap{TrackpadCorner::topLeft, TapPattern::doubleTap, 1.40};

}  // namespace testing
}  // namespace quorvel
