#pragma once

#include <string>

namespace quorvel::editing {

// Text from a file or the command line as a person reads it, whole: in double quotes, escaped
// as every terminal text of ours is (platform/PrintableText.h).
std::string quoted(const std::string& text);

// A number at its shortest: 0.45, not 0.45000000000000001; 1, not 1.0.
std::string number(double value);

// Whether `text` is valid UTF-8, which a JSON text must be.
bool isValidUtf8(const std::string& text);

}  // namespace quorvel::editing
