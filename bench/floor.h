// The floor of a case: the statements the engine ran for one call of it,
// replayed by a plain loop on a raw connection to the same database.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bench/raw_connection.h"
#include "bench/workload.h"
#include "platform/sqlite/engine.h"

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

    // The same statements on the prepared floor.
    std::unique_ptr<class PreparedFloor> prepared;
};

// The prepared floor: the statements of a floor as a hand-written
// data-access class runs them on one open connection. Each is prepared once
// and kept, its literal values taken out as parameters (as the engine's
// shaper takes them out; a statement without any is kept as it is); every
// run binds the values, steps through every row reading every column, and
// resets.
class PreparedFloor {
public:
    PreparedFloor(RawConnection& raw, const std::vector<std::string>& statements);
    void run();

private:
    struct Statement {
        std::string text;
        std::optional<sqlite::ShapedStatement> shape;
        sqlite::StatementPtr prepared;
    };
    RawConnection& raw_;
    std::vector<Statement> statements_;
};

// Makes two calls of the case: the first warms up the connections, the
// prepared statements and the compiled procedures; the second runs with the
// capture on. Checks that one replay of what was captured succeeds.
Floor capture_floor(const Case& bench_case, Call& call, RawConnection& raw);

// Removes what a replay of an insertion added (see Floor).
void remove_inserted_rows(const Floor& floor, RawConnection& raw);

}  // namespace zolt::bench
