#include "bench/raw_connection.h"

#include <benchmark/benchmark.h>

#include <stdexcept>

#include "platform/sqlite/engine.h"

namespace zolt::bench {

RawConnection::RawConnection(const std::string& path) {
    if (sqlite3_open_v2(path.c_str(), &db_, SQLITE_OPEN_READWRITE | SQLITE_OPEN_NOMUTEX, nullptr) != SQLITE_OK) {
        const std::string reason = db_ ? sqlite3_errmsg(db_) : "out of memory";
        sqlite3_close_v2(db_);
        throw std::runtime_error("cannot open " + path + ": " + reason);
    }
    // The provider's own clock: a statement that reads it costs both sides the same.
    sqlite::add_clock_functions(db_);
    execute("PRAGMA synchronous=NORMAL");
}

RawConnection::~RawConnection() { sqlite3_close_v2(db_); }

void RawConnection::fail(const std::string& sql) {
    throw std::runtime_error(std::string(sqlite3_errmsg(db_)) + " in: " + sql);
}

void RawConnection::execute(const std::string& sql) {
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, nullptr) != SQLITE_OK)
        fail(sql);
}

int64_t RawConnection::number(const std::string& sql) {
    sqlite3_stmt* statement = nullptr;
    if (sqlite3_prepare_v2(db_, sql.c_str(), -1, &statement, nullptr) != SQLITE_OK)
        fail(sql);
    const int64_t value = sqlite3_step(statement) == SQLITE_ROW ? sqlite3_column_int64(statement, 0) : 0;
    sqlite3_finalize(statement);
    return value;
}

void RawConnection::read_rows(sqlite3_stmt* statement, const std::string& sql) {
    const int columns = sqlite3_column_count(statement);
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        for (int i = 0; i < columns; ++i) {
            switch (sqlite3_column_type(statement, i)) {
            case SQLITE_INTEGER:
                benchmark::DoNotOptimize(sqlite3_column_int64(statement, i));
                break;
            case SQLITE_FLOAT:
                benchmark::DoNotOptimize(sqlite3_column_double(statement, i));
                break;
            case SQLITE_TEXT:
                benchmark::DoNotOptimize(sqlite3_column_text(statement, i));
                benchmark::DoNotOptimize(sqlite3_column_bytes(statement, i));
                break;
            case SQLITE_BLOB:
                benchmark::DoNotOptimize(sqlite3_column_blob(statement, i));
                benchmark::DoNotOptimize(sqlite3_column_bytes(statement, i));
                break;
            default:
                break;
            }
        }
    }
    if (rc != SQLITE_DONE)
        fail(sql);
}

void RawConnection::replay(const std::vector<std::string>& statements) {
    for (const std::string& sql : statements) {
        sqlite3_stmt* statement = nullptr;
        if (sqlite3_prepare_v2(db_, sql.data(), static_cast<int>(sql.size()), &statement, nullptr) != SQLITE_OK)
            fail(sql);
        const sqlite::StatementPtr finalizer(statement);
        read_rows(statement, sql);
    }
}

}  // namespace zolt::bench
