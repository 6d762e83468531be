// The two dialects write alike: the same calls, each dialect on a database of
// its own, leave the same orders, items, key counters and operation log. Run
// on each backend by a test of its own.
#pragma once

#include <functional>
#include <string_view>

#include "tests/support/fixture.h"

namespace zolt::test {

using Invoke = std::function<Variant(std::string_view method, Arguments& arguments)>;

// db and procedures_db start equal, with the sample data; the inline dialect
// writes to db, the procedures' dialect to procedures_db.
void expect_dialect_parity(const Invoke& invoke, const TestDatabase& db, const TestDatabase& procedures_db);

}  // namespace zolt::test
