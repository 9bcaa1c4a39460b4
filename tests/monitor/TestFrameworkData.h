#pragma once

#include <array>
#include <cstdint>
#include <cstring>
#include <vector>

#include <QuorvelCore/ContactFrame.h>

#include "platform/MultitouchFramework.h"

namespace quorvel::testing {

// Raw touch records as a framework writes them (little-endian host): up to three, one
// byte off any alignment, the bytes the callback does not read filled with noise.
class TouchRecords {
public:
    explicit TouchRecords(const std::vector<TrackpadContact>& contacts = {}) { write(contacts); }

    void write(const std::vector<TrackpadContact>& contacts)
    {
        namespace mt = platform::multitouch;
        storage_.fill(0xCD);
        for (std::size_t k = 0; k < contacts.size() && k < 3; ++k) {
            unsigned char* r = data() + k * mt::rawTouchRecordSize;
            const auto& c = contacts[k];
            const std::array<float, 3> floats{static_cast<float>(c.normalizedPosition.x),
                                              static_cast<float>(c.normalizedPosition.y), static_cast<float>(c.size)};
            std::memcpy(r + mt::identifierOffset, &c.identifier, 4);
            std::memcpy(r + mt::stateOffset, &c.state, 4);
            std::memcpy(r + mt::xOffset, &floats[0], 4);
            std::memcpy(r + mt::yOffset, &floats[1], 4);
            std::memcpy(r + mt::sizeOffset, &floats[2], 4);
        }
    }
    unsigned char* data() { return storage_.data() + 1; }

private:
    std::array<unsigned char, 3 * platform::multitouch::rawTouchRecordSize + 1> storage_{};
};

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
