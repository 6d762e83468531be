// The dialects write alike on the embedded database.
#include "tests/support/parity.h"

namespace zolt::test {
namespace {

class DialectParity : public ComponentTest {};

TEST_F(DialectParity, TheSameCallsLeaveTheSameRows) {
    const TempDatabase procedures_db;
    expect_dialect_parity([this](std::string_view method, Arguments& arguments) { return invoke(method, arguments); },
                          db, procedures_db);
}

}  // namespace
}  // namespace zolt::test
