// Faults of the server reach the caller as the method's failure result and
// message, with the server's own words in the trailer of user id 1, within a
// bounded time; a connection the server dropped is replaced for the next call.
// These tests stop, restart and lock the real server, so they run alone.
#include <chrono>
#include <cstdlib>
#include <future>
#include <thread>

#include "component/frame.h"
#include "tests/support/server.h"

namespace zolt::test {
namespace {

using namespace std::chrono_literals;

// Runs $ZOLT_PG_CTL, pg_ctl on the cluster, with the action ("stop -m fast", "start", ...).
void control_server(const std::string& action) {
    const char* command = std::getenv("ZOLT_PG_CTL");
    ASSERT_NE(command, nullptr) << "$ZOLT_PG_CTL is not set";
    ASSERT_EQ(std::system((std::string(command) + " " + action + " >/dev/null 2>&1").c_str()), 0) << action;
}

class ServerFaults : public BackendTest {
protected:
    // gVerifica_Data_Atual in the inline dialect for user 1: its result, the
    // message it left (with the server's words in its trailer), and how long
    // it took.
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
        return std::string(component::kItemUnavailable) + " - TvrZOLT.gVerifica_Data_Atual. ( " + words +
               " :  No Nº 20) Select Sysdate as Data From Infra_IDS ";
    }
    Variant other_connection(const std::string& replace, const std::string& by) const {
        std::string text = db->connection_string();
        text.replace(text.find(replace), replace.size(), by);
        return Variant(text);
    }
};

// A login the server refuses, a driver that is not installed and a statement
// the server rejects each fail the call with the words of whoever refused; no
// password shows.
TEST_P(ServerFaults, RefusalsOfTheDriverAndTheServer) {
    const std::string password = db->connection_string().substr(db->connection_string().find("Pwd=") + 4);
    const Answer refused = server_date(other_connection("Pwd=", "Pwd=wrong"));
    const Answer no_driver = server_date(other_connection("{PostgreSQL Unicode}", "{No Such Driver}"));
    for (const Answer& answer : {refused, no_driver}) {
        EXPECT_FALSE(answer.result);
        EXPECT_EQ(answer.message.find(password), std::string::npos);
    }
    for (const char* words :
         {"connection to server at \"127.0.0.1\", port", "password authentication failed"})
        EXPECT_NE(refused.message.find(words), std::string::npos) << refused.message;
    EXPECT_NE(
        no_driver.message.find("[unixODBC][Driver Manager]Can't open lib 'No Such Driver' : file not found"),
        std::string::npos)
        << no_driver.message;

    db->exec("DROP VIEW Infra_IDS");
    EXPECT_EQ(server_date(connection).message,
              failure("ERROR: relation \"infra_ids\" does not exist; Error while executing the query"));
}

// Stopped before the call: the call fails at once with the driver's words.
// Restarted between two calls: the second succeeds on new connections, the
// separate connections of an inline write and the key generator's included.
TEST_P(ServerFaults, StoppedAndRestartedServer) {
    EXPECT_TRUE(server_date(connection).result);
    control_server("stop -m fast");
    const Answer stopped = server_date(connection);
    control_server("start");
    EXPECT_FALSE(stopped.result);
    EXPECT_LT(stopped.took, 10s);
    // The server hung up on the idle connection, so it is replaced before the
    // statement, and the new login is refused.
    EXPECT_NE(stopped.message.find("127.0.0.1"), std::string::npos) << stopped.message;

    auto insert_order = [&](const char* number) {
        Arguments arguments{{kStatus, 1}, {kNumber, Variant(number)}, {kSupplier, 103}, {kClient, 201}};
        EXPECT_EQ(invoke("gInclui_Campos_PEDIDO", arguments, oracle()), Variant::integer(0))
            << message.text();
    };
    insert_order("PRG-0100");
    control_server("restart -m fast");
    EXPECT_TRUE(server_date(connection).result);
    insert_order("PRG-0101");
    EXPECT_EQ(db->scalar("SELECT COUNT(*) FROM PEDIDO WHERE NUM_PEDIDO_EXTERNO LIKE 'PRG-01%'"),
              Variant::long_(2));

    // Backends ended from another connection a moment after their last use:
    // the server's hang-up is seen, and the next call succeeds at once.
    auto killer = db->connect();
    const std::string others =
        "FROM pg_stat_activity WHERE datname = current_database() AND pid <> pg_backend_pid()";
    killer->session().execute("SELECT pg_terminate_backend(pid) " + others);
    for (int i = 0; i < 200 && killer->session().execute("SELECT pid " + others).row_count() > 0; ++i)
        std::this_thread::sleep_for(5ms);
    EXPECT_TRUE(server_date(connection).result);
}

// A statement held up by a lock ends at the statement timeout, or when its
// backend is terminated from another connection; the next call succeeds.
TEST_P(ServerFaults, StatementHeldUpByALock) {
    auto locker = db->connect();
    locker->session().execute("BEGIN; LOCK TABLE Infra_IDS_Linha IN ACCESS EXCLUSIVE MODE");

    const Answer timed_out = server_date(Variant(automation::ObjectPtr(
        std::make_shared<ado::Connection>(db->connection_string() + ";Command Timeout=1"))));
    EXPECT_EQ(
        timed_out.message,
        failure("ERROR: canceling statement due to statement timeout; Error while executing the query"));
    EXPECT_LT(timed_out.took, 5s);

    auto held = std::async(std::launch::async, [&] { return server_date(connection); });
    const std::string waiting =
        "SELECT pg_terminate_backend(pid) FROM pg_stat_activity"
        " WHERE datname = current_database() AND wait_event_type = 'Lock'";
    for (int i = 0; i < 200 && locker->session().execute(waiting).row_count() == 0; ++i)
        std::this_thread::sleep_for(50ms);
    const Answer terminated = held.get();
    locker->session().execute("COMMIT");
    EXPECT_FALSE(terminated.result);
    EXPECT_NE(terminated.message.find("terminating connection due to administrator command"),
              std::string::npos)
        << terminated.message;
    EXPECT_TRUE(server_date(connection).result);
}

INSTANTIATE_TEST_SUITE_P(Server, ServerFaults, ::testing::Values(&on_server));

}  // namespace
}  // namespace zolt::test
