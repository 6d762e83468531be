#include "tests/support/shape_check.h"

#include <cstdio>

#include "platform/sqlite/engine.h"

namespace zolt::test {

namespace {

// The storage class and the value: a number with every bit, so that -0.0
// and a last digit count; anything else as its bytes.
void append_value(std::string& out, sqlite3_stmt* statement, int column) {
    const int type = sqlite3_column_type(statement, column);
    out += std::to_string(type) + ":";
    if (type == SQLITE_FLOAT) {
        char number[32];
        std::snprintf(number, sizeof number, "%a", sqlite3_column_double(statement, column));
        out += number;
        return;
    }
    const auto* bytes = static_cast<const char*>(sqlite3_column_blob(statement, column));
    out.append(bytes ? bytes : "", static_cast<std::size_t>(sqlite3_column_bytes(statement, column)));
}

// Every row to its end, after the column names and declared types.
void append_rows(std::string& out, sqlite3* db, sqlite3_stmt* statement) {
    const int columns = sqlite3_column_count(statement);
    for (int i = 0; i < columns; ++i) {
        const char* declared = sqlite3_column_decltype(statement, i);
        out += std::string(sqlite3_column_name(statement, i)) + " " + (declared ? declared : "-") + "|";
    }
    int rc;
    while ((rc = sqlite3_step(statement)) == SQLITE_ROW) {
        out += "\n";
        for (int i = 0; i < columns; ++i) {
            append_value(out, statement, i);
            out += "|";
        }
    }
    if (rc != SQLITE_DONE)
        out += std::string("\nerror: ") + sqlite3_errmsg(db);
}

void append_tables(std::string& out, sqlite3* db) {
    sqlite3_stmt* names = nullptr;
    sqlite3_prepare_v2(db, "SELECT name FROM sqlite_schema WHERE type = 'table' ORDER BY name", -1, &names,
                       nullptr);
    while (sqlite3_step(names) == SQLITE_ROW) {
        const std::string name = reinterpret_cast<const char*>(sqlite3_column_text(names, 0));
        sqlite3_stmt* rows = nullptr;
        sqlite3_prepare_v2(db, ("SELECT * FROM \"" + name + "\"").c_str(), -1, &rows, nullptr);
        out += "\n" + name + ": ";
        append_rows(out, db, rows);
        sqlite3_finalize(rows);
    }
    sqlite3_finalize(names);
}

// What a prepared statement answers, with the rows a write leaves; undone.
std::string answer_of(sqlite3* db, sqlite3_stmt* statement) {
    sqlite3_exec(db, "SAVEPOINT shape_check", nullptr, nullptr, nullptr);
    std::string out;
    append_rows(out, db, statement);
    if (!sqlite3_stmt_readonly(statement))
        append_tables(out, db);
    sqlite3_reset(statement);
    sqlite3_exec(db, "ROLLBACK TO shape_check; RELEASE shape_check", nullptr, nullptr, nullptr);
    return out;
}

}  // namespace

ShapeCheck check_shape(sqlite3* db, std::string_view sql) {
    ShapeCheck check;
    const auto shaped = sqlite::shape_of(sql);
    if (!shaped)
        return check;
    const sqlite::StatementPtr by_shape = sqlite::prepare_shape(db, *shaped, false);
    if (!by_shape)
        return check;
    check.shaped = true;
    sqlite3_stmt* prepared = nullptr;
    std::string as_sent;
    if (sqlite3_prepare_v2(db, sql.data(), static_cast<int>(sql.size()), &prepared, nullptr) != SQLITE_OK)
        as_sent = std::string("error: ") + sqlite3_errmsg(db);
    const sqlite::StatementPtr direct(prepared);
    if (direct)
        as_sent = answer_of(db, direct.get());
    sqlite::bind_values(db, by_shape.get(), *shaped);
    const std::string shaped_answer = answer_of(db, by_shape.get());
    if (shaped_answer != as_sent)
        check.difference = "shape: " + shaped->text + "\nas sent: " + as_sent + "\nshaped: " + shaped_answer;
    return check;
}

}  // namespace zolt::test
