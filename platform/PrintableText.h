#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace quorvel::platform {

// Text from outside (a configuration value, a file's content, a path) made safe to show in
// a log line or on a terminal: control characters, bytes that are not UTF-8, and the
// characters that reorder or hide text (C1 controls, bidirectional overrides) are written as
// escapes (\n, \x1b, \u202e), a backslash as \\, and text longer than `limit` bytes is cut
// there with "..." after it. Printable UTF-8 stays as it is.
inline constexpr std::size_t printableTextLimit = 200;
std::string escapedForDisplay(std::string_view text, std::size_t limit = printableTextLimit);

// The same in double quotes, with a double quote inside escaped as \".
std::string quotedForDisplay(std::string_view text, std::size_t limit = printableTextLimit);

}  // namespace quorvel::platform
