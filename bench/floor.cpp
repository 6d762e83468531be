#include "bench/floor.h"

#include <map>

#include "bench/statement_capture.h"

namespace zolt::bench {

Floor capture_floor(const Case& bench_case, Call& call, RawConnection& raw) {
    call.run();
    Floor floor;
    if (bench_case.inserts) {
        floor.restore = "BEGIN; DELETE FROM PEDIDO WHERE PEDIDO_ID > " +
                        std::to_string(raw.number("SELECT max(PEDIDO_ID) FROM PEDIDO")) +
                        "; DELETE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID > " +
                        std::to_string(raw.number("SELECT max(PEDIDO_ITEM_ID) FROM PEDIDO_ITEM")) + "; COMMIT";
    } else if (bench_case.restore) {
        floor.restore = "BEGIN;";
        for (uint64_t n = call.calls(); n < call.calls() + kFloorCalls; ++n)
            floor.restore += bench_case.restore(n) + ";";
        floor.restore += "COMMIT";
    }
    for (std::size_t i = 0; i < kFloorCalls; ++i) {
        capture::start();
        try {
            call.run();
        } catch (...) {
            capture::stop();
            throw;
        }
        floor.calls.push_back(capture::stop());
    }
    // The captured calls' own writes are undone too, so that the replays
    // write what the calls wrote.
    restore_rows(floor, raw);
    for (const std::vector<std::string>& statements : floor.calls)
        raw.replay(statements);
    restore_rows(floor, raw);
    floor.prepared = std::make_unique<PreparedFloor>(raw, floor.calls);
    for (std::size_t i = 0; i < floor.calls.size(); ++i)
        floor.prepared->run(i);
    restore_rows(floor, raw);
    return floor;
}

PreparedFloor::PreparedFloor(RawConnection& raw, const std::vector<std::vector<std::string>>& calls) : raw_(raw) {
    // One prepared statement per distinct shape (or per text, for a
    // statement the shaper leaves as it is), shared by every call.
    std::map<std::string, sqlite3_stmt*> by_text;
    auto prepare = [&](const std::string& text) {
        auto [found, added] = by_text.try_emplace(text, nullptr);
        if (!added)
            return found->second;
        if (sqlite3_prepare_v3(raw.handle(), text.c_str(), -1, SQLITE_PREPARE_PERSISTENT, &found->second,
                               nullptr) != SQLITE_OK)
            raw.fail(text);
        kept_.emplace_back(found->second);
        return found->second;
    };
    for (const std::vector<std::string>& statements : calls) {
        std::vector<Statement>& call = calls_.emplace_back();
        for (const std::string& text : statements) {
            Statement statement{text, sqlite::shape_of(text), nullptr};
            if (statement.shape) {
                auto [found, added] = by_text.try_emplace(statement.shape->text, nullptr);
                if (added) {
                    sqlite::StatementPtr shaped = sqlite::prepare_shape(raw.handle(), *statement.shape, true);
                    found->second = shaped.get();
                    if (shaped)
                        kept_.push_back(std::move(shaped));
                }
                statement.prepared = found->second;
            }
            if (!statement.prepared) {
                statement.shape.reset();
                statement.prepared = prepare(text);
            }
            call.push_back(std::move(statement));
        }
    }
}

void PreparedFloor::run(std::size_t call) {
    for (Statement& statement : calls_[call]) {
        if (statement.shape)
            sqlite::bind_values(raw_.handle(), statement.prepared, *statement.shape);
        try {
            raw_.read_rows(statement.prepared, statement.text);
        } catch (...) {
            sqlite3_reset(statement.prepared);
            throw;
        }
        sqlite3_reset(statement.prepared);
    }
}

void restore_rows(const Floor& floor, RawConnection& raw) {
    if (!floor.restore.empty())
        raw.execute(floor.restore);
}

}  // namespace zolt::bench
