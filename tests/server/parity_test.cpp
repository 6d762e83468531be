// The dialects write alike on the server, inline statements and routines
// alike, and leave what they leave on the embedded database.
#include "tests/support/parity.h"
#include "tests/support/server.h"

namespace zolt::test {
namespace {

class ServerParity : public ComponentTest {};

TEST_F(ServerParity, TheSameCallsLeaveTheSameRows) {
    ZOLT_REQUIRE_SERVER();
    const ServerDatabase inline_db, procedures_db;
    expect_dialect_parity([this](std::string_view method, Arguments& arguments) { return invoke(method, arguments); },
                          inline_db, procedures_db);
}

}  // namespace
}  // namespace zolt::test
