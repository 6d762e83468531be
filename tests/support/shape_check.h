// Shaped against as sent: a statement run the way the engine runs it once
// its values are taken out must answer exactly what its text answers.
#pragma once

#include <sqlite3.h>

#include <string>
#include <string_view>

namespace zolt::test {

struct ShapeCheck {
    // False when the engine runs the text as sent (no shape, or one the
    // engine refuses): there is nothing to compare.
    bool shaped = false;
    // Empty when both answer alike; otherwise both answers.
    std::string difference;
};

// Runs sql on db as sent and then on the prepared statement of its shape with
// its values bound, and compares the column names, declared types, the type
// and bytes of every value, the error, and for a write the rows it leaves in
// every table. Each run is undone afterwards, so both meet the same rows.
ShapeCheck check_shape(sqlite3* db, std::string_view sql);

}  // namespace zolt::test
