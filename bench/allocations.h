// Counts the heap allocations of the process's C++ code: the benchmark
// replaces the global operator new with one that counts.
#pragma once

#include <cstdint>

namespace zolt::bench::allocations {

// Allocations made through operator new by the calling thread since it
// started.
uint64_t count();

}  // namespace zolt::bench::allocations
