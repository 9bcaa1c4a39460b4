#pragma once

#include <cstdint>
#include <vector>

#include <QuorvelCore/ContactFrame.h>

namespace quorvel {

// Copies `count` raw touch records (80 bytes each, back to back from `touches`) into
// contacts, in record order. Reads only the identifier, state, position and size
// fields, little-endian, with no alignment assumed. Null touches or a count below 1
// give no contacts.
std::vector<TrackpadContact> decodeRawTouchRecords(const void* touches, std::int32_t count);

}  // namespace quorvel
