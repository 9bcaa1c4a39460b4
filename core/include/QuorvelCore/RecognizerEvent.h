#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <utility>
#include <variant>

#include "QuorvelCore/TrackpadCorner.h"
#include "QuorvelCore/TrackpadGesture.h"
#include "QuorvelCore/TrackpadPoint.h"

namespace quorvel {

// A view of the tracked contact in one frame.
struct TouchSnapshot {
    std::int32_t deviceID = 0;
    std::int32_t frame = 0;
    std::int32_t identifier = 0;
    std::int32_t state = 0;
    TrackpadPoint position;
    std::optional<TrackpadCorner> corner;  // zone containing `position`, if any
    std::ptrdiff_t validContactCount = 0;
    std::ptrdiff_t totalContactCount = 0;

    friend bool operator==(const TouchSnapshot&, const TouchSnapshot&) = default;
};

struct TouchEnd {
    std::int32_t identifier = 0;
    double duration = 0;  // seconds from the first frame to the frame that found it gone
    double travel = 0;    // largest distance from the starting point

    friend bool operator==(const TouchEnd&, const TouchEnd&) = default;
};

// What the recogniser reports for one frame. Exactly one payload per case.
class RecognizerEvent {
public:
    struct TouchBegan {
        TouchSnapshot snapshot;
        friend bool operator==(const TouchBegan&, const TouchBegan&) = default;
    };
    struct TouchSample {
        TouchSnapshot snapshot;
        friend bool operator==(const TouchSample&, const TouchSample&) = default;
    };
    struct TouchEnded {
        TouchEnd end;
        friend bool operator==(const TouchEnded&, const TouchEnded&) = default;
    };
    struct Gesture {
        TrackpadGesture gesture;
        friend bool operator==(const Gesture&, const Gesture&) = default;
    };
    using Payload = std::variant<TouchBegan, TouchSample, TouchEnded, Gesture>;

    static RecognizerEvent touchBegan(const TouchSnapshot& snapshot) { return RecognizerEvent(TouchBegan{snapshot}); }
    static RecognizerEvent touchSample(const TouchSnapshot& snapshot) { return RecognizerEvent(TouchSample{snapshot}); }
    static RecognizerEvent touchEnded(const TouchEnd& end) { return RecognizerEvent(TouchEnded{end}); }
    static RecognizerEvent gesture(const TrackpadGesture& gesture) { return RecognizerEvent(Gesture{gesture}); }

    const Payload& payload() const { return payload_; }

    // The gesture of a `gesture` event; absent for the touch events.
    std::optional<TrackpadGesture> asGesture() const
    {
        if (const auto* g = std::get_if<Gesture>(&payload_)) return g->gesture;
        return std::nullopt;
    }

    friend bool operator==(const RecognizerEvent&, const RecognizerEvent&) = default;

private:
    explicit RecognizerEvent(Payload payload) : payload_(std::move(payload)) {}
    Payload payload_;
};

}  // namespace quorvel
