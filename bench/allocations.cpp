#include "bench/allocations.h"

#include <atomic>
#include <cstdlib>
#include <new>

namespace zolt::bench::allocations {

namespace {

std::atomic<uint64_t> made{0};

void* allocate(std::size_t size) {
    made.fetch_add(1, std::memory_order_relaxed);
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

uint64_t count() { return made.load(std::memory_order_relaxed); }

}  // namespace zolt::bench::allocations

// Every allocation of the process, the shared libraries' included, comes
// through these.
void* operator new(std::size_t size) { return zolt::bench::allocations::allocate(size); }
void* operator new[](std::size_t size) { return zolt::bench::allocations::allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
