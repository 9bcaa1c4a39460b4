#pragma once

#include <cstddef>
#include <vector>

#include "platform/linux/multitouch/MultitouchDecoder.h"

namespace quorvel::linux_backend {

// Writes the contacts as the framework's raw touch records: 80 bytes each, back to
// back, little-endian identifier, state, x, y and size at their fixed offsets, every
// other byte zero. `out` is reused between frames to avoid allocating per frame.
void encodeRawTouchRecords(const std::vector<DecodedContact>& contacts, std::vector<std::byte>& out);

}  // namespace quorvel::linux_backend
