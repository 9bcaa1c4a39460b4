#pragma once

#include <QuorvelCore.h>

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>
#include <vector>

namespace quorvel::testing {

// The tuning the helper starts with.
inline RecognizerConfiguration standardConfiguration()
{
    return RecognizerConfiguration{.cornerZone = 0.3,
                                   .doubleTapWindow = 0.45,
                                   .tripleTapWindow = 0.2,
                                   .maximumTapDuration = 0.28,
                                   .maximumTapTravel = 0.08};
}

inline constexpr TrackpadPoint topLeftPoint{0.1, 0.9};
inline constexpr TrackpadPoint bottomRightPoint{0.9, 0.1};
inline constexpr TrackpadPoint centrePoint{0.5, 0.5};

inline TrackpadContact contact(std::int32_t identifier, TrackpadPoint position, std::int32_t state = 1,
                               double size = 1.0)
{
    return TrackpadContact{identifier, state, position, size};
}

inline ContactFrame frameAt(double timestamp, std::vector<TrackpadContact> contacts = {}, std::int32_t deviceID = 1)
{
    return ContactFrame{deviceID, 0, timestamp, std::move(contacts)};
}

// One finger down at `down` and gone at `up`; the events of both frames, in order.
inline std::vector<RecognizerEvent> tap(TrackpadGestureRecognizer& recognizer, double down, double up,
                                        TrackpadPoint at = topLeftPoint, std::int32_t identifier = 1)
{
    std::vector<RecognizerEvent> events = recognizer.ingest(frameAt(down, {contact(identifier, at)}));
    for (RecognizerEvent& event : recognizer.ingest(frameAt(up))) events.push_back(std::move(event));
    return events;
}

// One finger moving through `path` (one frame per point, evenly spread from `down`) and gone
// at `up`; the events of all those frames, in order.
inline std::vector<RecognizerEvent> stroke(TrackpadGestureRecognizer& recognizer, double down, double up,
                                           const std::vector<TrackpadPoint>& path, std::int32_t identifier = 1)
{
    std::vector<RecognizerEvent> events;
    const double step = (up - down) / static_cast<double>(path.size());
    for (std::size_t i = 0; i < path.size(); ++i) {
        const double t = i == 0 ? down : down + step * static_cast<double>(i);
        for (RecognizerEvent& event : recognizer.ingest(frameAt(t, {contact(identifier, path[i])}))) {
            events.push_back(std::move(event));
        }
    }
    for (RecognizerEvent& event : recognizer.ingest(frameAt(up))) events.push_back(std::move(event));
    return events;
}

template <typename Case>
const Case* eventAs(const RecognizerEvent& event)
{
    return std::get_if<Case>(&event.payload());
}

inline std::vector<TrackpadGesture> gesturesIn(const std::vector<RecognizerEvent>& events)
{
    std::vector<TrackpadGesture> gestures;
    for (const RecognizerEvent& event : events) {
        if (auto gesture = event.asGesture()) gestures.push_back(*gesture);
    }
    return gestures;
}

}  // namespace quorvel::testing
