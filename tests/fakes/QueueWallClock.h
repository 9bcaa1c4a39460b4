#pragma once

#include "platform/WallClock.h"
#include "tests/fakes/FakeMainQueue.h"

namespace quorvel::testing {

// A wall clock that moves with a FakeMainQueue's virtual time, from a fixed epoch.
class QueueWallClock final : public platform::WallClock {
public:
    explicit QueueWallClock(const FakeMainQueue& queue, double epoch = 1'700'000'000.0)
        : queue_(queue), epoch_(epoch)
    {
    }
    double now() const override { return epoch_ + queue_.now(); }

private:
    const FakeMainQueue& queue_;
    double epoch_;
};

}  // namespace quorvel::testing
