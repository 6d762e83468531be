// Statement handling shared by the sources of the embedded engine; not part
// of its interface.
#pragma once

#include <sqlite3.h>

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/sqlite/sql_text.h"

namespace zolt::sqlite {

struct StatementDeleter {
    void operator()(sqlite3_stmt* statement) const { sqlite3_finalize(statement); }
};
using StatementPtr = std::unique_ptr<sqlite3_stmt, StatementDeleter>;

// Result subtype that marks a value of the server clock as a date, so that an
// expression column carrying it comes back as a Date. The mark travels with
// the value as selected; a sorter or a subquery in between drops it, and the
// value then comes back as the plain Julian day number.
inline constexpr unsigned kDateSubtype = 'D';

// How long a statement waits for another connection's lock before failing.
inline constexpr int kBusyTimeoutMs = 10000;

// Adds the server clock, sysdate() and getdate(), to a connection: this
// machine's local date and time to the second, marked as a date.
void add_clock_functions(sqlite3* db);

// Raises the connection's last error as a provider error.
[[noreturn]] void raise_engine_error(sqlite3* db);

// Prepares the first statement of sql and leaves the rest in tail. A text of
// blanks and comments gives no statement.
StatementPtr prepare(sqlite3* db, std::string_view sql, std::string_view& tail, bool persistent);

// A value ready to bind to a statement's parameter; a text is not copied.
struct Value {
    using Kind = Literal::Kind;
    Kind kind = Kind::Null;
    int64_t integer = 0;
    double real = 0;
    std::string_view text;

    static Value of(const Literal& literal) { return {literal.kind, literal.integer, literal.real, literal.text}; }
};

// Binds a value to a parameter, counted from 1; the text must outlive the run.
void bind(sqlite3* db, sqlite3_stmt* statement, int position, const Value& value);

// The statement of a shape, prepared; null when the engine refuses the shape
// (a value where it wants a constant, a name where a value now stands), so
// that the text runs as sent and any error is that text's own.
StatementPtr prepare_shape(sqlite3* db, const ShapedStatement& shaped, bool persistent);
// Binds the values of a shape to its statement.
void bind_values(sqlite3* db, sqlite3_stmt* statement, const ShapedStatement& shaped);

// The names of a statement's columns and which of them hold dates, read once
// for a statement that is kept, and again only when the engine has prepared
// it afresh (its tables or views changed).
struct Columns {
    int prepared = -1;  // the statement's count of fresh preparations when read
    std::shared_ptr<const std::vector<std::string>> names;  // shared by the results
    std::vector<char> dates;
};

// Runs a prepared statement to its end and resets it; a statement with
// columns answers its rows, any other has_result false. With `columns`, the
// description is taken from there (and kept there). The rows go into answer,
// in the room its values already have.
void run(sqlite3* db, sqlite3_stmt* statement, Columns* columns, ado::ResultSet& answer);
inline ado::ResultSet run(sqlite3* db, sqlite3_stmt* statement, Columns* columns = nullptr) {
    ado::ResultSet answer;
    run(db, statement, columns, answer);
    return answer;
}

// Runs a statement of no interest beyond its success.
void execute(sqlite3* db, const char* sql);

}  // namespace zolt::sqlite
