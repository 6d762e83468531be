#include "bench/allocations.h"

#include <cstdlib>
#include <new>

namespace zolt::bench::allocations {

namespace {

// Counted per thread, without a locked instruction: a shared atomic counter
// would add its own cost to every allocation of the calls being timed.
thread_local uint64_t made = 0;

void* allocate(std::size_t size) {
    ++made;
    if (void* memory = std::malloc(size ? size : 1))
        return memory;
    throw std::bad_alloc();
}

}  // namespace

uint64_t count() { return made; }

}  // namespace zolt::bench::allocations

// Every allocation of the process, the shared libraries' included, comes
// through these.
void* operator new(std::size_t size) { return zolt::bench::allocations::allocate(size); }
void* operator new[](std::size_t size) { return zolt::bench::allocations::allocate(size); }
void operator delete(void* memory) noexcept { std::free(memory); }
void operator delete[](void* memory) noexcept { std::free(memory); }
void operator delete(void* memory, std::size_t) noexcept { std::free(memory); }
void operator delete[](void* memory, std::size_t) noexcept { std::free(memory); }
