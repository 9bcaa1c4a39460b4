#include <gtest/gtest.h>

#include <cmath>
#include <memory>

#include "tests/core/RecognizerTestSupport.h"

namespace quorvel::testing {
namespace {

using Gestures = std::vector<TrackpadGesture>;

TrackpadGesture doubleTapAt(double t, TrackpadCorner corner = TrackpadCorner::topLeft)
{
    return {corner, TapPattern::doubleTap, t};
}

TrackpadGesture tripleTapAt(double t, TrackpadCorner corner = TrackpadCorner::topLeft)
{
    return {corner, TapPattern::tripleTap, t};
}

// Limits that are exact binary fractions, so "exactly at the limit" is exact.
RecognizerConfiguration exactConfiguration()
{
    return RecognizerConfiguration{.cornerZone = 0.25,
                                   .doubleTapWindow = 0.5,
                                   .tripleTapWindow = 0.25,
                                   .maximumTapDuration = 0.25,
                                   .maximumTapTravel = 0.0625};
}

TEST(WhatCountsAsATap, DurationAndTravelLimitsAreInclusive)
{
    const TrackpadPoint start{0.125, 0.875};
    const double over = std::ldexp(1.0, -10);
    // A first tap, then a second touch of the given duration ending at `end`: held double tap or not.
    auto secondTouchCounts = [&](double duration, TrackpadPoint end) {
        TrackpadGestureRecognizer recognizer(exactConfiguration());
        tap(recognizer, 1.0, 1.125, start);
        const auto events = stroke(recognizer, 1.25, 1.25 + duration, {start, end});
        const auto* ended = eventAs<RecognizerEvent::TouchEnded>(events.back());
        EXPECT_NE(ended, nullptr);
        if (ended) {
            EXPECT_EQ(ended->end, (TouchEnd{1, duration, std::abs(end.y - start.y)}));
        }
        return recognizer.pendingDoubleTapGesture().has_value();
    };
    EXPECT_TRUE(secondTouchCounts(0.25, {0.125, 0.8125}));
    EXPECT_FALSE(secondTouchCounts(0.25 + over, {0.125, 0.8125}));
    EXPECT_FALSE(secondTouchCounts(0.25, {0.125, 0.8125 - over}));
}

TEST(WhatCountsAsATap, TheFarthestPointCountsNotThePathLength)
{
    TrackpadGestureRecognizer wandering(standardConfiguration());
    tap(wandering, 1.0, 1.1);
    const auto events = stroke(wandering, 1.2, 1.4, {topLeftPoint, {0.1, 0.81}, {0.1, 0.85}, topLeftPoint});
    EXPECT_NEAR(eventAs<RecognizerEvent::TouchEnded>(events.back())->end.travel, 0.09, 1e-12);
    EXPECT_EQ(wandering.pendingDoubleTapGesture(), std::nullopt);

    // Back and forth within 0.05 of the start: a long path, still a tap.
    TrackpadGestureRecognizer jittering(standardConfiguration());
    tap(jittering, 1.0, 1.1);
    std::vector<TrackpadPoint> jitter;
    for (int i = 0; i < 10; ++i) jitter.push_back({0.1, i % 2 == 0 ? 0.9 : 0.85});
    stroke(jittering, 1.2, 1.4, jitter);
    EXPECT_EQ(jittering.pendingDoubleTapGesture(), doubleTapAt(1.4));
}

TEST(WhatCountsAsATap, ItMustEndInTheCornerItStartedIn)
{
    // A first tap at `firstTap`, then a short stroke along `path`: does the stroke make a double tap?
    auto strokeCounts = [](double cornerZone, TrackpadPoint firstTap, std::vector<TrackpadPoint> path) {
        RecognizerConfiguration configuration = standardConfiguration();
        configuration.cornerZone = cornerZone;
        TrackpadGestureRecognizer recognizer(configuration);
        tap(recognizer, 1.0, 1.1, firstTap);
        stroke(recognizer, 1.2, 1.3, path);
        return recognizer.pendingDoubleTapGesture().has_value();
    };
    const std::vector<TrackpadPoint> topLeftToTopRight{{0.49, 0.9}, {0.51, 0.9}};
    EXPECT_FALSE(strokeCounts(0.5, {0.49, 0.9}, topLeftToTopRight));
    EXPECT_FALSE(strokeCounts(0.5, {0.51, 0.9}, topLeftToTopRight));
    EXPECT_FALSE(strokeCounts(0.3, {0.28, 0.9}, {{0.28, 0.9}, {0.32, 0.9}}));  // leaves every zone
    EXPECT_TRUE(strokeCounts(0.3, {0.28, 0.9}, {{0.28, 0.9}, {0.3, 0.9}}));
}

TEST(TapSequences, ASecondTapIsHeldUntilAFrameComesTheTripleTapWindowLater)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    const auto first = tap(recognizer, 1.00, 1.10);
    ASSERT_EQ(first.size(), 2u);
    EXPECT_EQ(eventAs<RecognizerEvent::TouchBegan>(first[0])->snapshot.corner, TrackpadCorner::topLeft);
    EXPECT_EQ(first[1], RecognizerEvent::touchEnded(TouchEnd{1, 1.10 - 1.00, 0}));

    EXPECT_TRUE(gesturesIn(tap(recognizer, 1.30, 1.40)).empty());
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), doubleTapAt(1.40));
    EXPECT_TRUE(recognizer.ingest(frameAt(1.59, {contact(2, centrePoint)})).empty());

    // Released first thing, even by a frame that begins a new touch.
    const auto released = recognizer.ingest(frameAt(1.60, {contact(3, bottomRightPoint)}));
    ASSERT_EQ(released.size(), 2u);
    EXPECT_EQ(released[0], RecognizerEvent::gesture(doubleTapAt(1.40)));
    EXPECT_NE(eventAs<RecognizerEvent::TouchBegan>(released[1]), nullptr);
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), std::nullopt);
    EXPECT_TRUE(recognizer.flushPendingDoubleTap(9, true).empty());
}

TEST(TapSequences, AThirdTapInTimeReplacesTheHeldDoubleTap)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    tap(recognizer, 1.00, 1.10);
    tap(recognizer, 1.30, 1.40);
    const auto third = tap(recognizer, 1.50, 1.55);
    ASSERT_EQ(third.size(), 3u);
    EXPECT_NE(eventAs<RecognizerEvent::TouchEnded>(third[1]), nullptr);
    EXPECT_EQ(third[2], RecognizerEvent::gesture(tripleTapAt(1.55)));

    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), std::nullopt);
    EXPECT_TRUE(recognizer.ingest(frameAt(3.0)).empty());
    EXPECT_TRUE(recognizer.flushPendingDoubleTap(3.0, true).empty());
}

TEST(TapSequences, AThirdTapEndingAsTheWindowRunsOutStartsANewSequence)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    tap(recognizer, 1.00, 1.10);
    tap(recognizer, 1.30, 1.40);
    const auto third = tap(recognizer, 1.50, 1.60);
    EXPECT_EQ(third[1], RecognizerEvent::gesture(doubleTapAt(1.40)));
    EXPECT_EQ(gesturesIn(third), Gestures{doubleTapAt(1.40)});

    // That third tap was the first of a new sequence.
    EXPECT_TRUE(gesturesIn(tap(recognizer, 1.70, 1.75)).empty());
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), doubleTapAt(1.75));
}

TEST(TapSequences, TheTripleTapWindowIncludesItsEnd)
{
    // Exact binary times: the second tap ends at 1.25, the window is 0.25.
    auto heldDoubleTap = [] {
        auto recognizer = std::make_unique<TrackpadGestureRecognizer>(exactConfiguration());
        tap(*recognizer, 0.875, 1.0, {0.125, 0.875});
        tap(*recognizer, 1.125, 1.25, {0.125, 0.875});
        return recognizer;
    };
    EXPECT_TRUE(heldDoubleTap()->ingest(frameAt(std::nextafter(1.5, 0.0))).empty());
    EXPECT_EQ(heldDoubleTap()->ingest(frameAt(1.5)), std::vector{RecognizerEvent::gesture(doubleTapAt(1.25))});
    EXPECT_TRUE(heldDoubleTap()->flush(std::nextafter(1.5, 0.0)).empty());
    EXPECT_EQ(heldDoubleTap()->flush(1.5), Gestures{doubleTapAt(1.25)});
}

TEST(TapSequences, ATapInAnotherCornerDiscardsTheHeldDoubleTap)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    tap(recognizer, 1.00, 1.10);
    tap(recognizer, 1.30, 1.40);
    EXPECT_TRUE(gesturesIn(tap(recognizer, 1.45, 1.50, bottomRightPoint)).empty());
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), std::nullopt);
    EXPECT_TRUE(recognizer.flushPendingDoubleTap(1.50, true).empty());

    EXPECT_TRUE(gesturesIn(tap(recognizer, 1.65, 1.70, bottomRightPoint)).empty());
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), doubleTapAt(1.70, TrackpadCorner::bottomRight));
}

TEST(TapSequences, TheDoubleTapWindowIsAnInclusiveDifferenceOfDoubles)
{
    auto secondTapCounts = [](double firstEnd, double secondEnd) {
        TrackpadGestureRecognizer recognizer(standardConfiguration());
        tap(recognizer, firstEnd - 0.05, firstEnd);
        tap(recognizer, secondEnd - 0.05, secondEnd);
        return recognizer.pendingDoubleTapGesture().has_value();
    };
    EXPECT_TRUE(secondTapCounts(1.10, 1.10 + 0.45));
    EXPECT_FALSE(secondTapCounts(1.10, std::nextafter(1.10 + 0.45, 2.0)));
    // 94.71 + 0.45 rounds to 95.16, yet 95.16 - 94.71 is above 0.45: the difference decides.
    ASSERT_EQ(94.71 + 0.45, 95.16);
    EXPECT_FALSE(secondTapCounts(94.71, 95.16));
}

TEST(TapSequences, ALongPressNeitherCountsNorBreaksTheSequence)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    tap(recognizer, 1.00, 1.10);
    const auto press = tap(recognizer, 1.15, 1.45);
    EXPECT_EQ(press.back(), RecognizerEvent::touchEnded(TouchEnd{1, 1.45 - 1.15, 0}));
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), std::nullopt);
    EXPECT_TRUE(gesturesIn(tap(recognizer, 1.45, 1.50)).empty());
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), doubleTapAt(1.50));
}

TEST(ReleasingTheHeldDoubleTap, OnlyWhenForcedOrItsWindowHasRunOut)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    tap(recognizer, 1.00, 1.10);
    tap(recognizer, 1.30, 1.40);
    EXPECT_TRUE(recognizer.flush(1.59).empty());
    EXPECT_TRUE(recognizer.flushPendingDoubleTap(1.59, false).empty());
    EXPECT_EQ(recognizer.flush(1.60), Gestures{doubleTapAt(1.40)});
    EXPECT_TRUE(recognizer.flush(1.60).empty());

    tap(recognizer, 2.00, 2.10);
    tap(recognizer, 2.30, 2.40);
    EXPECT_EQ(recognizer.flushPendingDoubleTap(2.41, true), Gestures{doubleTapAt(2.40)});
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), std::nullopt);
    // The sequence starts over: the next tap is a first tap, not a third.
    EXPECT_TRUE(gesturesIn(tap(recognizer, 2.45, 2.50)).empty());
    EXPECT_EQ(recognizer.pendingDoubleTapGesture(), std::nullopt);
}

TEST(ReleasingTheHeldDoubleTap, ReleasingAtOnceTurnsFourQuickTapsIntoTwoDoubleTaps)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    Gestures delivered;
    for (const double down : {1.0, 1.1, 1.2, 1.3}) {
        for (const auto& gesture : gesturesIn(tap(recognizer, down, down + 0.05))) delivered.push_back(gesture);
        for (const auto& gesture : recognizer.flushPendingDoubleTap(down + 0.05, true)) delivered.push_back(gesture);
    }
    EXPECT_EQ(delivered, (Gestures{doubleTapAt(1.1 + 0.05), doubleTapAt(1.3 + 0.05)}));
}

}  // namespace
}  // namespace quorvel::testing
