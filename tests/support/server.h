// The PostgreSQL server that scripts/test.sh starts: its connection string
// comes in $ZOLT_PG, and $ZOLT_PG_CTL stops, starts or restarts it.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "platform/ado/ado.h"
#include "platform/automation/variant.h"

namespace zolt::test {

// The connection string of the server, or "" when no server was started.
std::string server_connection_string();

// Skips the test when no server was started.
#define ZOLT_REQUIRE_SERVER()                                                     \
    do {                                                                          \
        if (::zolt::test::server_connection_string().empty())                    \
            GTEST_SKIP() << "no PostgreSQL server ($ZOLT_PG is not set)";        \
    } while (0)

// Runs $ZOLT_PG_CTL with the action ("stop -m fast", "start", ...); raises
// when it fails.
void control_server(const std::string& action);

// A database of its own on the server, made with zolt's own schema (and the
// sample data unless told otherwise); dropped with the object.
class ServerDatabase {
public:
    explicit ServerDatabase(bool sample = true);
    ~ServerDatabase();
    ServerDatabase(const ServerDatabase&) = delete;
    ServerDatabase& operator=(const ServerDatabase&) = delete;

    const std::string& connection_string() const { return connection_string_; }
    std::shared_ptr<ado::Connection> connect() const;

    // Direct access on a connection of its own, to set up and check rows.
    void exec(const std::string& sql) const;
    std::vector<std::vector<automation::Variant>> rows(const std::string& sql) const;

private:
    std::string name_;
    std::string connection_string_;
};

}  // namespace zolt::test
