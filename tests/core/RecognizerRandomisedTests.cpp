#include <gtest/gtest.h>

#include <cmath>
#include <cstdint>
#include <limits>
#include <map>
#include <random>
#include <set>
#include <string>
#include <utility>
#include <variant>
#include <vector>

#include "tests/core/RecognizerTestSupport.h"

namespace quorvel::testing {
namespace {

// One call on the recogniser: a frame to ingest, or a release of the held double tap.
struct FlushCall {
    double timestamp = 0;
    bool force = false;
};
using Operation = std::variant<ContactFrame, FlushCall>;

// What one call returned, plus the held double tap right after it.
struct Outcome {
    std::vector<RecognizerEvent> events;
    std::vector<TrackpadGesture> released;
    std::optional<TrackpadGesture> pending;
    friend bool operator==(const Outcome&, const Outcome&) = default;
};

// Long streams of taps, slides, holds, crowded and broken frames from two devices, with
// release calls in between. Frame times strictly increase, so every touch ends at its own time.
class StreamGenerator {
public:
    explicit StreamGenerator(std::uint64_t seed) : random_(seed) {}

    std::vector<Operation> generate(std::size_t minimumCount)
    {
        while (operations_.size() < minimumCount) {
            const double dice = uniform(0, 1);
            if (dice < 0.35) {
                const TrackpadPoint start = cornerPoint();
                touch(start, {start.x + uniform(-0.05, 0.05), start.y + uniform(-0.05, 0.05)}, uniform(0.01, 0.32));
            } else if (dice < 0.45) {
                touch(cornerPoint(), anywhere(), uniform(0.05, 0.5));
            } else if (dice < 0.52) {
                const TrackpadPoint start = cornerPoint();
                touch(start, start, uniform(0.25, 1.0));
            } else if (dice < 0.62) {
                for (int n = integer(1, 5); n > 0; --n) emitFrame(crowd(integer(1, 5)));
            } else if (dice < 0.70) {
                emitFrame({brokenContact(), brokenContact()});
            } else if (dice < 0.78) {
                emitFrame({});
            } else if (dice < 0.90) {
                operations_.emplace_back(FlushCall{now_, uniform(0, 1) < 0.5});
            } else {
                now_ += uniform(0.1, 0.6);
            }
        }
        return std::move(operations_);
    }

private:
    double uniform(double low, double high) { return std::uniform_real_distribution<double>(low, high)(random_); }
    int integer(int low, int high) { return std::uniform_int_distribution<int>(low, high)(random_); }

    TrackpadPoint cornerPoint()
    {
        // Now and then exactly on a zone edge, where inclusive bounds matter.
        const double depth = uniform(0, 1) < 0.2 ? 0.3 : uniform(0, 0.3);
        const double across = uniform(0, 0.3);
        const bool left = uniform(0, 1) < 0.5;
        const bool top = uniform(0, 1) < 0.5;
        return {left ? depth : 1 - depth, top ? 1 - across : across};
    }
    TrackpadPoint anywhere() { return {uniform(0, 1), uniform(0, 1)}; }

    TrackpadContact brokenContact()
    {
        const double nan = std::numeric_limits<double>::quiet_NaN();
        const double inf = std::numeric_limits<double>::infinity();
        const TrackpadPoint broken[] = {{nan, 0.9}, {0.1, inf}, {-0.01, 0.9}, {0.9, 1.01}, {-inf, nan}};
        const TrackpadPoint position = broken[integer(0, 4)];
        return contact(integer(1, 6), position, integer(0, 5), uniform(0, 2));
    }

    std::vector<TrackpadContact> crowd(int count)
    {
        std::vector<TrackpadContact> contacts;
        for (int i = 0; i < count; ++i) {
            const TrackpadPoint position = uniform(0, 1) < 0.5 ? cornerPoint() : anywhere();
            contacts.push_back(contact(integer(1, 6), position, integer(0, 6), uniform(0, 2)));
        }
        return contacts;
    }

    void touch(TrackpadPoint start, TrackpadPoint end, double duration)
    {
        const std::int32_t identifier = integer(1, 6);
        const double begin = now_;
        while (now_ - begin < duration) {
            const double progress = (now_ - begin) / duration;
            std::vector<TrackpadContact> contacts{contact(identifier,
                                                          {start.x + (end.x - start.x) * progress,
                                                           start.y + (end.y - start.y) * progress},
                                                          integer(1, 4), uniform(0.5, 1.5))};
            if (uniform(0, 1) < 0.1) contacts.push_back(contact(integer(1, 6), anywhere(), integer(1, 4), 1));
            emitFrame(std::move(contacts));
        }
        emitFrame(uniform(0, 1) < 0.8 ? std::vector<TrackpadContact>{} : crowd(1));
    }

    void emitFrame(std::vector<TrackpadContact> contacts)
    {
        operations_.emplace_back(ContactFrame{integer(1, 2), frameNumber_++, now_, std::move(contacts)});
        now_ += uniform(0.004, 0.02);
    }

    std::mt19937_64 random_;
    double now_ = 1.0;
    std::int32_t frameNumber_ = 0;
    std::vector<Operation> operations_;
};

// Follows the recogniser through its public events and checks what must always hold.
class InvariantChecker {
public:
    explicit InvariantChecker(const RecognizerConfiguration& configuration) : configuration_(configuration) {}

    // An empty text when everything holds, else what went wrong.
    std::string afterIngest(const ContactFrame& frame, const Outcome& outcome)
    {
        bool trackedHere = false;
        for (std::size_t i = 0; i < outcome.events.size(); ++i) {
            const RecognizerEvent& event = outcome.events[i];
            if (const auto* began = eventAs<RecognizerEvent::TouchBegan>(event)) {
                touch_ = Touch{began->snapshot.identifier, began->snapshot.position, began->snapshot.position};
                trackedHere = true;
            } else if (const auto* ended = eventAs<RecognizerEvent::TouchEnded>(event)) {
                if (!touch_) return "a touch ended that never began";
                endedTouches_[frame.timestamp] = EndedTouch{*touch_, ended->end};
                touch_.reset();
            } else if (const auto gesture = event.asGesture()) {
                const bool released = i == 0 && gesture->pattern == TapPattern::doubleTap;
                const bool afterTouch = i > 0 && eventAs<RecognizerEvent::TouchEnded>(outcome.events[i - 1]) != nullptr
                    && gesture->pattern == TapPattern::tripleTap;
                if (!released && !afterTouch) return "a gesture out of place in the event list";
                if (auto error = checkDelivered(*gesture); !error.empty()) return error;
            } else {
                trackedHere = true;  // a sample: the contact is still there
            }
        }
        if (touch_ && !trackedHere) {
            const TrackpadContact* tracked = firstValidWithIdentifier(frame, touch_->identifier);
            if (tracked == nullptr) return "the tracked contact vanished without a touchEnded";
            touch_->lastPosition = tracked->normalizedPosition;
        }
        return checkPending(outcome.pending);
    }

    std::string afterFlush(const Outcome& outcome)
    {
        for (const TrackpadGesture& gesture : outcome.released) {
            if (gesture.pattern != TapPattern::doubleTap) return "a release returned a triple tap";
            if (auto error = checkDelivered(gesture); !error.empty()) return error;
        }
        return checkPending(outcome.pending);
    }

    std::size_t deliveredCount() const { return delivered_.size(); }

private:
    struct Touch {
        std::int32_t identifier = 0;
        TrackpadPoint startPosition;
        TrackpadPoint lastPosition;
    };
    struct EndedTouch {
        Touch touch;
        TouchEnd end;
    };

    static const TrackpadContact* firstValidWithIdentifier(const ContactFrame& frame, std::int32_t identifier)
    {
        for (const TrackpadContact& c : frame.contacts) {
            const TrackpadPoint p = c.normalizedPosition;
            const bool valid = c.state != 0 && p.x >= 0 && p.x <= 1 && p.y >= 0 && p.y <= 1;  // false for NaN
            if (valid && c.identifier == identifier) return &c;
        }
        return nullptr;
    }

    bool zoneContains(TrackpadCorner corner, TrackpadPoint p) const
    {
        const double cz = configuration_.cornerZone;
        const bool left = p.x <= cz, right = p.x >= 1 - cz, top = p.y >= 1 - cz, bottom = p.y <= cz;
        switch (corner) {
        case TrackpadCorner::topLeft: return left && top;
        case TrackpadCorner::topRight: return right && top;
        case TrackpadCorner::bottomLeft: return left && bottom;
        case TrackpadCorner::bottomRight: return right && bottom;
        }
        return false;
    }

    // The gesture's time is the end of its last tap; that touch must have been a short,
    // still tap that began and ended in the gesture's corner.
    std::string checkLastTap(const TrackpadGesture& gesture) const
    {
        const auto found = endedTouches_.find(gesture.timestamp);
        if (found == endedTouches_.end()) return "a gesture at a time when no touch ended";
        const EndedTouch& last = found->second;
        if (!zoneContains(gesture.corner, last.touch.lastPosition)) return "the last tap ended outside the corner";
        if (!zoneContains(gesture.corner, last.touch.startPosition)) return "the last tap began outside the corner";
        if (!(last.end.duration <= configuration_.maximumTapDuration)) return "the last tap was too long";
        if (!(last.end.travel <= configuration_.maximumTapTravel)) return "the last tap travelled too far";
        return {};
    }

    std::string checkDelivered(const TrackpadGesture& gesture)
    {
        if (!delivered_.insert({gesture.timestamp, gesture.pattern.rawValue()}).second) return "a gesture came twice";
        return checkLastTap(gesture);
    }

    std::string checkPending(const std::optional<TrackpadGesture>& pending) const
    {
        if (!pending) return {};
        if (pending->pattern != TapPattern::doubleTap) return "the held gesture is not a double tap";
        return checkLastTap(*pending);
    }

    RecognizerConfiguration configuration_;
    std::optional<Touch> touch_;
    std::map<double, EndedTouch> endedTouches_;
    std::set<std::pair<double, int>> delivered_;
};

Outcome apply(TrackpadGestureRecognizer& recognizer, const Operation& operation)
{
    Outcome outcome;
    if (const auto* frame = std::get_if<ContactFrame>(&operation)) {
        outcome.events = recognizer.ingest(*frame);
    } else {
        const auto& call = std::get<FlushCall>(operation);
        outcome.released = recognizer.flushPendingDoubleTap(call.timestamp, call.force);
    }
    outcome.pending = recognizer.pendingDoubleTapGesture();
    return outcome;
}

TEST(RandomisedStreams, InvariantsHoldAndReplayIsIdentical)
{
    RecognizerConfiguration overlapping = standardConfiguration();
    overlapping.cornerZone = 0.5;
    for (const RecognizerConfiguration& configuration : {standardConfiguration(), overlapping}) {
        for (const std::uint64_t seed : {1u, 2u, 3u}) {
            const std::vector<Operation> stream = StreamGenerator(seed).generate(15000);
            TrackpadGestureRecognizer recognizer(configuration);
            InvariantChecker checker(configuration);
            std::vector<Outcome> outcomes;
            for (std::size_t i = 0; i < stream.size(); ++i) {
                outcomes.push_back(apply(recognizer, stream[i]));
                const auto* frame = std::get_if<ContactFrame>(&stream[i]);
                const std::string error = frame ? checker.afterIngest(*frame, outcomes.back())
                                                : checker.afterFlush(outcomes.back());
                ASSERT_EQ(error, "") << "seed " << seed << ", call " << i;
            }
            // The stream must actually exercise recognition, not just pass vacuously.
            EXPECT_GT(checker.deliveredCount(), 20u) << "seed " << seed;

            TrackpadGestureRecognizer replay(configuration);
            for (std::size_t i = 0; i < stream.size(); ++i) {
                ASSERT_EQ(apply(replay, stream[i]), outcomes[i]) << "seed " << seed << ", call " << i;
            }
        }
    }
}

}  // namespace
}  // namespace quorvel::testing
