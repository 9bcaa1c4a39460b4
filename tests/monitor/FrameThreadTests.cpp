// Frames sent from the framework's own thread while the main thread works and stops.
#include <gmock/gmock.h>

#include "tests/monitor/MonitorTestSupport.h"
#include "tests/monitor/TestFrameworkData.h"

namespace quorvel::testing {
namespace {

TEST_F(MonitorTest, FramesFromTheFrameworkThreadArriveInOrderUntilStop)
{
    FrameworkLibrary library(QUORVEL_TEST_FRAMEWORK_THREADED);
    framework.setLibraryPath(library.path);
    std::vector<TrackpadGesture> gestures;
    service().onGesture = [&](const TrackpadGesture& g) { gestures.push_back(g); };
    service().start(defaults);
    ASSERT_TRUE(service().isRunning().get());

    // Watch what the service's sink receives.
    std::vector<ContactFrame> received;
    auto serviceSink = *appContactSink();
    appContactSink() = [&, serviceSink](const ContactFrame& f) {
        received.push_back(f);
        serviceSink(f);
    };
    using Wait = int (*)(double);
    ASSERT_EQ(library.control<Wait>("testFrameworkWaitForScript")(30.0), 1);
    queue.drain();

    const auto script = threadedFrameScript();
    ASSERT_GE(received.size(), script.size());
    for (std::size_t i = 0; i < script.size(); ++i) {
        const auto& s = script[i];
        const bool empty = s.nullTouches || s.count < 1;
        EXPECT_EQ(received[i], (ContactFrame{1, s.frame, s.timestamp, empty ? std::vector<TrackpadContact>{}
                                                                              : s.contacts}))
            << i;
    }
    EXPECT_THAT(gestures, ::testing::ElementsAre(TrackpadGesture{TrackpadCorner::topLeft, TapPattern::doubleTap, 1.40}));

    // The thread keeps sending while the service stops; nothing reaches the service after.
    using KeepSending = int (*)(long, double);
    ASSERT_EQ(library.control<KeepSending>("testFrameworkKeepSending")(100, 30.0), 1);
    service().stop();
    const auto count = received.size();
    const auto seen = TrackpadMonitorServiceProbe{service()}.lastFrameReceivedAt();
    queue.drain();
    EXPECT_EQ(received.size(), count);
    EXPECT_EQ(TrackpadMonitorServiceProbe{service()}.lastFrameReceivedAt(), seen);
    EXPECT_EQ(service().statusMessage().get(), "Stopped");
}

}  // namespace
}  // namespace quorvel::testing
