// The PostgreSQL server that scripts/test.sh starts: its connection string
// comes in $ZOLT_PG.
#pragma once

#include <memory>
#include <string>

#include "tests/support/helpers.h"

namespace zolt::test {

// The connection string of the server, or "" when no server was started.
std::string server_connection_string();

// Skips the test when no server was started.
#define ZOLT_REQUIRE_SERVER()                                             \
    do {                                                                  \
        if (::zolt::test::server_connection_string().empty())             \
            GTEST_SKIP() << "no PostgreSQL server ($ZOLT_PG is not set)"; \
    } while (0)

// A database of its own on the server, made with zolt's own schema and the
// sample data; dropped with the object.
class ServerDatabase : public TestDatabase {
public:
    ServerDatabase();
    ~ServerDatabase() override;
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    std::string connection_string() const override { return connection_string_; }
    void inject(Mishap mishap, const std::string& table) const override;

private:
    std::string name_;
    std::string connection_string_;
};

}  // namespace zolt::test
