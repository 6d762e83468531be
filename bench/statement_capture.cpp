#include "bench/statement_capture.h"

#include <sqlite3.h>

#include <stdexcept>
#include <utility>

namespace zolt::bench::capture {

namespace {

bool recording = false;
std::vector<std::string> recorded;

int on_statement(unsigned type, void*, void* prepared, void* text) {
    if (type != SQLITE_TRACE_STMT || !recording)
        return 0;
    // A trigger's program is reported as a comment naming it; the statement
    // that fired it is already recorded.
    const auto* sql = static_cast<const char*>(text);
    if (sql && sql[0] == '-' && sql[1] == '-')
        return 0;
    char* expanded = sqlite3_expanded_sql(static_cast<sqlite3_stmt*>(prepared));
    recorded.emplace_back(expanded ? expanded : sql ? sql : "");
    sqlite3_free(expanded);
    return 0;
}

int trace_connection(sqlite3* db, const char**, const sqlite3_api_routines*) {
    sqlite3_trace_v2(db, SQLITE_TRACE_STMT, on_statement, nullptr);
    return SQLITE_OK;
}

}  // namespace

void install() {
    if (sqlite3_auto_extension(reinterpret_cast<void (*)()>(trace_connection)) != SQLITE_OK)
        throw std::runtime_error("cannot install the statement capture");
}

void start() {
    recorded.clear();
    recording = true;
}

std::vector<std::string> stop() {
    recording = false;
    return std::exchange(recorded, {});
}

}  // namespace zolt::bench::capture
