#pragma once

#include "QuorvelCore/TapPattern.h"
#include "QuorvelCore/TrackpadCorner.h"

namespace quorvel {

// A recognised double or triple tap; what triggers an action.
struct TrackpadGesture {
    TrackpadCorner corner = TrackpadCorner::topLeft;
    TapPattern pattern = TapPattern::doubleTap;
    double timestamp = 0;  // frame time at which the last tap of the pattern ended

    friend bool operator==(const TrackpadGesture&, const TrackpadGesture&) = default;
};

}  // namespace quorvel
