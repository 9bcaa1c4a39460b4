#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <string_view>
#include <vector>

#include "platform/linux/multitouch/DeviceDescription.h"

namespace quorvel::linux_backend {

// The description of an input device as sysfs publishes it to everyone, for devices
// whose node cannot be opened. Axis ranges are not published there, so the result has
// none. `eventDirectory` is e.g. /sys/class/input/event5. Absent when unreadable.
std::optional<DeviceDescription> readSysfsDescription(const std::filesystem::path& eventDirectory);

// A sysfs bitmap ("120013" or "3 0 0 1f" — hexadecimal words of `wordBits` bits, most
// significant first) as a bit array, bit n at byte n / 8. Absent when malformed.
std::optional<std::vector<std::uint8_t>> parseSysfsBitmap(std::string_view text, unsigned wordBits);

}  // namespace quorvel::linux_backend
