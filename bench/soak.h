// The memory soak: many calls of every case in turn, with the process's
// resident memory sampled as they go.
#pragma once

#include <cstdint>

#include "bench/workload.h"

namespace zolt::bench {

// Makes `total` calls, one case after the other (reads and writes, both
// dialects). The resident set size is sampled after the first `interval`
// calls, which warm up, and after every `interval` calls from then on; the
// samples and the growth since the warm-up are printed. Answers the exit
// status: 0, or 1 when a call failed.
int run_soak(Workload& workload, uint64_t total, uint64_t interval);

}  // namespace zolt::bench
