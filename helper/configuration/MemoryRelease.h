#pragma once

#include <cstddef>

namespace quorvel {

// Documents from this size on leave enough freed memory behind to be worth giving back.
inline constexpr std::size_t largeDocumentSize = 64 * 1024;

// Hands memory the allocator keeps after a large document's tree is gone back to the system,
// where the C library can. The agent runs for days; one large file must not keep its
// resident size up for the rest of the session.
void releaseFreedMemory();

}  // namespace quorvel
