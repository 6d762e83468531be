// The statement shaper, differentially: a statement run on the prepared
// statement of its shape, its values bound, answers exactly what its text run
// as sent answers, on two databases that have seen the same statements.
#include <sqlite3.h>

#include <algorithm>
#include <cctype>

#include "db/scripts.h"
#include "fuzz/fuzz.h"
#include "platform/sqlite/engine.h"

using namespace zolt;

namespace {

sqlite3* open_sample() {
    sqlite3* db = nullptr;
    sqlite3_open(":memory:", &db);
    sqlite3_exec(db, std::string(db::scripts::schema).c_str(), nullptr, nullptr, nullptr);
    sqlite3_exec(db, std::string(db::scripts::sample).c_str(), nullptr, nullptr, nullptr);
    return db;
}

struct Answer {
    bool failed = true;
    ado::ResultSet result;
};

Answer run_text(sqlite3* db, std::string_view sql) {
    Answer answer;
    try {
        std::string_view tail;
        sqlite::StatementPtr statement = sqlite::prepare(db, sql, tail, false);
        if (!statement || !sqlite::skip_blanks_and_comments(tail).empty())
            return answer;
        answer.result = sqlite::run(db, statement.get());
        answer.failed = false;
    } catch (const automation::AutomationError&) {
    }
    return answer;
}

// nullopt when the engine would refuse the shape and run the text as sent.
std::optional<Answer> run_shape(sqlite3* db, const sqlite::ShapedStatement& shaped) {
    std::string_view tail;
    sqlite::StatementPtr statement;
    try {
        statement = sqlite::prepare(db, shaped.text, tail, false);
    } catch (const automation::AutomationError&) {
        return std::nullopt;
    }
    if (!statement || !sqlite::skip_blanks_and_comments(tail).empty() ||
        sqlite3_bind_parameter_count(statement.get()) != static_cast<int>(shaped.values.size()))
        return std::nullopt;
    Answer answer;
    try {
        int position = 0;
        for (const sqlite::Literal& literal : shaped.values)
            sqlite::bind(db, statement.get(), ++position, sqlite::Value::of(literal));
        answer.result = sqlite::run(db, statement.get());
        answer.failed = false;
    } catch (const automation::AutomationError&) {
    }
    return answer;
}

// Texts whose answer changes from one run to the next.
bool varies(std::string text) {
    std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
    for (const char* word : {"random", "now", "sysdate", "getdate", "current_"})
        if (text.find(word) != std::string::npos)
            return true;
    return false;
}

std::string shown(const Answer& answer) {
    if (answer.failed)
        return "an error";
    std::string text;
    for (const auto& column : answer.result.columns)
        text += column + "|";
    for (const auto& row : answer.result.rows) {
        text += "\n";
        for (const auto& value : row)
            text += std::to_string(static_cast<int>(value.type())) + ":" +
                    (value.is_null() ? "NULL" : automation::to_text(value)) + "|";
    }
    return text;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static sqlite3* shaped_db = open_sample();
    static sqlite3* direct_db = open_sample();
    const std::string text(fuzz::text_of(data, size));
    if (text.find('\0') != std::string::npos || varies(text))
        return 0;
    const auto shaped = sqlite::shape_of(text);
    if (!shaped)
        return 0;
    const auto by_shape = run_shape(shaped_db, *shaped);
    const Answer as_sent = run_text(direct_db, text);
    if (!by_shape) {
        run_text(shaped_db, text);  // what the engine does then; keeps both databases alike
        return 0;
    }
    if (shown(*by_shape) != shown(as_sent))
        fuzz::finding("shaped and as sent answer differently", text + "\nshaped: " + shaped->text + "\nby shape: " +
                                                                  shown(*by_shape) + "\nas sent: " + shown(as_sent));
    return 0;
}
