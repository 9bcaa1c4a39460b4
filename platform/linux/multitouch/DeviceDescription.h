#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <vector>

namespace quorvel::linux_backend {

// Range of one absolute axis (struct input_absinfo without the current value).
struct AbsoluteAxis {
    std::int32_t minimum = 0;
    std::int32_t maximum = 0;
    std::int32_t fuzz = 0;
    std::int32_t flat = 0;
    std::int32_t resolution = 0;  // units per mm (per radian for rotations); 0 = unknown

    friend bool operator==(const AbsoluteAxis&, const AbsoluteAxis&) = default;
};

// What an input device says about itself: name, identity, property bits, the event
// codes of each type and the ranges of its absolute axes. Bit arrays are stored as the
// kernel hands them out (bit n of the array = byte n / 8, bit n % 8); the bits of type
// 0 are the supported event types.
struct DeviceDescription {
    std::string name;
    std::uint16_t bustype = 0;
    std::uint16_t vendor = 0;
    std::uint16_t product = 0;
    std::uint16_t version = 0;
    std::vector<std::uint8_t> properties;
    std::map<std::uint16_t, std::vector<std::uint8_t>> eventBits;
    std::map<std::uint16_t, AbsoluteAxis> absoluteAxes;

    bool hasProperty(unsigned property) const;
    bool hasEventType(unsigned type) const;
    bool hasEventCode(unsigned type, unsigned code) const;
    std::optional<AbsoluteAxis> axis(unsigned code) const;

    void setProperty(unsigned property);
    void setEventType(unsigned type);
    void setEventCode(unsigned type, unsigned code);  // also marks the type as supported

    friend bool operator==(const DeviceDescription&, const DeviceDescription&) = default;
};

}  // namespace quorvel::linux_backend
