#pragma once

namespace quorvel {

// A position on the touchpad surface, normalised to 0...1 on both axes.
// x = 0 is the left edge, y = 0 the bottom edge, so the top corners are near y = 1.
struct TrackpadPoint {
    double x = 0;
    double y = 0;

    friend bool operator==(const TrackpadPoint&, const TrackpadPoint&) = default;
};

}  // namespace quorvel
