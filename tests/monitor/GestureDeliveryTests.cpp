// Delivery of gestures, the deferral of double taps and the published state.
#include <gmock/gmock.h>

#include "tests/monitor/MonitorTestSupport.h"

namespace quorvel::testing {
namespace {

using ::testing::ElementsAre;

class GestureDelivery : public MonitorTest {
protected:
    GestureDelivery()
    {
        service().onGesture = [this](const TrackpadGesture& g) { delivered.push_back({g, queue.now()}); };
    }
    void feed(const std::vector<ContactFrame>& frames)
    {
        for (const auto& f : frames) probe().ingest(f);
    }
    void askAbout(std::optional<bool> answer)
    {
        if (answer) {
            service().shouldWaitForTripleTap = [this, a = *answer](TrackpadCorner c) {
                asked.push_back(c);
                return a;
            };
        }
    }

    struct Delivery {
        TrackpadGesture gesture;
        double queueTime;
    };
    std::vector<Delivery> delivered;
    std::vector<TrackpadCorner> asked;
};

const TrackpadGesture heldDoubleTap{TrackpadCorner::topLeft, TapPattern::doubleTap, 1.40};

TEST_F(GestureDelivery, CornerWithoutTripleTapDeliversDuringTheCompletingFrame)
{
    askAbout(false);
    feed(topLeftDoubleTap());
    ASSERT_EQ(delivered.size(), 1u);  // before the queue ran at all
    EXPECT_EQ(delivered[0].gesture, heldDoubleTap);
    EXPECT_FALSE(probe().flushScheduled());
    EXPECT_EQ(queue.pendingScheduledCount(), 0u);
    EXPECT_EQ(service().statusMessage().get(), "Top Left Double Tap");
    EXPECT_THAT(asked, ElementsAre(TrackpadCorner::topLeft));  // only the frame that left it held
}

class DeferredRelease : public GestureDelivery, public ::testing::WithParamInterface<std::optional<bool>> {};

TEST_P(DeferredRelease, ReleasesDelayAfterTheLastFrameSeenWhileHeld)
{
    askAbout(GetParam());
    feed(topLeftDoubleTap());
    EXPECT_TRUE(delivered.empty());
    EXPECT_TRUE(probe().flushScheduled());
    // Frames that keep it held (no contacts in a zone, before its window ran out) re-arm the release.
    queue.advance(0.125);
    probe().ingest(touchDown(1.45, 0.5, 0.5));
    queue.advance(0.1875);
    EXPECT_TRUE(delivered.empty());
    queue.advance(0.0625);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].gesture, heldDoubleTap);  // its own timestamp, not the release time
    EXPECT_DOUBLE_EQ(delivered[0].queueTime, 0.125 + 0.2);
    EXPECT_FALSE(probe().flushScheduled());
    queue.advance(5);
    EXPECT_EQ(delivered.size(), 1u);
}

INSTANTIATE_TEST_SUITE_P(UnsetHookOrWaiting, DeferredRelease, ::testing::Values(std::nullopt, true));

TEST_F(GestureDelivery, ThirdTapReplacesTheHeldDoubleTap)
{
    askAbout(true);
    feed(topLeftDoubleTap());
    feed({touchDown(1.50), noContacts(1.55)});
    queue.advance(1);
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].gesture, (TrackpadGesture{TrackpadCorner::topLeft, TapPattern::tripleTap, 1.55}));
    EXPECT_EQ(service().statusMessage().get(), "Top Left Triple Tap");
    EXPECT_FALSE(probe().flushScheduled());  // the release ran, found nothing and cleared itself
}

TEST_F(GestureDelivery, UpdateDropsTheHeldDoubleTapAndTakesTheNewWindow)
{
    askAbout(true);
    feed(topLeftDoubleTap());
    auto slower = defaults;
    slower.tripleTapWindow = 0.5;
    service().update(slower);
    EXPECT_FALSE(probe().flushScheduled());
    EXPECT_EQ(probe().pendingDoubleTapDelay(), 0.5);
    queue.advance(2);
    EXPECT_TRUE(delivered.empty());

    feed(topLeftDoubleTap());
    queue.advance(0.4375);
    EXPECT_TRUE(delivered.empty());
    queue.advance(0.0625);
    EXPECT_EQ(delivered.size(), 1u);
}

TEST_F(GestureDelivery, LaterFrameReleasesAnExpiredDoubleTapFirst)
{
    askAbout(true);
    feed(topLeftDoubleTap());
    // A new touch in the same corner at 1.60: the double tap comes out, the touch is not a gesture.
    probe().ingest(touchDown(1.60));
    ASSERT_EQ(delivered.size(), 1u);
    EXPECT_EQ(delivered[0].gesture, heldDoubleTap);

    service().update(defaults);
    feed(topLeftDoubleTap());
    queue.advance(0.1);
    probe().ingest(noContacts(1.65));  // a frame without contacts still goes through
    EXPECT_EQ(delivered.size(), 2u);
    EXPECT_EQ(probe().lastFrameReceivedAt(), clock.now());
}

TEST_F(GestureDelivery, ReleaseAfterTheServiceIsGoneDoesNothing)
{
    feed(topLeftDoubleTap());
    monitor.reset();
    queue.advance(1);
    EXPECT_TRUE(delivered.empty());
}

TEST_F(GestureDelivery, CreatedStateIsIdle)
{
    EXPECT_FALSE(service().isRunning().get());
    EXPECT_EQ(service().statusMessage().get(), "Not started");
    EXPECT_EQ(service().lastGesture().get(), std::nullopt);
    EXPECT_EQ(service().gestureEventID().get().toString(), "00000000-0000-0000-0000-000000000001");
    EXPECT_EQ(probe().currentConfiguration(), (RecognizerConfiguration{0.3, 0.45, 0.2, 0.28, 0.08}));
    EXPECT_EQ(probe().pendingDoubleTapDelay(), 0.2);
}

TEST_F(GestureDelivery, EqualGesturesGetDistinctEventIDs)
{
    askAbout(false);
    feed(topLeftDoubleTap());
    const auto first = service().gestureEventID().get();
    service().update(defaults);  // a fresh recogniser accepts the same frames again
    feed(topLeftDoubleTap());
    ASSERT_EQ(delivered.size(), 2u);
    EXPECT_EQ(delivered[0].gesture, delivered[1].gesture);
    EXPECT_NE(service().gestureEventID().get(), first);
}

TEST_F(GestureDelivery, SubscribersHearOfEachChangeBeforeItHappens)
{
    askAbout(false);
    std::vector<std::string> heard;
    service().lastGesture().subscribeWillChange([&](const std::optional<TrackpadGesture>& next) {
        heard.push_back(std::string("lastGesture ") + (service().lastGesture().get() ? "set" : "absent") + " -> "
                        + (next == heldDoubleTap ? "double tap" : "?"));
    });
    service().gestureEventID().subscribeWillChange([&](const platform::Uuid& next) {
        heard.push_back("gestureEventID " + service().gestureEventID().get().toString().substr(34) + " -> "
                        + next.toString().substr(34));
    });
    service().statusMessage().subscribeWillChange([&](const std::string& next) {
        heard.push_back("statusMessage " + service().statusMessage().get() + " -> " + next);
    });
    service().onGesture = [&](const TrackpadGesture&) { heard.push_back("onGesture"); };
    feed(topLeftDoubleTap());
    EXPECT_THAT(heard, ElementsAre("lastGesture absent -> double tap", "gestureEventID 01 -> 02",
                                   "statusMessage Not started -> Top Left Double Tap", "onGesture"));
}

}  // namespace
}  // namespace quorvel::testing
