// The order and item suites on the PostgreSQL server.
#include "tests/support/server.h"

namespace zolt::test {
namespace {

INSTANTIATE_TEST_SUITE_P(Server, Items, ::testing::Values(&on_server));
INSTANTIATE_TEST_SUITE_P(Server, Orders, ::testing::Values(&on_server));

}  // namespace
}  // namespace zolt::test
