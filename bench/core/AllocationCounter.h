#pragma once

#include <cstdint>

namespace quorvel::bench {

// Number of global operator new calls since the program started. The benchmark
// executable replaces operator new to count them; the count is process-wide by nature.
std::uint64_t allocationCount();

}  // namespace quorvel::bench
