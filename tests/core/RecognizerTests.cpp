#include <gtest/gtest.h>

#include <QuorvelCore.h>

#include <algorithm>
#include <cmath>
#include <iterator>
#include <limits>
#include <optional>
#include <tuple>

namespace quorvel {
namespace {

using Gestures = std::vector<TrackpadGesture>;
using Began = RecognizerEvent::TouchBegan;
using Ended = RecognizerEvent::TouchEnded;
constexpr auto none = std::nullopt;
constexpr TrackpadPoint topLeftPoint{0.1, 0.9}, bottomRightPoint{0.9, 0.1}, centrePoint{0.5, 0.5};

// The tuning the helper starts with, and one of exact binary fractions where "exactly at the limit" is exact.
RecognizerConfiguration standard(double cornerZone = 0.3) { return {cornerZone, 0.45, 0.2, 0.28, 0.08}; }
constexpr RecognizerConfiguration exact{0.25, 0.5, 0.25, 0.25, 0.0625};

TrackpadContact contact(int id, TrackpadPoint at, int state = 1, double size = 1) { return {id, state, at, size}; }
ContactFrame frameAt(double t, std::vector<TrackpadContact> on = {}, int device = 1) { return {device, 0, t, on}; }
TrackpadGesture doubleTapAt(double t, TrackpadCorner corner = TrackpadCorner::topLeft)
{
    return {corner, TapPattern::doubleTap, t};
}

template <typename Case>
const Case* eventAs(const RecognizerEvent& event) { return std::get_if<Case>(&event.payload()); }

// Finger 1 moving through `path` (one frame per point, evenly spread from `down`), gone at `up`: the gestures.
Gestures stroke(TrackpadGestureRecognizer& recognizer, double down, double up, const std::vector<TrackpadPoint>& path)
{
    Gestures gestures;
    for (std::size_t i = 0; i <= path.size(); ++i) {
        const double t = down + (up - down) * static_cast<double>(i) / static_cast<double>(path.size());
        const ContactFrame frame = i == path.size() ? frameAt(up) : frameAt(t, {contact(1, path[i])});
        for (const RecognizerEvent& event : recognizer.ingest(frame)) {
            if (auto gesture = event.asGesture()) gestures.push_back(*gesture);
        }
    }
    return gestures;
}

Gestures tap(TrackpadGestureRecognizer& recognizer, double down, double up, TrackpadPoint at = topLeftPoint)
{
    return stroke(recognizer, down, up, {at});
}

TEST(CornerZones, InclusiveBoundsAndOverlapsDecidedInTheFixedOrder)
{
    const double cz = 0.3, justOutside = std::nextafter(cz, 1.0);
    const std::tuple<double, TrackpadPoint, std::optional<TrackpadCorner>> rows[] = {
        {cz, {cz, 1 - cz}, TrackpadCorner::topLeft},     {cz, {1 - cz, 1 - cz}, TrackpadCorner::topRight},
        {cz, {cz, cz}, TrackpadCorner::bottomLeft},      {cz, {1 - cz, cz}, TrackpadCorner::bottomRight},
        {cz, {0, 0}, TrackpadCorner::bottomLeft},        {cz, {1, 1}, TrackpadCorner::topRight},
        {cz, {justOutside, 1 - cz}, none},               {cz, {1 - cz, justOutside}, none},
        {cz, centrePoint, none},                         {cz, {0.1, 0.5}, none},
        {0.5, centrePoint, TrackpadCorner::topLeft},     {0.6, {0.7, 0.5}, TrackpadCorner::topRight},
        {0.6, {0.5, 0.35}, TrackpadCorner::bottomLeft},  {0.6, {0.7, 0.35}, TrackpadCorner::bottomRight},
        {0, {0, 1}, TrackpadCorner::topLeft},            {0, {1, 0}, TrackpadCorner::bottomRight},
        {0, {0.001, 1}, none},                           {-0.1, {0, 1}, none},
    };
    for (const auto& [zone, point, corner] : rows) {
        TrackpadGestureRecognizer recognizer(standard(zone));
        const auto events = recognizer.ingest(frameAt(1.0, {contact(7, point)}));
        ASSERT_EQ(events.size(), corner ? 1u : 0u) << "zone " << zone << " at " << point.x << ", " << point.y;
        EXPECT_EQ(events.empty() ? none : eventAs<Began>(events[0])->snapshot.corner, corner) << "at " << point.x;
    }
}

TEST(ValidContacts, InvalidOnesAreOnlyCountedAndAloneTheyEndTheTrackedTouch)
{
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    TrackpadGestureRecognizer recognizer(standard());
    const auto began = recognizer.ingest(frameAt(1.0, {contact(1, topLeftPoint, 0, 9), contact(2, {nan, 0.9}, 1, 9),
                                                       contact(3, {0.1, inf}, 1, 9), contact(4, {-0.01, 0.9}, 1, 9),
                                                       contact(5, {0.1, 1.01}, 1, 9), contact(6, centrePoint, 5),
                                                       contact(8, {0.2, 0.8}, 2)}));
    EXPECT_EQ(began, std::vector{RecognizerEvent::touchBegan({1, 0, 8, 2, {0.2, 0.8}, TrackpadCorner::topLeft, 2, 7})});
    const auto ended = recognizer.ingest(frameAt(1.1, {contact(8, {0.2, 1.2}), contact(2, {0.2, 0.8}, 0)}));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_NE(eventAs<Ended>(ended[0]), nullptr);
}

TEST(CornerCandidates, TheLargestInACornerInABeginningStateWinsTheFirstListedOnTies)
{
    const std::pair<std::vector<TrackpadContact>, std::optional<std::int32_t>> rows[] = {
        {{contact(1, topLeftPoint, 1, 0.4), contact(2, bottomRightPoint, 1, 0.6)}, 2},
        {{contact(1, topLeftPoint, 1, 0.5), contact(2, bottomRightPoint, 1, 0.5), contact(3, {0.9, 0.9}, 1, 0.5)}, 1},
        {{contact(1, centrePoint, 1, 9), contact(2, topLeftPoint, 4, 9), contact(3, bottomRightPoint, 3, 1)}, 3},
        {{contact(1, topLeftPoint, 4), contact(2, bottomRightPoint, 7)}, none},
    };
    for (const auto& [contacts, tracked] : rows) {
        TrackpadGestureRecognizer recognizer(standard());
        const auto events = recognizer.ingest(frameAt(1.0, contacts));
        EXPECT_EQ(events.empty() ? none : std::optional(eventAs<Began>(events[0])->snapshot.identifier), tracked);
    }
}

TEST(TrackedTouch, ItsIdentifierAloneKeepsItFromAnyDeviceOtherFingersWaitUntilItLifts)
{
    TrackpadGestureRecognizer recognizer(standard());
    recognizer.ingest(frameAt(1.00, {contact(1, topLeftPoint)}, 1));
    // It continues in any non-zero state, also in another device's frame; a bigger corner finger starts nothing.
    const auto bigger = contact(2, bottomRightPoint, 1, 9);
    EXPECT_TRUE(recognizer.ingest(frameAt(1.05, {bigger, contact(1, topLeftPoint, 6)}, 2)).empty());
    const auto ended = recognizer.ingest(frameAt(1.10, {bigger}, 2));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(eventAs<Ended>(ended[0])->end.identifier, 1);
    // The remaining finger begins only in a later frame, and only in a beginning state.
    EXPECT_TRUE(recognizer.ingest(frameAt(1.15, {contact(2, bottomRightPoint, 4)})).empty());
    const auto began = recognizer.ingest(frameAt(1.20, {contact(2, bottomRightPoint, 3)}));
    ASSERT_EQ(began.size(), 1u);
    EXPECT_EQ(eventAs<Began>(began[0])->snapshot.identifier, 2);
}

TEST(TrackedTouch, SamplesComeAtMostEveryFifthOfASecondWithTheCurrentCorner)
{
    TrackpadGestureRecognizer recognizer(standard());
    recognizer.ingest(frameAt(0.00, {contact(1, topLeftPoint)}));
    for (const double t : {0.10, 0.19}) EXPECT_TRUE(recognizer.ingest(frameAt(t, {contact(1, topLeftPoint)})).empty());
    EXPECT_EQ(recognizer.ingest(frameAt(0.20, {contact(1, {0.2, 0.8}, 4), contact(2, centrePoint)}, 3)),
              std::vector{RecognizerEvent::touchSample({3, 0, 1, 4, {0.2, 0.8}, TrackpadCorner::topLeft, 2, 2})});
    EXPECT_TRUE(recognizer.ingest(frameAt(0.39, {contact(1, topLeftPoint)})).empty());
    EXPECT_EQ(recognizer.ingest(frameAt(0.40, {contact(1, centrePoint)})),
              std::vector{RecognizerEvent::touchSample({1, 0, 1, 1, centrePoint, none, 1, 1})});
}

TEST(WhatCountsAsATap, InclusiveLimitsFarthestPointAndTheSameCornerAtBothEnds)
{
    const double over = std::ldexp(1.0, -10);
    std::vector<TrackpadPoint> jitter;  // a long path that stays within 0.05 of the start
    for (int i = 0; i < 10; ++i) jitter.push_back({0.1, i % 2 == 0 ? 0.9 : 0.85});
    // A tap at `first` ending at 1.125, then a touch along `path` from 1.25: does it count as a second tap?
    const TrackpadPoint start{0.125, 0.875};
    const std::tuple<RecognizerConfiguration, TrackpadPoint, std::vector<TrackpadPoint>, double, bool> rows[] = {
        {exact, start, {start, {0.125, 0.8125}}, 0.25, true},
        {exact, start, {start, {0.125, 0.8125}}, 0.25 + over, false},
        {exact, start, {start, {0.125, 0.8125 - over}}, 0.25, false},
        {standard(), topLeftPoint, {topLeftPoint, {0.1, 0.81}, {0.1, 0.85}, topLeftPoint}, 0.2, false},  // 0.09 away
        {standard(), topLeftPoint, jitter, 0.2, true},
        {standard(), topLeftPoint, std::vector(8, topLeftPoint), 0.3, false},  // a hold, sampled on the way
        {standard(0.5), {0.49, 0.9}, {{0.49, 0.9}, {0.51, 0.9}}, 0.1, false},  // to another corner
        {standard(0.5), {0.51, 0.9}, {{0.49, 0.9}, {0.51, 0.9}}, 0.1, false},  // from another corner
        {standard(), {0.28, 0.9}, {{0.28, 0.9}, {0.32, 0.9}}, 0.1, false},     // out of every corner
        {standard(), {0.28, 0.9}, {{0.28, 0.9}, {0.3, 0.9}}, 0.1, true},
    };
    for (const auto& [configuration, first, path, duration, counts] : rows) {
        TrackpadGestureRecognizer recognizer(configuration);
        tap(recognizer, 1.0, 1.125, first);
        stroke(recognizer, 1.25, 1.25 + duration, path);
        EXPECT_EQ(recognizer.pendingDoubleTapGesture().has_value(), counts)
            << "from " << first.x << " to " << path.back().x << ", " << path.back().y << " in " << duration;
    }
}

TEST(TapSequences, TheGesturesOfTapsInTurn)
{
    struct Tap {
        double down, up;
        TrackpadPoint at = topLeftPoint;
    };
    const TrackpadGesture tripleTap{TrackpadCorner::topLeft, TapPattern::tripleTap, 1.55};
    const TrackpadGesture bottomRight = doubleTapAt(1.7, TrackpadCorner::bottomRight);
    const std::tuple<std::vector<Tap>, Gestures, std::optional<TrackpadGesture>> rows[] = {
        {{{1.0, 1.1}, {1.3, 1.4}}, {}, doubleTapAt(1.4)},
        {{{1.0, 1.1}, {1.3, 1.4}, {1.5, 1.55}, {1.7, 1.75}}, {tripleTap}, {}},  // then a first tap
        // A third tap ending exactly as the triple-tap window runs out starts a new sequence.
        {{{0.0, 0.05}, {0.25, 0.3}, {0.45, 0.3 + 0.2}, {0.6, 0.65}}, {doubleTapAt(0.3)}, doubleTapAt(0.65)},
        // A tap in another corner discards the held double tap and starts its own sequence.
        {{{1.0, 1.1}, {1.3, 1.4}, {1.45, 1.5, bottomRightPoint}}, {}, {}},
        {{{1.0, 1.1}, {1.3, 1.4}, {1.45, 1.5, bottomRightPoint}, {1.65, 1.7, bottomRightPoint}}, {}, bottomRight},
        // A long press neither counts nor breaks the sequence.
        {{{1.0, 1.1}, {1.15, 1.45}, {1.45, 1.5}}, {}, doubleTapAt(1.5)},
        // The double-tap window is inclusive, and the difference of the end times is what counts:
        // 94.71 + 0.45 rounds to 95.16, yet 95.16 - 94.71 is above 0.45.
        {{{0.25, 0.3}, {0.7, 0.3 + 0.45}}, {}, doubleTapAt(0.3 + 0.45)},
        {{{0.25, 0.3}, {0.7, std::nextafter(0.3 + 0.45, 1.0)}}, {}, {}},
        {{{94.6, 94.71}, {95.1, 95.16}}, {}, {}},
    };
    ASSERT_TRUE(94.71 + 0.45 == 95.16 && (0.3 + 0.45) - 0.3 == 0.45 && (0.3 + 0.2) - 0.3 == 0.2);
    for (const auto& [taps, expected, pending] : rows) {
        TrackpadGestureRecognizer recognizer(standard());
        Gestures delivered;
        for (const Tap& t : taps) std::ranges::copy(tap(recognizer, t.down, t.up, t.at), std::back_inserter(delivered));
        EXPECT_EQ(delivered, expected) << "last tap ends at " << taps.back().up;
        EXPECT_EQ(recognizer.pendingDoubleTapGesture(), pending) << "last tap ends at " << taps.back().up;
    }
}

TEST(TapSequences, TheHeldDoubleTapLeavesFirstInAnyFrameAtTheEndOfItsWindowWhichIsInclusive)
{
    const double end = 1.5;  // the second tap ends at 1.25
    for (const double t : {std::nextafter(end, 0.0), end}) {
        TrackpadGestureRecognizer byFrame(exact), byFlush(exact);
        for (TrackpadGestureRecognizer* recognizer : {&byFrame, &byFlush}) {
            tap(*recognizer, 0.875, 1.0, {0.125, 0.875});
            tap(*recognizer, 1.125, 1.25, {0.125, 0.875});
        }
        const Gestures released = t == end ? Gestures{doubleTapAt(1.25)} : Gestures{};
        const auto events = byFrame.ingest(frameAt(t, {contact(3, bottomRightPoint)}));  // even one that begins a touch
        ASSERT_EQ(events.size(), released.size() + 1) << t;
        EXPECT_EQ(events.front().asGesture(), released.empty() ? none : std::optional(released[0])) << t;
        EXPECT_NE(eventAs<Began>(events.back()), nullptr);
        EXPECT_EQ(byFlush.flush(t), released) << t;
    }
}

TEST(ReleasingTheHeldDoubleTap, OnlyWhenForcedOrItsWindowHasRunOutThenTheSequenceStartsOver)
{
    TrackpadGestureRecognizer recognizer(standard());
    tap(recognizer, 1.00, 1.10);
    tap(recognizer, 1.30, 1.40);
    EXPECT_TRUE(recognizer.flushPendingDoubleTap(1.59, false).empty());
    EXPECT_EQ(recognizer.flush(1.60), Gestures{doubleTapAt(1.40)});
    EXPECT_TRUE(recognizer.flush(1.60).empty());

    // Released at once, four quick taps are two double taps: the third starts a new sequence.
    Gestures delivered;
    for (const double down : {2.0, 2.1, 2.2, 2.3}) {
        std::ranges::copy(tap(recognizer, down, down + 0.05), std::back_inserter(delivered));
        std::ranges::copy(recognizer.flushPendingDoubleTap(down + 0.05, true), std::back_inserter(delivered));
        EXPECT_EQ(recognizer.pendingDoubleTapGesture(), none);
    }
    EXPECT_EQ(delivered, (Gestures{doubleTapAt(2.1 + 0.05), doubleTapAt(2.3 + 0.05)}));
}

}  // namespace
}  // namespace quorvel
