#include "tests/support/server.h"

#include <unistd.h>

#include <atomic>
#include <cstdlib>
#include <regex>
#include <stdexcept>

#include "db/database.h"

namespace zolt::test {

namespace {

void on_main_database(const std::string& sql) {
    ado::Connection(std::getenv("ZOLT_PG")).session().execute(sql);
}

class ServerDatabase : public TestDatabase {
public:
    ServerDatabase() {
        on_main_database("CREATE DATABASE " + name_);
        db::create_database_on(connection_string_, true);
    }
    ~ServerDatabase() override {
        try {
            on_main_database("DROP DATABASE " + name_ + " WITH (FORCE)");
        } catch (const std::exception&) {
            // a server that is down keeps it; the cluster is thrown away anyway
        }
    }
    std::string connection_string() const override { return connection_string_; }

    void inject(Mishap mishap, const std::string& table) const override {
        const bool refuse = mishap == Mishap::Refuse;
        exec(
            std::string("CREATE OR REPLACE FUNCTION mishap() RETURNS trigger LANGUAGE plpgsql AS $$ BEGIN ") +
            (refuse ? "RAISE EXCEPTION 'recusado'" : "DELETE FROM Infra_IDS") + "; RETURN NEW; END $$");
        exec("CREATE TRIGGER mishap " + std::string(refuse ? "BEFORE INSERT" : "AFTER INSERT OR UPDATE") +
             " ON " + table + " FOR EACH ROW EXECUTE FUNCTION mishap()");
    }

private:
    static inline std::atomic<int> count_{0};
    const std::string name_ = "zolt_test_" + std::to_string(getpid()) + "_" + std::to_string(++count_);
    const std::string connection_string_ =
        std::regex_replace(std::getenv("ZOLT_PG"), std::regex("Database=[^;]*"), "Database=" + name_);
};

}  // namespace

std::unique_ptr<TestDatabase> on_server() {
    const char* server = std::getenv("ZOLT_PG");
    if (!server || !*server)
        return nullptr;
    return std::make_unique<ServerDatabase>();
}

}  // namespace zolt::test
