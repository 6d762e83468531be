// The PostgreSQL server that scripts/test.sh starts: its connection string
// comes in $ZOLT_PG.
#pragma once

#include <memory>

#include "tests/support/helpers.h"

namespace zolt::test {

// A database of its own on the server, made with zolt's own schema and the
// sample data and dropped with the object; nullptr when no server was started.
std::unique_ptr<TestDatabase> on_server();

}  // namespace zolt::test
