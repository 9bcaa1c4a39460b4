// Frames sent from the framework's own thread while the main thread works and stops.
#include <gmock/gmock.h>

#include <chrono>

#include "tests/monitor/MonitorTestSupport.h"

namespace quorvel::testing {
namespace {

TEST_F(MonitorTest, FramesFromTheFrameworkThreadArriveInOrderUntilStop)
{
    framework.path = QUORVEL_TEST_FRAMEWORK_THREADED;
    monitor->start(defaults);
    ASSERT_TRUE(monitor->isRunning().get());
    std::vector<ContactFrame> received;  // what the service's sink is given
    appContactSink() = [&, sink = *appContactSink()](const ContactFrame& f) {
        received.push_back(f);
        sink(f);
    };
    // The six scripted frames and a hundred empty ones. The queue is the frames' only way
    // between the threads: an unguarded one is a data race.
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::seconds(30);
    while (received.size() < 106 && std::chrono::steady_clock::now() < deadline) queue.drain();

    // The script's frames: a count of 0, a negative count or null touches carry no contacts;
    // records are read at their offsets from a misaligned buffer, bit for bit.
    ASSERT_GE(received.size(), 106u);
    const TrackpadContact corner{1, 1, {0.125, 0.875}, 1.0};
    EXPECT_THAT(std::vector(received.begin(), received.begin() + 6),
                ::testing::ElementsAre(ContactFrame{1, 1, 1.00, {corner}}, ContactFrame{1, 2, 1.10, {}},
                                       ContactFrame{1, 3, 1.30, {{2, 1, {0.125, 0.875}, 1.0}}},
                                       ContactFrame{1, 4, 1.40, {}}, ContactFrame{1, 5, 1.70, {}},
                                       ContactFrame{1, 6, 2.00,
                                                    {{-7, -3, {0.25, 0.75}, 1.5},
                                                     {2147483647, 4, {0.5, 0.0}, 0.125},
                                                     {0, 0, {1.0, -0.5}, 0.0}}}));
    EXPECT_THAT(delivered, ::testing::ElementsAre(heldDoubleTap));  // released by the expiring frame

    // The thread keeps sending while the service stops; nothing reaches the service after.
    monitor->stop();
    const auto count = received.size();
    queue.drain();
    EXPECT_EQ(received.size(), count);
    EXPECT_EQ(monitor->statusMessage().get(), "Stopped");
}

}  // namespace
}  // namespace quorvel::testing
