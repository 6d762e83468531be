// The order and item suites on the PostgreSQL server.
#include "tests/support/server.h"

namespace zolt::test {
namespace {

std::unique_ptr<TestDatabase> on_server() {
    if (server_connection_string().empty())
        return nullptr;
    return std::make_unique<ServerDatabase>();
}

INSTANTIATE_TEST_SUITE_P(Server, Items, ::testing::Values(&on_server));
INSTANTIATE_TEST_SUITE_P(Server, Orders, ::testing::Values(&on_server));

}  // namespace
}  // namespace zolt::test
