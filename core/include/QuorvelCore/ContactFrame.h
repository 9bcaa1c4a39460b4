#pragma once

#include <cstdint>
#include <vector>

#include "QuorvelCore/TrackpadPoint.h"

namespace quorvel {

// One contact of one frame, as the device delivers it.
struct TrackpadContact {
    std::int32_t identifier = 0;  // stable while the finger stays on the surface
    std::int32_t state = 0;       // device contact-state code; 0 = no contact
    TrackpadPoint normalizedPosition;
    double size = 0;  // only compared between contacts

    friend bool operator==(const TrackpadContact&, const TrackpadContact&) = default;
};

// One callback of one multitouch device.
struct ContactFrame {
    std::int32_t deviceID = 0;
    std::int32_t frame = 0;
    double timestamp = 0;  // seconds; the recogniser's only clock
    std::vector<TrackpadContact> contacts;  // device order; the order decides ties

    friend bool operator==(const ContactFrame&, const ContactFrame&) = default;
};

}  // namespace quorvel
