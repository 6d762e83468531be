// Faults of the server reach the caller as the method's failure result and
// message, with the server's own words in the trailer of user id 1, within a
// bounded time; a connection the server dropped is replaced for the next call.
// These tests stop, restart and lock the real server, so they run alone.
#include <chrono>
#include <future>
#include <thread>

#include "component/frame.h"
#include "tests/support/fixture.h"
#include "tests/support/server.h"

namespace zolt::test {
namespace {

using namespace std::chrono_literals;
using component::kItemUnavailable;

constexpr const char* kDateQuery = "Select Sysdate as Data From Infra_IDS ";

class ServerFaults : public ComponentTest {
protected:
    void SetUp() override {
        ZOLT_REQUIRE_SERVER();
        server = std::make_unique<ServerDatabase>();
        connection = Variant(automation::ObjectPtr(server->connect()));
    }

    // gVerifica_Data_Atual in the inline dialect for user 1: its result, with
    // the message it left and how long it took.
    struct Answer {
        bool result = true;
        std::string message;
        std::chrono::steady_clock::duration took;
    };
    Answer server_date(Variant on) {
        Variant date, user = Variant::long_(1), message, kind("ORACLE");
        Answer answer;
        const auto start = std::chrono::steady_clock::now();
        EXPECT_EQ(zolt().gVerifica_Data_Atual(date, user, on, message, kind, answer.result), com::S_OK);
        answer.took = std::chrono::steady_clock::now() - start;
        answer.message = message.is_text() ? message.text() : "";
        return answer;
    }
    // The message of a failed server date query, with the server's words.
    static std::string failure(const std::string& words) {
        return std::string(kItemUnavailable) + " - TvrZOLT.gVerifica_Data_Atual. ( " + words + " :  No Nº 20) " +
               kDateQuery;
    }
    std::string other_connection(const std::string& replace, const std::string& by) const {
        std::string text = server->connection_string();
        text.replace(text.find(replace), replace.size(), by);
        return text;
    }
    // The server's words in a failure message: what stands between the
    // location text and the step number.
    static std::string words_of(const std::string& message) {
        const auto start = message.find("( ");
        const auto end = message.find(" :  No Nº");
        return start == std::string::npos || end == std::string::npos ? "" : message.substr(start + 2, end - start - 2);
    }

    std::unique_ptr<ServerDatabase> server;
};

// A login the server refuses, a driver that is not installed and a statement
// the server rejects each fail the call with the words of whoever refused; no
// password shows.
TEST_F(ServerFaults, RefusalsOfTheDriverAndTheServer) {
    const std::string password = server->connection_string().substr(server->connection_string().find("Pwd=") + 4);
    struct Case {
        Variant connection;
        std::string words;
    };
    for (const Case& c : {Case{Variant(other_connection("Pwd=", "Pwd=wrong")),
                               "connection to server at \"127.0.0.1\", port"},
                          Case{Variant(other_connection("{PostgreSQL Unicode}", "{No Such Driver}")),
                               "[unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found"}}) {
        const Answer answer = server_date(c.connection);
        EXPECT_FALSE(answer.result);
        EXPECT_NE(words_of(answer.message).find(c.words), std::string::npos) << answer.message;
        EXPECT_EQ(answer.message.find(password), std::string::npos);
    }
    EXPECT_NE(server_date(Variant(other_connection("Pwd=", "Pwd=wrong"))).message.find("password authentication failed"),
              std::string::npos);

    server->exec("DROP VIEW Infra_IDS");
    EXPECT_EQ(server_date(connection).message,
              failure("ERROR: relation \"infra_ids\" does not exist; Error while executing the query"));
}

// Stopped before the call: the call fails at once with the driver's words.
// Restarted between two calls: the second succeeds on new connections, the
// separate connections of an inline write and the key generator's included.
TEST_F(ServerFaults, StoppedAndRestartedServer) {
    EXPECT_TRUE(server_date(connection).result);
    control_server("stop -m fast");
    const Answer stopped = server_date(connection);
    control_server("start");
    EXPECT_FALSE(stopped.result);
    EXPECT_LT(stopped.took, 10s);
    // The server hung up on the idle connection, so it is replaced before the
    // statement, and the new login is refused.
    EXPECT_NE(words_of(stopped.message).find("127.0.0.1"), std::string::npos) << stopped.message;

    auto insert_order = [&](const char* number) {
        Variant status = Variant::long_(1), external(number), supplier = Variant::long_(103), id, user = Variant::long_(1),
                message, kind("ORACLE"), client = Variant::long_(201), result;
        EXPECT_EQ(zolt().gInclui_Campos_PEDIDO(status, external, supplier, id, user, connection, message, kind, client,
                                               result),
                  com::S_OK);
        EXPECT_EQ(result, Variant::integer(0)) << (message.is_text() ? message.text() : "");
    };
    insert_order("PRG-0100");
    control_server("restart -m fast");
    EXPECT_TRUE(server_date(connection).result);
    insert_order("PRG-0101");
    EXPECT_EQ(server->rows("SELECT COUNT(*) FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO LIKE 'PRG-01%'")[0][0],
              Variant::long_(2));

    // Backends ended from another connection a moment after their last use:
    // the server's hang-up is seen, and the next call succeeds at once.
    auto killer = server->connect();
    const std::string others = "FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()";
    killer->session().execute("SELECT pg_terminate_backend(pid) " + others);
    for (int i = 0; i < 200 && !killer->session().execute("SELECT pid " + others).rows.empty(); ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(server_date(connection).result);
}

// A statement held up by a lock ends at the statement timeout, or when its
// backend is terminated from another connection; the next call succeeds.
TEST_F(ServerFaults, StatementHeldUpByALock) {
    auto locker = server->connect();
    locker->session().execute("BEGIN; LOCK TABLE Infra_IDS_Linha IN ACCESS EXCLUSIVE MODE");

    const Variant impatient(automation::ObjectPtr(
        std::make_shared<ado::Connection>(server->connection_string() + ";Command Timeout=1")));
    const Answer timed_out = server_date(impatient);
    EXPECT_EQ(timed_out.message, failure("ERROR: canceling statement due to statement timeout; Error while executing "
                                         "the query"));
    EXPECT_LT(timed_out.took, 5s);

    auto held = std::async(std::launch::async, [&] { return server_date(connection); });
    const std::string waiting = "SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
                                " WHERE datname = current_database() AND wait_event_type = 'Lock'";
    for (int i = 0; i < 200 && locker->session().execute(waiting).rows.empty(); ++i)
        std::this_thread::sleep_for(50ms);
    const Answer terminated = held.get();
    locker->session().execute("COMMIT");
    EXPECT_FALSE(terminated.result);
    EXPECT_NE(words_of(terminated.message).find("terminating connection due to administrator command"),
              std::string::npos)
        << terminated.message;
    EXPECT_TRUE(server_date(connection).result);
}

}  // namespace
}  // namespace zolt::test
