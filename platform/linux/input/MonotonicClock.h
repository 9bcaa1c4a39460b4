#pragma once

#include <chrono>

namespace quorvel::linux_backend {

// Seconds on a clock that never jumps; only differences mean anything.
class MonotonicClock {
public:
    virtual ~MonotonicClock() = default;
    virtual double now() const = 0;
};

class SteadyMonotonicClock final : public MonotonicClock {
public:
    double now() const override
    {
        return std::chrono::duration<double>(std::chrono::steady_clock::now().time_since_epoch()).count();
    }
};

}  // namespace quorvel::linux_backend
