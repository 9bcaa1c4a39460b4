// Binding the framework over dlopen, and the way frames take from its callback.
#include <gmock/gmock.h>

#include <cstring>

#include "tests/monitor/MonitorTestSupport.h"
#include "tests/monitor/TestFrameworkData.h"

namespace quorvel::testing {
namespace {

using platform::LogLevel;

class Binding : public MonitorTest {
protected:
    LogRecord line(LogLevel level, const char* format, const char* message)
    {
        return LogRecord{level, "Quorvel", "TrackpadMonitor", format, message};
    }
    std::vector<LogRecord> lines() const
    {
        std::vector<LogRecord> out;
        for (const auto& r : log.records) out.push_back(r.record);
        return out;
    }
    // Whether the dynamic loader still has the library mapped.
    static bool loaded(const char* path)
    {
        void* handle = ::dlopen(path, RTLD_NOW | RTLD_NOLOAD);
        if (handle != nullptr) ::dlclose(handle);
        return handle != nullptr;
    }
};

TEST_F(Binding, CompleteFrameworkRegistersAndStartsEveryDevice)
{
    FrameworkLibrary library(QUORVEL_TEST_FRAMEWORK_COMPLETE);
    framework.setLibraryPath(library.path);
    service().start(defaults);
    EXPECT_EQ(library.calls(), "create|retain|register 1 callback|start 1 0|register 2 callback|start 2 0");
    EXPECT_EQ(library.listReferences(), 2);
    EXPECT_TRUE(service().isRunning().get());
    EXPECT_EQ(service().statusMessage().get(), "Monitoring 2 multitouch devices");
    EXPECT_THAT(lines(), ::testing::ElementsAre(line(LogLevel::info, "Monitoring %ld multitouch device(s)",
                                                     "Monitoring 2 multitouch device(s)")));

    library.clearCalls();
    service().start(defaults);  // running: applies the configuration only
    EXPECT_EQ(library.calls(), "");

    service().stop();
    EXPECT_EQ(library.calls(), "register 1 null|stop 1|register 2 null|stop 2|release");
    EXPECT_EQ(library.listReferences(), 1);
    EXPECT_FALSE(service().isRunning().get());
    EXPECT_EQ(service().statusMessage().get(), "Stopped");
    EXPECT_FALSE(library.fire(1, nullptr, 0, 1.0, 1));  // detached
    EXPECT_FALSE(appContactSink().has_value());
}

TEST_F(Binding, StatusCountsEveryListEntryIncludingNullOnes)
{
    framework.setLibraryPath(QUORVEL_TEST_FRAMEWORK_ONE);
    service().start(defaults);
    EXPECT_EQ(service().statusMessage().get(), "Monitoring 1 multitouch device");

    FrameworkLibrary library(QUORVEL_TEST_FRAMEWORK_NULL_ENTRY);
    framework.setLibraryPath(library.path);
    service().stop();
    service().start(defaults);
    EXPECT_EQ(service().statusMessage().get(), "Monitoring 3 multitouch devices");
    EXPECT_EQ(probe().boundDevices(), 2u);
    EXPECT_EQ(library.calls(), "create|retain|register 1 callback|start 1 0|register 2 callback|start 2 0");
}

struct FailedStart {
    const char* library;
    const char* status;
    std::vector<std::string> log;
};

class FailingStart : public Binding, public ::testing::WithParamInterface<FailedStart> {};

TEST_P(FailingStart, EndsUnboundWithItsStatusAndLogLine)
{
    framework.setLibraryPath(GetParam().library);
    service().start(defaults);
    EXPECT_FALSE(service().isRunning().get());
    EXPECT_EQ(service().statusMessage().get(), GetParam().status);
    EXPECT_EQ(log.messages(), GetParam().log);
    for (const auto& r : log.records) EXPECT_EQ(r.record.level, LogLevel::error);
    EXPECT_EQ(probe().boundDevices(), 0u);
    EXPECT_FALSE(probe().frameworkOpen());
    EXPECT_FALSE(loaded(GetParam().library));
}

INSTANTIATE_TEST_SUITE_P(
    Frameworks, FailingStart,
    ::testing::Values(
        FailedStart{"/nonexistent/libquorvel-multitouch.so", "Could not load multitouch framework",
                    {"Could not load MultitouchSupport.framework"}},
        FailedStart{QUORVEL_TEST_FRAMEWORK_NO_STOP, "Private multitouch setup failed",
                    {"Private multitouch setup failed: missing symbol MTDeviceStop"}},
        FailedStart{QUORVEL_TEST_FRAMEWORK_NO_RETAIN, "Private multitouch setup failed",
                    {"Private multitouch setup failed: missing symbol MTDeviceListRetain"}},
        FailedStart{QUORVEL_TEST_FRAMEWORK_EMPTY, "No multitouch devices found", {"No multitouch devices found"}}));

TEST_F(Binding, MissingStopCallsNoEntryPointAndEmptyListIsGivenBack)
{
    FrameworkLibrary noStop(QUORVEL_TEST_FRAMEWORK_NO_STOP);
    framework.setLibraryPath(noStop.path);
    service().start(defaults);
    EXPECT_EQ(noStop.calls(), "");

    FrameworkLibrary empty(QUORVEL_TEST_FRAMEWORK_EMPTY);
    framework.setLibraryPath(empty.path);
    service().start(defaults);
    EXPECT_EQ(empty.calls(), "create|retain|release");
    EXPECT_EQ(empty.listReferences(), 1);
}

TEST_F(Binding, StopOfANeverStartedServiceOnlySetsItsStatus)
{
    service().stop();
    EXPECT_FALSE(service().isRunning().get());
    EXPECT_EQ(service().statusMessage().get(), "Stopped");
    EXPECT_TRUE(log.records.empty());
}

TEST_F(Binding, CallbackCopiesRecordsBitForBitInOrder)
{
    std::vector<ContactFrame> received;
    appContactSink() = [&](const ContactFrame& f) { received.push_back(f); };
    setAppContactQueue(&queue);
    const std::vector<TrackpadContact> contacts{
        {-7, -3, {0.25, 0.75}, 1.5}, {2147483647, 4, {0.5, 0.0}, 0.125}, {0, 0, {1.0, -0.5}, 0.0}};
    TouchRecords records(contacts);
    EXPECT_EQ(appContactCallback(9, records.data(), 3, 12.5, 77), 0);
    std::memset(records.data(), 0, 3 * 80);  // the buffer is the framework's again
    EXPECT_TRUE(received.empty());  // delivered on the main queue, not in the callback
    queue.drain();
    EXPECT_THAT(received, ::testing::ElementsAre(ContactFrame{9, 77, 12.5, contacts}));
}

TEST_F(Binding, CallbackWithoutRecordsDeliversAnEmptyFrame)
{
    std::vector<ContactFrame> received;
    appContactSink() = [&](const ContactFrame& f) { received.push_back(f); };
    setAppContactQueue(&queue);
    TouchRecords records({{1, 1, {0.1, 0.9}, 1.0}});
    appContactCallback(1, records.data(), 0, 1.0, 10);
    appContactCallback(2, records.data(), -4, 2.0, 11);
    appContactCallback(3, nullptr, 5, 3.0, 12);
    queue.drain();
    EXPECT_THAT(received, ::testing::ElementsAre(ContactFrame{1, 10, 1.0, {}}, ContactFrame{2, 11, 2.0, {}},
                                                 ContactFrame{3, 12, 3.0, {}}));
}

TEST_F(Binding, FramesTakeTheCallbackToTheMainThreadAndTheSinkOfThatMoment)
{
    FrameworkLibrary library(QUORVEL_TEST_FRAMEWORK_COMPLETE);
    framework.setLibraryPath(library.path);
    std::vector<TrackpadGesture> gestures;
    service().onGesture = [&](const TrackpadGesture& g) { gestures.push_back(g); };
    service().shouldWaitForTripleTap = [](TrackpadCorner) { return false; };
    service().start(defaults);
    // A double tap through the framework's callback on device 2.
    TouchRecords finger({{1, 1, {0.1, 0.9}, 1.0}});
    for (auto [down, up] : {std::pair{1.00, 1.10}, std::pair{1.30, 1.40}}) {
        ASSERT_TRUE(library.fire(2, finger.data(), 1, down, 1));
        ASSERT_TRUE(library.fire(2, nullptr, 0, up, 2));
    }
    EXPECT_TRUE(gestures.empty());
    queue.drain();
    EXPECT_THAT(gestures, ::testing::ElementsAre(TrackpadGesture{TrackpadCorner::topLeft, TapPattern::doubleTap, 1.40}));

    // In flight when the service stops: dropped.
    ASSERT_TRUE(library.fire(1, nullptr, 0, 5.0, 3));
    const auto seen = probe().lastFrameReceivedAt();
    service().stop();
    queue.drain();
    EXPECT_EQ(probe().lastFrameReceivedAt(), seen);
}

TEST_F(Binding, DestroyedServiceLeavesNoWayToItsQueue)
{
    framework.setLibraryPath(QUORVEL_TEST_FRAMEWORK_ONE);
    service().start(defaults);
    monitor.reset();
    EXPECT_FALSE(loaded(QUORVEL_TEST_FRAMEWORK_ONE));
    ASSERT_TRUE(appContactSink().has_value());  // left as it was; it holds the service weakly
    (*appContactSink())(noContacts(1.0));
    bool submitted = false;
    appContactSink() = [&](const ContactFrame&) { submitted = true; };
    appContactCallback(1, nullptr, 0, 1.0, 1);
    queue.drain();
    EXPECT_FALSE(submitted);
}

}  // namespace
}  // namespace quorvel::testing
