#pragma once

namespace quorvel::platform {

// Calendar time in seconds since the Unix epoch (it may jump; use it only to compare
// the times of events with each other, never to measure a delay).
class WallClock {
public:
    virtual ~WallClock() = default;
    virtual double now() const = 0;
};

}  // namespace quorvel::platform
