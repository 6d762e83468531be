// What the tests share beyond the fixture: errors, field-like objects, rows as
// text, and a key generator that refuses on cue.
#pragma once

#include <atomic>
#include <functional>
#include <ostream>
#include <string>
#include <vector>

#include "tests/support/fixture.h"

namespace zolt::test {

// The number of the automation error a call raised; 0 when it raised none.
int32_t error_number(const std::function<void()>& call);
// The error a call raised as "number|description|source"; "" when none.
std::string error_text(const std::function<void()>& call);

// A Date value.
inline Variant day(int year, int month, int day_of_month, int hour = 0, int minute = 0) {
    return Variant(automation::make_date(year, month, day_of_month, hour, minute));
}

// A Variant holding an object whose default property is the value, as a data
// field is.
Variant object_holding(Variant value);

// The rows a query answers, each as "a|b|c" (Null as NULL).
std::vector<std::string> row_texts(const TestDatabase& db, const std::string& sql);

// The description of the error a statement raises on a connection of its own.
std::string error_of(const TestDatabase& db, const std::string& statement);

// Puts a key generator in place that writes every call into `calls` as one
// line ("NextKey|kind|user|1|TOVREL|N|Empty|connection|column" and
// "RecordOperation|kind|entity|operation|user|key|0|connection") and
// refuses when told to; otherwise the real one answers. On leaving it checks
// that every instance the component made was released.
class ScriptedKeys {
public:
    ScriptedKeys();
    ~ScriptedKeys();
    bool refuse_key = false;     // NextKey answers False with "Chave recusada."
    bool refuse_record = false;  // RecordOperation answers False with "Registro recusado."
    std::vector<std::string> calls;
    std::atomic<int> live{0};

private:
    ScopedClass scoped_;
};

}  // namespace zolt::test

namespace zolt::automation {
// How a failing assertion shows a Variant: its type number and its text.
void PrintTo(const Variant& value, std::ostream* out);
}  // namespace zolt::automation
