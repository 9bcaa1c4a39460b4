#pragma once

#include "platform/WallClock.h"

namespace quorvel::linux_backend {

// Calendar time from the system's real-time clock.
class SystemWallClock final : public platform::WallClock {
public:
    double now() const override;
};

}  // namespace quorvel::linux_backend
