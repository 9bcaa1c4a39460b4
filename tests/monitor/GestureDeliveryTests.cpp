// Delivery of gestures, the deferral of double taps and the published state.
#include <gmock/gmock.h>

#include "tests/monitor/MonitorTestSupport.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;

// Without waiting for a triple tap, every double tap is published and delivered during the
// frame that completes it, even an equal one, with a fresh event ID each time.
TEST_F(MonitorTest, CornerWithoutTripleTapDeliversDuringTheCompletingFrame)
{
    std::vector<std::string> heard;
    monitor->shouldWaitForTripleTap = [&](TrackpadCorner c) {
        heard.push_back(c == TrackpadCorner::topLeft ? "asked topLeft" : "asked another corner");
        return false;
    };
    monitor->lastGesture().subscribeWillChange([&](const auto&) { heard.push_back("lastGesture"); });
    monitor->gestureEventID().subscribeWillChange([&](const auto& id) { heard.push_back(id.toString().substr(34)); });
    monitor->statusMessage().subscribeWillChange(
        [&](const auto& s) { heard.push_back(s + " " + std::to_string(delivered.size())); });
    feed(topLeftDoubleTap());
    monitor->update(defaults);  // a fresh recogniser accepts the same frames again
    feed(topLeftDoubleTap());
    EXPECT_THAT(delivered, ElementsAre(heldDoubleTap, heldDoubleTap));
    EXPECT_EQ(queue.pendingScheduledCount(), 0u);
    EXPECT_THAT(heard, ElementsAre("asked topLeft", "lastGesture", "02", "Top Left Double Tap 0",  // then delivery 1
                                   "asked topLeft", "lastGesture", "03", "Top Left Double Tap 1"));
}

class DeferredRelease : public MonitorTest, public ::testing::WithParamInterface<bool> {};

TEST_P(DeferredRelease, ComesTheDelayAfterTheLastFrameSeenWhileHeld)
{
    if (GetParam()) monitor->shouldWaitForTripleTap = [](TrackpadCorner) { return true; };  // else unset
    feed(topLeftDoubleTap());
    queue.advance(0.125);
    probe().ingest(noContacts(1.45));  // keeps it held and re-arms the release
    EXPECT_TRUE(delivered.empty());
    queue.advance(5);
    EXPECT_THAT(delivered, ElementsAre(heldDoubleTap));  // its own timestamp, not the release time
    EXPECT_THAT(deliveredAt, ElementsAre(0.125 + 0.2));
}

INSTANTIATE_TEST_SUITE_P(HookAnsweringTrueOrUnset, DeferredRelease, ::testing::Bool());

TEST_F(MonitorTest, UpdateDropsTheHeldDoubleTapAndTakesTheNewWindow)
{
    feed(topLeftDoubleTap());
    auto slower = defaults;
    slower.tripleTapWindow = 0.5;
    monitor->update(slower);
    EXPECT_EQ(queue.pendingScheduledCount(), 0u);
    feed(topLeftDoubleTap());
    queue.advance(5);
    EXPECT_THAT(delivered, ElementsAre(heldDoubleTap));
    EXPECT_THAT(deliveredAt, ElementsAre(0.5));
}

TEST_F(MonitorTest, ThirdTapReplacesTheHeldDoubleTap)
{
    monitor->shouldWaitForTripleTap = [](TrackpadCorner) { return true; };
    feed(topLeftDoubleTap());
    feed({touchDown(1.50), noContacts(1.55)});
    queue.advance(1);  // the release finds nothing left
    EXPECT_THAT(delivered, ElementsAre(TrackpadGesture{TrackpadCorner::topLeft, TapPattern::tripleTap, 1.55}));
    EXPECT_EQ(monitor->statusMessage().get(), "Top Left Triple Tap");
}

}  // namespace
}  // namespace quorvel::testing
