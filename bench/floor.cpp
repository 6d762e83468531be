#include "bench/floor.h"

#include "bench/statement_capture.h"

namespace zolt::bench {

Floor capture_floor(const Case& bench_case, Call& call, RawConnection& raw) {
    call.run();
    Floor floor;
    floor.removes_inserted_rows = bench_case.inserts;
    if (floor.removes_inserted_rows) {
        floor.last_order_key = raw.number("SELECT max(PEDIDO_ID) FROM PEDIDO");
        floor.last_item_key = raw.number("SELECT max(PEDIDO_ITEM_ID) FROM PEDIDO_ITEM");
    }
    capture::start();
    try {
        call.run();
    } catch (...) {
        capture::stop();
        throw;
    }
    floor.statements = capture::stop();
    // The captured call's own rows go too, so that the replay can insert its keys.
    remove_inserted_rows(floor, raw);
    raw.replay(floor.statements);
    remove_inserted_rows(floor, raw);
    return floor;
}

void remove_inserted_rows(const Floor& floor, RawConnection& raw) {
    if (!floor.removes_inserted_rows)
        return;
    raw.execute("BEGIN; DELETE FROM PEDIDO WHERE PEDIDO_ID > " + std::to_string(floor.last_order_key) +
                "; DELETE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID > " + std::to_string(floor.last_item_key) +
                "; COMMIT");
}

}  // namespace zolt::bench
