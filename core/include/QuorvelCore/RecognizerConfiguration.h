#pragma once

namespace quorvel {

// Tuning of the tap recogniser. No defaults here: they belong to the configuration.
struct RecognizerConfiguration {
    double cornerZone;          // depth of each corner zone along both axes
    double doubleTapWindow;     // seconds from the end of tap 1 to the end of tap 2
    double tripleTapWindow;     // seconds from the end of tap 2 to the end of tap 3
    double maximumTapDuration;  // seconds, longest contact that still counts as a tap
    double maximumTapTravel;    // farthest distance from the start a tap may reach

    friend bool operator==(const RecognizerConfiguration&, const RecognizerConfiguration&) = default;
};

}  // namespace quorvel
