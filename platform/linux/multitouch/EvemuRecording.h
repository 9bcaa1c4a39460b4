#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/linux/multitouch/DeviceDescription.h"
#include "platform/linux/multitouch/InputEvent.h"

namespace quorvel::linux_backend {

// A device recording in the evemu text format: an optional device description (`N:`,
// `I:`, `P:`, `B:`, `A:` lines) followed by `E: sec.usec type code value` lines.
struct EvemuRecording {
    std::optional<DeviceDescription> description;  // absent when the text has no header
    std::vector<InputEvent> events;

    friend bool operator==(const EvemuRecording&, const EvemuRecording&) = default;
};

struct EvemuParseError {
    std::size_t line = 0;  // 1-based
    std::string message;

    friend bool operator==(const EvemuParseError&, const EvemuParseError&) = default;
};

// Parses a whole recording. Comments (`#` to the end of a line) and blank lines are
// skipped; any other malformed line is an error naming the line.
std::variant<EvemuRecording, EvemuParseError> parseEvemuRecording(std::string_view text);

}  // namespace quorvel::linux_backend
