#include "bench/core/AllocationCounter.h"

#include <atomic>
#include <cstddef>
#include <cstdlib>
#include <new>

namespace {

std::atomic<std::uint64_t> allocations{0};

void* countedAllocation(std::size_t size, std::size_t alignment)
{
    allocations.fetch_add(1, std::memory_order_relaxed);
    if (size == 0) size = 1;
    void* memory = nullptr;
    if (alignment <= alignof(std::max_align_t)) {
        memory = std::malloc(size);
    } else {
        // aligned_alloc wants a size that is a multiple of the alignment.
        memory = std::aligned_alloc(alignment, (size + alignment - 1) / alignment * alignment);
    }
    if (memory == nullptr) throw std::bad_alloc();
    return memory;
}

}  // namespace

std::uint64_t quorvel::bench::allocationCount()
{
    return allocations.load(std::memory_order_relaxed);
}

// The array and nothrow forms of the standard library forward to these two.
void* operator new(std::size_t size)
{
    return countedAllocation(size, alignof(std::max_align_t));
}
void* operator new(std::size_t size, std::align_val_t alignment)
{
    return countedAllocation(size, static_cast<std::size_t>(alignment));
}

void operator delete(void* memory) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::align_val_t) noexcept
{
    std::free(memory);
}
void operator delete(void* memory, std::size_t, std::align_val_t) noexcept
{
    std::free(memory);
}
