#pragma once

#include <optional>
#include <utility>

namespace quorvel::linux_backend {

// Tells when a watched value reaches a target it did not have before. The first value read
// at start-up is only recorded: a session that is already active has not "become" active.
template <class T>
class EdgeTrigger {
public:
    explicit EdgeTrigger(T target) : target_(std::move(target)) {}

    void seed(const T& value) { last_ = value; }

    // Records `value`; true when it equals the target and the previous value did not
    // (an unknown previous value counts as different).
    bool reaches(const T& value)
    {
        const bool reached = value == target_ && last_ != target_;
        last_ = value;
        return reached;
    }

private:
    T target_;
    std::optional<T> last_;
};

}  // namespace quorvel::linux_backend
