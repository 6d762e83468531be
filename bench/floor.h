// The floor of a case: the statements the engine ran for one call of it,
// replayed by a plain loop on a raw connection to the same database.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "bench/raw_connection.h"
#include "bench/workload.h"

namespace zolt::bench {

struct Floor {
    // Every statement of one call on every connection (the caller's, the
    // separate ones of inline writes, the key generator's), in the order they
    // began, with bound parameters written in as literals; transaction
    // statements included.
    std::vector<std::string> statements;

    // A replay of an insertion adds rows under the keys written in its
    // statements (or drawn from the counters). For those cases the rows above
    // the highest keys seen before the captured call are removed after each
    // replay, outside the timed part, so that every replay meets the state
    // the captured call met: the same keys free, the same duplicate checks.
    // (Rows the component inserted since go too; nothing reads them.)
    bool removes_inserted_rows = false;
    int64_t last_order_key = 0;
    int64_t last_item_key = 0;
};

// Makes two calls of the case: the first warms up the connections, the
// prepared statements and the compiled procedures; the second runs with the
// capture on. Checks that one replay of what was captured succeeds.
Floor capture_floor(const Case& bench_case, Call& call, RawConnection& raw);

// Removes what a replay of an insertion added (see Floor).
void remove_inserted_rows(const Floor& floor, RawConnection& raw);

}  // namespace zolt::bench
