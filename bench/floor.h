// The floor of a case: the statements the engine ran for a run of
// consecutive calls of it, replayed call after call by a plain loop on a raw
// connection to the same database.
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

// How many consecutive calls a floor captures. The floor replays them in
// turn, so that like the component it works on a different row on each
// call, and after the last one puts their rows back (see Floor::restore).
constexpr std::size_t kFloorCalls = 64;

struct Floor {
    // For each captured call, every statement it ran on every connection
    // (the caller's, the separate ones of inline writes, the key
    // generator's), in the order they began, with bound parameters written
    // in as literals; transaction statements included.
    std::vector<std::vector<std::string>> calls;

    // Puts back the rows the captured calls wrote, so that replaying them
    // again does the same work: an update or a deletion that found its row
    // already as it leaves it would write nothing. For an insertion, the rows
    // above the highest keys seen before the first captured call are removed
    // (rows the component inserted since go too; nothing reads them): every
    // replay then meets the state the captured call met, the same keys free
    // and the same duplicate checks. Empty when the calls write nothing.
    std::string restore;

    // The same calls on the prepared floor.
    std::unique_ptr<class PreparedFloor> prepared;
};

// The prepared floor: the statements of a floor as a hand-written
// data-access class runs them on one open connection. Each distinct
// statement is prepared once and kept, its literal values taken out as
// parameters (as the engine's shaper takes them out; a statement without any
// is kept as it is); replaying a call binds its values, steps through every
// row reading every column, and resets.
class PreparedFloor {
public:
    PreparedFloor(RawConnection& raw, const std::vector<std::vector<std::string>>& calls);
    // Replays captured call number `call`.
    void run(std::size_t call);

private:
    struct Statement {
        std::string text;
        std::optional<sqlite::ShapedStatement> shape;
        sqlite3_stmt* prepared = nullptr;
    };
    RawConnection& raw_;
    std::vector<sqlite::StatementPtr> kept_;
    std::vector<std::vector<Statement>> calls_;
};

// Makes one call of the case to warm up the connections, the prepared
// statements and the compiled procedures, then kFloorCalls calls with the
// capture on. Checks that one replay of what was captured succeeds.
Floor capture_floor(const Case& bench_case, Call& call, RawConnection& raw);

// Puts back the rows the captured calls wrote (see Floor::restore).
void restore_rows(const Floor& floor, RawConnection& raw);

}  // namespace zolt::bench
