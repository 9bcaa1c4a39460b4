#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <string_view>
#include <unordered_set>

#include <QuorvelCore.h>

namespace quorvel {
namespace {

TEST(TrackpadCornerValues, RawValuesRoundTripInTheFixedCornerOrder)
{
    const std::vector<std::string_view> rawValues{"topLeft", "topRight", "bottomLeft", "bottomRight"};
    std::vector<std::string_view> seen;
    for (const TrackpadCorner corner : TrackpadCorner::allCases()) {
        seen.push_back(corner.rawValue());
        EXPECT_EQ(TrackpadCorner::fromRawValue(corner.rawValue()), corner);
        EXPECT_EQ(corner.id(), std::string(corner.rawValue()));
    }
    EXPECT_EQ(seen, rawValues);
}

TEST(TrackpadCornerValues, OnlyTheExactRawValueNamesACorner)
{
    for (const std::string_view text : {"TopLeft", "topleft", "top_left", "topLeft ", " topLeft", "", "top"}) {
        EXPECT_EQ(TrackpadCorner::fromRawValue(text), std::nullopt) << text;
    }
}

TEST(TrackpadCornerValues, HashingFollowsTheRawValueAndEqualityTheCase)
{
    for (const TrackpadCorner corner : TrackpadCorner::allCases()) {
        EXPECT_EQ(std::hash<TrackpadCorner>{}(corner), std::hash<std::string_view>{}(corner.rawValue()));
    }
    const std::unordered_set<TrackpadCorner> corners{TrackpadCorner::topLeft, TrackpadCorner::bottomRight,
                                                     TrackpadCorner::topLeft};
    EXPECT_EQ(corners.size(), 2u);
    EXPECT_EQ(corners.count(TrackpadCorner::bottomRight), 1u);
    EXPECT_EQ(corners.count(TrackpadCorner::topRight), 0u);
}

TEST(TapPatternValues, OnlyTwoAndThreeArePatterns)
{
    EXPECT_EQ(TapPattern::fromRawValue(2), TapPattern::doubleTap);
    EXPECT_EQ(TapPattern::fromRawValue(3), TapPattern::tripleTap);
    for (const int raw : {-2, 0, 1, 4}) EXPECT_EQ(TapPattern::fromRawValue(raw), std::nullopt) << raw;
    EXPECT_EQ(std::hash<TapPattern>{}(TapPattern::tripleTap), std::hash<int>{}(3));
}

TEST(RecordEquality, AnAbsentCornerDiffersFromEveryCorner)
{
    const TouchSnapshot inNoCorner{1, 2, 3, 1, {0.5, 0.5}, std::nullopt, 1, 1};
    TouchSnapshot inTopLeft = inNoCorner;
    inTopLeft.corner = TrackpadCorner::topLeft;  // the first case: not to be confused with "absent"
    EXPECT_NE(inNoCorner, inTopLeft);
    EXPECT_EQ(inNoCorner, (TouchSnapshot{1, 2, 3, 1, {0.5, 0.5}, std::nullopt, 1, 1}));

    const TrackpadGesture gesture{TrackpadCorner::bottomLeft, TapPattern::tripleTap, 12.345678};
    EXPECT_EQ(gesture, (TrackpadGesture{TrackpadCorner::bottomLeft, TapPattern::tripleTap, 12.345678}));
    EXPECT_NE(gesture, (TrackpadGesture{TrackpadCorner::bottomLeft, TapPattern::tripleTap, 12.345679}));
    EXPECT_NE(RecognizerEvent::gesture(gesture), RecognizerEvent::touchEnded(TouchEnd{}));
}

}  // namespace
}  // namespace quorvel
