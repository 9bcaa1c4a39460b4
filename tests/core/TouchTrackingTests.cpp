#include <gtest/gtest.h>

#include <cmath>
#include <limits>

#include "tests/core/RecognizerTestSupport.h"

namespace quorvel::testing {
namespace {

// The corner reported when a lone finger lands at `point`; absent when nothing is tracked.
std::optional<TrackpadCorner> cornerWhereTouchBegins(double cornerZone, TrackpadPoint point)
{
    RecognizerConfiguration configuration = standardConfiguration();
    configuration.cornerZone = cornerZone;
    TrackpadGestureRecognizer recognizer(configuration);
    const auto events = recognizer.ingest(frameAt(1.0, {contact(7, point)}));
    if (events.empty()) return std::nullopt;
    const auto* began = eventAs<RecognizerEvent::TouchBegan>(events.front());
    EXPECT_NE(began, nullptr);
    EXPECT_EQ(events.size(), 1u);
    return began ? began->snapshot.corner : std::nullopt;
}

TEST(CornerZones, BoundsAreInclusive)
{
    const double cz = 0.3;
    EXPECT_EQ(cornerWhereTouchBegins(cz, {cz, 1 - cz}), TrackpadCorner::topLeft);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {1 - cz, 1 - cz}), TrackpadCorner::topRight);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {cz, cz}), TrackpadCorner::bottomLeft);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {1 - cz, cz}), TrackpadCorner::bottomRight);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {0, 0}), TrackpadCorner::bottomLeft);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {1, 1}), TrackpadCorner::topRight);

    const double justOutside = std::nextafter(cz, 1.0);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {justOutside, 1 - cz}), std::nullopt);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {1 - cz, justOutside}), std::nullopt);
    EXPECT_EQ(cornerWhereTouchBegins(cz, centrePoint), std::nullopt);
    EXPECT_EQ(cornerWhereTouchBegins(cz, {0.1, 0.5}), std::nullopt);
}

TEST(CornerZones, OverlappingZonesAreTriedTopLeftTopRightBottomLeftBottomRight)
{
    EXPECT_EQ(cornerWhereTouchBegins(0.5, centrePoint), TrackpadCorner::topLeft);
    EXPECT_EQ(cornerWhereTouchBegins(0.6, {0.7, 0.5}), TrackpadCorner::topRight);    // also bottomRight
    EXPECT_EQ(cornerWhereTouchBegins(0.6, {0.5, 0.35}), TrackpadCorner::bottomLeft); // also bottomRight
    EXPECT_EQ(cornerWhereTouchBegins(0.6, {0.7, 0.35}), TrackpadCorner::bottomRight);
}

TEST(CornerZones, ZeroDepthLeavesOnlyTheExactEdgePoints)
{
    EXPECT_EQ(cornerWhereTouchBegins(0, {0, 1}), TrackpadCorner::topLeft);
    EXPECT_EQ(cornerWhereTouchBegins(0, {1, 0}), TrackpadCorner::bottomRight);
    EXPECT_EQ(cornerWhereTouchBegins(0, {0.001, 1}), std::nullopt);
    EXPECT_EQ(cornerWhereTouchBegins(-0.1, {0, 1}), std::nullopt);
}

TEST(ValidContacts, InvalidContactsAreSkippedAndOnlyCountedInTheTotal)
{
    const double nan = std::numeric_limits<double>::quiet_NaN();
    const double inf = std::numeric_limits<double>::infinity();
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    const auto events = recognizer.ingest(frameAt(1.0, {
        contact(1, topLeftPoint, 0, 9),     // state 0: no contact
        contact(2, {nan, 0.9}, 1, 9),
        contact(3, {0.1, inf}, 1, 9),
        contact(4, {-0.01, 0.9}, 1, 9),
        contact(5, {0.1, 1.01}, 1, 9),
        contact(6, centrePoint, 5, 1),      // valid, but no candidate
        contact(8, {0.2, 0.8}, 2, 1),
    }));

    ASSERT_EQ(events.size(), 1u);
    const auto* began = eventAs<RecognizerEvent::TouchBegan>(events[0]);
    ASSERT_NE(began, nullptr);
    EXPECT_EQ(began->snapshot, (TouchSnapshot{1, 0, 8, 2, {0.2, 0.8}, TrackpadCorner::topLeft, 2, 7}));
}

TEST(ValidContacts, AFrameWithOnlyInvalidContactsEndsTheTrackedTouch)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    recognizer.ingest(frameAt(1.0, {contact(1, topLeftPoint)}));
    const auto events = recognizer.ingest(frameAt(1.1, {contact(1, {0.1, 1.2}), contact(2, topLeftPoint, 0)}));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(eventAs<RecognizerEvent::TouchEnded>(events[0]), nullptr);
}

TEST(CornerCandidates, TheLargestContactWinsAndTheFirstListedOnTies)
{
    auto trackedIdentifier = [](std::vector<TrackpadContact> contacts) -> std::optional<std::int32_t> {
        TrackpadGestureRecognizer recognizer(standardConfiguration());
        const auto events = recognizer.ingest(frameAt(1.0, std::move(contacts)));
        if (events.empty()) return std::nullopt;
        return eventAs<RecognizerEvent::TouchBegan>(events[0])->snapshot.identifier;
    };
    EXPECT_EQ(trackedIdentifier({contact(1, topLeftPoint, 1, 0.4), contact(2, bottomRightPoint, 1, 0.6)}), 2);
    EXPECT_EQ(trackedIdentifier({contact(1, topLeftPoint, 1, 0.5), contact(2, bottomRightPoint, 1, 0.5),
                                 contact(3, {0.9, 0.9}, 1, 0.5)}),
              1);
    // Neither a bigger contact outside the corners nor one in a state that cannot begin a touch.
    EXPECT_EQ(trackedIdentifier({contact(1, centrePoint, 1, 9), contact(2, topLeftPoint, 4, 9),
                                 contact(3, bottomRightPoint, 3, 1)}),
              3);
    EXPECT_EQ(trackedIdentifier({contact(1, topLeftPoint, 4), contact(2, bottomRightPoint, 7)}), std::nullopt);
}

TEST(TrackedTouch, OtherFingersAreIgnoredUntilTheTrackedOneLifts)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    recognizer.ingest(frameAt(1.00, {contact(1, topLeftPoint)}));
    // A second corner finger while one is tracked starts nothing; the tracked one may be in any state.
    EXPECT_TRUE(recognizer.ingest(frameAt(1.05, {contact(2, bottomRightPoint, 1, 9), contact(1, topLeftPoint, 6)}))
                    .empty());

    const auto ended = recognizer.ingest(frameAt(1.10, {contact(2, bottomRightPoint, 1, 9)}));
    ASSERT_EQ(ended.size(), 1u);
    EXPECT_EQ(eventAs<RecognizerEvent::TouchEnded>(ended[0])->end.identifier, 1);

    // The remaining finger can begin only in a later frame, and only in a beginning state.
    EXPECT_TRUE(recognizer.ingest(frameAt(1.15, {contact(2, bottomRightPoint, 4)})).empty());
    const auto began = recognizer.ingest(frameAt(1.20, {contact(2, bottomRightPoint, 3)}));
    ASSERT_EQ(began.size(), 1u);
    EXPECT_EQ(eventAs<RecognizerEvent::TouchBegan>(began[0])->snapshot.identifier, 2);
}

TEST(TrackedTouch, SamplesComeAtMostEveryFifthOfASecondWithTheCurrentCorner)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    recognizer.ingest(frameAt(0.00, {contact(1, topLeftPoint)}));
    EXPECT_TRUE(recognizer.ingest(frameAt(0.10, {contact(1, topLeftPoint)})).empty());
    EXPECT_TRUE(recognizer.ingest(frameAt(0.19, {contact(1, topLeftPoint)})).empty());

    const auto first = recognizer.ingest(frameAt(0.20, {contact(1, {0.2, 0.8}, 4), contact(2, centrePoint)}, 3));
    ASSERT_EQ(first.size(), 1u);
    const auto* sample = eventAs<RecognizerEvent::TouchSample>(first[0]);
    ASSERT_NE(sample, nullptr);
    EXPECT_EQ(sample->snapshot, (TouchSnapshot{3, 0, 1, 4, {0.2, 0.8}, TrackpadCorner::topLeft, 2, 2}));

    EXPECT_TRUE(recognizer.ingest(frameAt(0.39, {contact(1, topLeftPoint)})).empty());
    const auto second = recognizer.ingest(frameAt(0.40, {contact(1, centrePoint)}));
    ASSERT_EQ(second.size(), 1u);
    EXPECT_EQ(eventAs<RecognizerEvent::TouchSample>(second[0])->snapshot.corner, std::nullopt);
}

TEST(TrackedTouch, FramesOfAllDevicesAreMatchedByIdentifierAlone)
{
    TrackpadGestureRecognizer recognizer(standardConfiguration());
    recognizer.ingest(frameAt(1.00, {contact(5, topLeftPoint)}, 1));
    EXPECT_TRUE(recognizer.ingest(frameAt(1.02, {contact(5, topLeftPoint)}, 2)).empty());  // continues it
    EXPECT_TRUE(recognizer.ingest(frameAt(1.04, {contact(5, topLeftPoint)}, 1)).empty());

    const auto events = recognizer.ingest(frameAt(1.06, {contact(9, centrePoint)}, 2));
    ASSERT_EQ(events.size(), 1u);
    EXPECT_NE(eventAs<RecognizerEvent::TouchEnded>(events[0]), nullptr);
}

}  // namespace
}  // namespace quorvel::testing
