#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include <nlohmann/json.hpp>

#include "helper/configuration/DecodingError.h"

namespace quorvel {

// Deepest nesting of arrays and objects a document may have. A configuration needs 5 levels;
// the limit only keeps hostile input from exhausting memory or the stack of later steps.
inline constexpr std::size_t maximumJsonNesting = 64;

// Parses the bytes as exactly one JSON document (RFC 8259) and builds its tree, more strictly than
// the library would on its own:
// - an object that names the same member twice is rejected (which value wins would be a guess);
// - nesting beyond `maximumJsonNesting` is rejected before anything deeper is built;
// - numbers too large for a 64-bit float are rejected; integers beyond 64 bits become floats;
// - strings must be valid UTF-8; anything but whitespace after the document is rejected,
//   and so is a zero byte anywhere (the library alone would stop reading at it);
// - one leading UTF-8 byte-order mark is skipped (editors write it); other BOMs are rejected.
// Every failure is a `DecodingError` at the document path, of kind `notJson`, except a
// repeated member name (`dataCorrupted`: the syntax is valid, the meaning is not).
Decoded<nlohmann::json> parseStrictJson(std::span<const std::uint8_t> bytes);
Decoded<nlohmann::json> parseStrictJson(std::string_view text);

}  // namespace quorvel
