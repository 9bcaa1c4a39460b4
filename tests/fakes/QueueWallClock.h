#pragma once

#include "platform/WallClock.h"
#include "tests/fakes/FakeMainQueue.h"

namespace quorvel::testing {

// A wall clock that moves with a FakeMainQueue's virtual time, from a fixed epoch.
class QueueWallClock final : public platform::WallClock {
public:
    explicit QueueWallClock(const FakeMainQueue& queue) : queue_(queue) {}
    double now() const override { return 1'700'000'000.0 + queue_.now(); }

private:
    const FakeMainQueue& queue_;
};

}  // namespace quorvel::testing
