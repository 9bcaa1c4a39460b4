#pragma once

#include <cstdint>

namespace quorvel::linux_backend {

// One evdev event, as read from a device or a recording.
struct InputEvent {
    std::int64_t seconds = 0;
    std::int64_t microseconds = 0;
    std::uint16_t type = 0;
    std::uint16_t code = 0;
    std::int32_t value = 0;

    double timestamp() const { return static_cast<double>(seconds) + static_cast<double>(microseconds) * 1e-6; }

    friend bool operator==(const InputEvent&, const InputEvent&) = default;
};

}  // namespace quorvel::linux_backend
