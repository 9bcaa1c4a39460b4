#pragma once

#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "helper/monitor/AppContactRouting.h"
#include "helper/monitor/TrackpadMonitorService.h"
#include "tests/fakes/FakeClockAndLog.h"
#include "tests/fakes/FakeMainQueue.h"
#include "tests/fakes/FakeMultitouchFramework.h"
#include "tests/fakes/FakeSystemEvents.h"
#include "tests/fakes/QueueWallClock.h"
#include "tests/fakes/SequentialUuidSource.h"

namespace quorvel {

// Reaches the internals the behaviour is stated in.
struct TrackpadMonitorServiceProbe {
    TrackpadMonitorService& service;

    void ingest(const ContactFrame& frame) { service.ingest(frame); }
    bool flushScheduled() const { return service.pendingFlushWorkItem_ != nullptr; }
    double pendingDoubleTapDelay() const { return service.pendingDoubleTapDelay_; }
    RecognizerConfiguration currentConfiguration() const { return service.currentConfiguration_; }
    std::optional<double> lastFrameReceivedAt() const { return service.lastFrameReceivedAt_; }
    std::int64_t recoveryGeneration() const { return service.recoveryGeneration_; }
    std::size_t boundDevices() const { return service.devices_.size(); }
    bool frameworkOpen() const { return service.frameworkHandle_.has_value(); }
    void scheduleRecoveryRestart(const std::string& reason, double delay)
    {
        service.scheduleRecoveryRestart(reason, delay);
    }
    void restartForRecovery(const RecognizerConfiguration& c, const std::string& reason, std::int64_t generation,
                            std::int64_t attempt)
    {
        service.restartForRecovery(c, reason, generation, attempt);
    }
};

namespace testing {

// The test framework libraries that CMake builds beside the tests.
struct FrameworkLibrary {
    explicit FrameworkLibrary(const char* filePath) : path(filePath), handle(::dlopen(filePath, RTLD_NOW))
    {
        EXPECT_NE(handle, nullptr) << ::dlerror();
    }
    ~FrameworkLibrary()
    {
        if (handle != nullptr) ::dlclose(handle);
    }
    template <class Function>
    Function control(const char* name) const
    {
        return reinterpret_cast<Function>(::dlsym(handle, name));
    }
    std::string calls() const { return control<const char* (*)()>("testFrameworkCalls")(); }
    void clearCalls() const { control<void (*)()>("testFrameworkClearCalls")(); }
    long listReferences() const { return control<long (*)()>("testFrameworkListReferences")(); }
    bool fire(int device, const void* touches, std::int32_t count, double timestamp, std::int32_t frame) const
    {
        using Fire = int (*)(int, const void*, std::int32_t, double, std::int32_t);
        return control<Fire>("testFrameworkFire")(device, touches, count, timestamp, frame) == 1;
    }

    std::string path;
    void* handle;
};

// A log line with the virtual time at which it was written.
struct TimedLogRecord {
    double time;
    LogRecord record;
};

class TimedLog final : public platform::LogSink {
public:
    explicit TimedLog(const FakeMainQueue& queue) : queue_(queue) {}
    void write(platform::LogLevel level, std::string_view subsystem, std::string_view category,
               std::string_view format, std::string_view message) override
    {
        records.push_back({queue_.now(), LogRecord{level, std::string(subsystem), std::string(category),
                                                   std::string(format), std::string(message)}});
    }
    std::vector<std::string> messages() const
    {
        std::vector<std::string> out;
        for (const auto& r : records) out.push_back(r.record.message);
        return out;
    }
    std::vector<TimedLogRecord> records;

private:
    const FakeMainQueue& queue_;
};

// Every platform service on virtual time, and a monitor built on them.
class MonitorTest : public ::testing::Test {
protected:
    static constexpr RecognizerConfiguration defaults = TrackpadMonitorService::initialConfiguration;

    MonitorTest() { resetAppContactRouting(); }
    ~MonitorTest() override
    {
        monitor.reset();
        resetAppContactRouting();
    }

    TrackpadMonitorService& service() { return *monitor; }
    TrackpadMonitorServiceProbe probe() { return {*monitor}; }

    FakeMainQueue queue;
    QueueWallClock clock{queue};
    TimedLog log{queue};
    SequentialUuidSource uuids;
    FakeSystemEvents events;
    FakeMultitouchFramework framework;
    std::optional<TrackpadMonitorService> monitor{std::in_place,
                                                  MonitorServices{queue, clock, log, uuids, events, framework}};
};

// Frames of one finger on device 1: down at a point, or no contacts at all.
inline ContactFrame touchDown(double t, double x = 0.1, double y = 0.9, std::int32_t id = 1)
{
    return ContactFrame{1, 0, t, {TrackpadContact{id, 1, {x, y}, 1.0}}};
}
inline ContactFrame noContacts(double t) { return ContactFrame{1, 0, t, {}}; }

// The top-left double tap: taps ending at 1.10 and 1.40, held from the last frame on.
inline std::vector<ContactFrame> topLeftDoubleTap()
{
    return {touchDown(1.00), noContacts(1.10), touchDown(1.30), noContacts(1.40)};
}

}  // namespace testing
}  // namespace quorvel
