#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <utility>
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

// Parses a recording line by line, as it is read. Comments (`#` to the end of a line) and
// blank lines are skipped; any other malformed line, and an event whose time is earlier than
// the one before, is an error naming the line. What an error quotes of the line is cut short
// (the caller escapes it for display).
class EvemuParser {
public:
    // One line, without its line break.
    std::optional<EvemuParseError> parseLine(std::string_view line);
    const EvemuRecording& recording() const { return recording_; }
    EvemuRecording takeRecording() { return std::move(recording_); }

private:
    std::optional<std::string> parse(std::string_view line);
    DeviceDescription& description();
    std::optional<std::string> parseIdentity(const std::vector<std::string_view>& values);
    std::optional<std::string> parseEventBits(const std::vector<std::string_view>& values);
    std::optional<std::string> parseAxis(const std::vector<std::string_view>& values);
    std::optional<std::string> parseEvent(const std::vector<std::string_view>& values);

    EvemuRecording recording_;
    std::size_t lineNumber_ = 0;
};

// Parses a whole recording with an EvemuParser.
std::variant<EvemuRecording, EvemuParseError> parseEvemuRecording(std::string_view text);

}  // namespace quorvel::linux_backend
