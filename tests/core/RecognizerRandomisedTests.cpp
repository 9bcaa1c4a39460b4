#include <gtest/gtest.h>

#include <QuorvelCore.h>

#include <algorithm>
#include <limits>
#include <map>
#include <random>

namespace quorvel {
namespace {

// One call on the recogniser: a frame to ingest, or a release of the held double tap (time, force).
using Operation = std::variant<ContactFrame, std::pair<double, bool>>;
// What one call returned (a release as gesture events), and the double tap held right after it.
using Outcome = std::pair<std::vector<RecognizerEvent>, std::optional<TrackpadGesture>>;
using Ended = RecognizerEvent::TouchEnded;

Outcome apply(TrackpadGestureRecognizer& recognizer, const Operation& operation)
{
    std::vector<RecognizerEvent> events;
    if (const auto* frame = std::get_if<ContactFrame>(&operation)) events = recognizer.ingest(*frame);
    const auto* release = std::get_if<1>(&operation);
    for (const auto& gesture : release ? recognizer.flushPendingDoubleTap(release->first, release->second)
                                       : std::vector<TrackpadGesture>{})
        events.push_back(RecognizerEvent::gesture(gesture));
    return {events, recognizer.pendingDoubleTapGesture()};
}

// A finger that lands in a corner (often exactly on a zone edge) and taps, rests or slides away,
// among stray, invalid and crowded contacts of two devices, with release calls between the frames.
std::vector<Operation> randomStream(std::uint64_t seed, double cz)
{
    std::mt19937_64 random(seed);
    auto uniform = [&](double low, double high) { return std::uniform_real_distribution<double>(low, high)(random); };
    auto integer = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
    const double nan = std::numeric_limits<double>::quiet_NaN(), inf = std::numeric_limits<double>::infinity();
    const TrackpadPoint invalid[] = {{nan, 0.9}, {0.1, inf}, {-0.01, 0.9}, {0.9, 1.01}};
    int side = 0;  // the corner most fingers land in, now and then another
    auto point = [&](int kind) {  // 0: in a corner, 1: anywhere, 2: invalid
        const double depth = uniform(0, 1) < 0.2 ? cz : uniform(0, cz), across = uniform(0, cz);
        if (kind == 0) return TrackpadPoint{side % 2 ? depth : 1 - depth, side / 2 ? 1 - across : across};
        return kind == 1 ? TrackpadPoint{uniform(0, 1), uniform(0, 1)} : invalid[integer(0, 3)];
    };
    std::vector<Operation> stream;
    std::optional<TrackpadContact> finger;
    TrackpadPoint drift{};
    for (double now = 1.0; stream.size() < 15000; now += uniform(0.004, 0.02)) {  // frame times increase
        const double dice = uniform(0, 1);
        if (dice < 0.05) stream.emplace_back(std::pair(now, integer(0, 1) == 1));
        if (dice < 0.1) now += uniform(0, 0.5);
        if (!finger && dice < 0.3) {
            if (uniform(0, 1) < 0.3) side = integer(0, 3);
            finger = TrackpadContact{integer(1, 6), 1, point(0), 1};
            const double speed = uniform(0, 1) < 0.8 ? 0.002 : 0.03;
            drift = {uniform(-speed, speed), uniform(-speed, speed)};
        } else if (finger && uniform(0, 1) < 0.07) {
            finger.reset();
        }
        std::vector<TrackpadContact> contacts;
        for (int n = uniform(0, 1) < 0.8 ? 0 : integer(1, 4); n > 0; --n)
            contacts.push_back(TrackpadContact{integer(1, 6), integer(0, 6), point(integer(0, 2)), uniform(0, 2)});
        if (finger) {
            finger->normalizedPosition.x += drift.x;
            finger->normalizedPosition.y += drift.y;
            finger->state = integer(1, 4);
            contacts.insert(contacts.begin() + integer(0, static_cast<int>(contacts.size())), *finger);
        }
        stream.emplace_back(ContactFrame{integer(1, 2), static_cast<std::int32_t>(stream.size()), now, contacts});
    }
    return stream;
}

bool inZone(TrackpadCorner corner, TrackpadPoint p, double cz)
{
    const bool left = corner == TrackpadCorner::topLeft || corner == TrackpadCorner::bottomLeft;
    const bool top = corner == TrackpadCorner::topLeft || corner == TrackpadCorner::topRight;
    return (left ? p.x <= cz : p.x >= 1 - cz) && (top ? p.y >= 1 - cz : p.y <= cz);
}

TEST(RandomisedStreams, InvariantsHoldAndReplayIsIdentical)
{
    for (const double cz : {0.3, 0.5}) {  // 0.5: the zones overlap
        const RecognizerConfiguration configuration{cz, 0.45, 0.2, 0.28, 0.08};
        for (const std::uint64_t seed : {1u, 2u, 3u}) {
            SCOPED_TRACE(::testing::Message() << "zone " << cz << ", seed " << seed << " (failures name the call)");
            const std::vector<Operation> stream = randomStream(seed, cz);
            TrackpadGestureRecognizer recognizer(configuration), replay(configuration);
            // The tracked touch (identifier, start, last point) as its events and frames show it;
            // the ended ones by end time.
            using Touch = std::tuple<std::int32_t, TrackpadPoint, TrackpadPoint>;
            std::optional<Touch> touch;
            std::map<double, Touch> ended;
            std::size_t gestures = 0;
            // A gesture's time is the end of its last tap, which began and ended in the gesture's corner.
            auto lastTapFits = [&](const TrackpadGesture& gesture) {
                const auto found = ended.find(gesture.timestamp);
                return found != ended.end() && inZone(gesture.corner, std::get<1>(found->second), cz) &&
                       inZone(gesture.corner, std::get<2>(found->second), cz);
            };
            for (std::size_t i = 0; i < stream.size(); ++i) {
                const Outcome outcome = apply(recognizer, stream[i]);
                ASSERT_EQ(apply(replay, stream[i]), outcome) << i;  // the same calls give the same results
                const auto& [events, held] = outcome;
                const auto* frame = std::get_if<ContactFrame>(&stream[i]);
                bool begun = false;
                for (std::size_t k = 0; k < events.size(); ++k) {
                    const auto& payload = events[k].payload();
                    if (const auto* began = std::get_if<RecognizerEvent::TouchBegan>(&payload)) {
                        const auto& snapshot = began->snapshot;
                        touch = Touch{snapshot.identifier, snapshot.position, snapshot.position};
                        begun = true;
                    } else if (std::holds_alternative<Ended>(payload)) {
                        ASSERT_TRUE(touch.has_value()) << i;  // it ended without having begun
                        ended[frame->timestamp] = *std::exchange(touch, std::nullopt);
                    } else if (const auto gesture = events[k].asGesture()) {
                        // A double tap only as the first event, a triple tap only right after a touchEnded.
                        ASSERT_EQ(gesture->pattern, k == 0 ? TapPattern::doubleTap : TapPattern::tripleTap) << i;
                        ASSERT_TRUE(k == 0 || std::holds_alternative<Ended>(events[k - 1].payload())) << i;
                        ASSERT_TRUE(lastTapFits(*gesture)) << i;
                        ++gestures;
                    }
                }
                if (frame && touch && !begun) {  // it stays listed as the first valid contact of its identifier
                    const auto tracked = std::ranges::find_if(frame->contacts, [&](const TrackpadContact& c) {
                        const TrackpadPoint p = c.normalizedPosition;  // NaN fails every comparison
                        return c.identifier == std::get<0>(*touch) && c.state != 0 && p.x >= 0 && p.x <= 1 &&
                               p.y >= 0 && p.y <= 1;
                    });
                    ASSERT_NE(tracked, frame->contacts.end()) << i;  // it left without a touchEnded
                    std::get<2>(*touch) = tracked->normalizedPosition;
                }
                ASSERT_TRUE(!held || (held->pattern == TapPattern::doubleTap && lastTapFits(*held))) << i;
                ASSERT_LT(frame && held ? frame->timestamp - held->timestamp : 0, configuration.tripleTapWindow)
                    << i;  // kept past its window
            }
            EXPECT_GT(gestures, 50u);  // the streams must exercise recognition
        }
    }
}

}  // namespace
}  // namespace quorvel
