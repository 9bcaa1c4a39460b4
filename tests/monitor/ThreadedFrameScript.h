#pragma once

#include <cstdint>
#include <vector>

#include <QuorvelCore/ContactFrame.h>

namespace quorvel::testing {

// What the threaded test framework sends from its own thread, in order: a double tap
// in the top-left corner whose second release comes as a null buffer, an expiring
// frame with a negative count, then records with edge values.
struct ScriptedFrame {
    std::int32_t frame;
    double timestamp;
    std::int32_t count;  // as passed to the callback
    bool nullTouches;
    std::vector<TrackpadContact> contacts;  // the records in the buffer
};

inline std::vector<ScriptedFrame> threadedFrameScript()
{
    const TrackpadContact corner{1, 1, {0.125, 0.875}, 1.0};  // exact as float32
    return {
        {1, 1.00, 1, false, {corner}},
        {2, 1.10, 0, false, {corner}},
        {3, 1.30, 1, false, {{2, 1, {0.125, 0.875}, 1.0}}},
        {4, 1.40, 2, true, {}},
        {5, 1.70, -1, false, {corner}},
        {6, 2.00, 3, false,
         {{-7, -3, {0.25, 0.75}, 1.5}, {2147483647, 4, {0.5, 0.5}, 0.125}, {0, 0, {1.0, 0.0}, 0.0}}},
    };
}

}  // namespace quorvel::testing
