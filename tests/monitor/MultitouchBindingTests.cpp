// Binding the framework over dlopen: the entry points called, the status and log line of
// every outcome, and frames taken from the callback to the main queue.
#include <gmock/gmock.h>

#include "tests/monitor/MonitorTestSupport.h"

namespace quorvel::testing {
namespace {

using platform::LogLevel;
using ::testing::ElementsAre;

// Library; status and log line after start; the calls of start, and of stop.
using BoundStart = std::tuple<const char*, const char*, const char*, const char*, const char*>;
class Binding : public MonitorTest, public ::testing::WithParamInterface<BoundStart> {};

TEST_P(Binding, StartsEveryListedDeviceAndStopUndoesIt)
{
    const auto& [path, status, logged, startCalls, stopCalls] = GetParam();
    FrameworkLibrary library(path);
    framework.path = path;
    EXPECT_EQ(monitor->statusMessage().get(), "Not started");
    monitor->stop();  // never started: no framework call, only the status
    EXPECT_EQ(monitor->statusMessage().get(), "Stopped");
    monitor->start(defaults);
    monitor->start(defaults);  // running: applies the configuration only
    EXPECT_EQ(library.calls(), startCalls);
    EXPECT_TRUE(monitor->isRunning().get());
    EXPECT_EQ(monitor->statusMessage().get(), status);
    EXPECT_THAT(log.records, ElementsAre(LogRecord{LogLevel::info, "Quorvel", "TrackpadMonitor",
                                                   "Monitoring %ld multitouch device(s)", logged}));

    appContactCallback(1, nullptr, 0, 1.0, 1);
    EXPECT_EQ(probe().lastFrameReceivedAt(), std::nullopt);  // taken to the main queue first
    queue.drain();
    EXPECT_EQ(probe().lastFrameReceivedAt(), clock.now());
    queue.advance(1);
    appContactCallback(1, nullptr, 0, 2.0, 2);  // in flight when the service stops: dropped
    monitor->stop();
    queue.drain();
    EXPECT_EQ(probe().lastFrameReceivedAt(), clock.now() - 1);
    EXPECT_EQ(library.calls(), std::string(startCalls) + "|" + stopCalls);
    EXPECT_FALSE(monitor->isRunning().get());
    EXPECT_EQ(monitor->statusMessage().get(), "Stopped");
}

INSTANTIATE_TEST_SUITE_P(
    Frameworks, Binding,
    ::testing::Values(  // the count includes null entries
        BoundStart{QUORVEL_TEST_FRAMEWORK_ONE, "Monitoring 1 multitouch device", "Monitoring 1 multitouch device(s)",
                   "create|retain|register 1 callback|start 1 0", "register 1 null|stop 1|release"},
        BoundStart{QUORVEL_TEST_FRAMEWORK_COMPLETE, "Monitoring 2 multitouch devices",
                   "Monitoring 2 multitouch device(s)",
                   "create|retain|register 1 callback|start 1 0|register 2 callback|start 2 0",
                   "register 1 null|stop 1|register 2 null|stop 2|release"},
        BoundStart{QUORVEL_TEST_FRAMEWORK_NULL_ENTRY, "Monitoring 3 multitouch devices",
                   "Monitoring 3 multitouch device(s)",
                   "create|retain|register 1 callback|start 1 0|register 2 callback|start 2 0",
                   "register 1 null|stop 1|register 2 null|stop 2|release"}));

// Library; the calls made; status and error line.
using FailedStart = std::tuple<const char*, const char*, const char*, const char*>;
class FailingStart : public MonitorTest, public ::testing::WithParamInterface<FailedStart> {};

TEST_P(FailingStart, EndsUnboundWithItsStatusAndOneErrorLine)
{
    const auto& [path, calls, status, logged] = GetParam();
    {
        FrameworkLibrary library(path);
        framework.path = path;
        monitor->start(defaults);
        EXPECT_EQ(library.calls(), calls);
    }
    EXPECT_FALSE(loaded(path));  // the service closed it too
    EXPECT_FALSE(monitor->isRunning().get());
    EXPECT_EQ(monitor->statusMessage().get(), status);
    EXPECT_THAT(log.records, ElementsAre(::testing::AllOf(::testing::Field(&LogRecord::level, LogLevel::error),
                                                          ::testing::Field(&LogRecord::message, logged))));
}

INSTANTIATE_TEST_SUITE_P(
    Frameworks, FailingStart,
    ::testing::Values(FailedStart{"/nonexistent/libquorvel-multitouch.so", "", "Could not load multitouch framework",
                                  "Could not load MultitouchSupport.framework from /nonexistent/libquorvel-multitouch.so: "
                                  "cannot open shared object file: No such file or directory"},
                      FailedStart{QUORVEL_TEST_FRAMEWORK_NO_STOP, "", "Private multitouch setup failed",
                                  "Private multitouch setup failed: missing symbol MTDeviceStop"},
                      FailedStart{QUORVEL_TEST_FRAMEWORK_NO_RETAIN, "", "Private multitouch setup failed",
                                  "Private multitouch setup failed: missing symbol MTDeviceListRetain"},
                      FailedStart{QUORVEL_TEST_FRAMEWORK_NO_RELEASE, "", "Private multitouch setup failed",
                                  "Private multitouch setup failed: missing symbol MTDeviceListRelease"},
                      FailedStart{QUORVEL_TEST_FRAMEWORK_EMPTY, "create|retain|release",
                                  "No multitouch devices found", "No multitouch devices found"}));

}  // namespace
}  // namespace quorvel::testing
