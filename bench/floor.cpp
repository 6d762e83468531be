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
    floor.prepared = std::make_unique<PreparedFloor>(raw, floor.statements);
    floor.prepared->run();
    remove_inserted_rows(floor, raw);
    return floor;
}

PreparedFloor::PreparedFloor(RawConnection& raw, const std::vector<std::string>& statements) : raw_(raw) {
    for (const std::string& text : statements) {
        Statement statement{text, sqlite::shape_of(text), nullptr};
        if (statement.shape)
            statement.prepared = sqlite::prepare_shape(raw.handle(), *statement.shape, true);
        if (!statement.prepared) {
            statement.shape.reset();
            sqlite3_stmt* prepared = nullptr;
            if (sqlite3_prepare_v3(raw.handle(), text.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &prepared, nullptr) !=
                SQLITE_OK)
                raw.fail(text);
            statement.prepared.reset(prepared);
        }
        statements_.push_back(std::move(statement));
    }
}

void PreparedFloor::run() {
    for (Statement& statement : statements_) {
        if (statement.shape)
            sqlite::bind_values(raw_.handle(), statement.prepared.get(), *statement.shape);
        try {
            raw_.read_rows(statement.prepared.get(), statement.text);
        } catch (...) {
            sqlite3_reset(statement.prepared.get());
            throw;
        }
        sqlite3_reset(statement.prepared.get());
    }
}

void remove_inserted_rows(const Floor& floor, RawConnection& raw) {
    if (!floor.removes_inserted_rows)
        return;
    raw.execute("BEGIN; DELETE FROM PEDIDO WHERE PEDIDO_ID > " + std::to_string(floor.last_order_key) +
                "; DELETE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID > " + std::to_string(floor.last_item_key) +
                "; COMMIT");
}

}  // namespace zolt::bench
