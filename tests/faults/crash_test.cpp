// Processes writing orders and items in both dialects, killed at random
// moments again and again: after every kill the file is intact, no counter
// is behind its table, no order holds one part twice among its live items,
// and in the end every method still succeeds in both dialects.
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <random>
#include <utility>
#include <thread>

#include "tests/faults/harness.h"
#include "tests/support/helpers.h"

extern char** environ;

namespace zolt::faults {

// One writer: orders of its own, each with an item whose part it then tries
// to add again, both changed, and deleted on some rounds only, so that live
// rows pile up; the dialect changes with every order. Every call must answer.
int write_until_killed(const std::string& path, unsigned seed) {
    Object zolt;
    const Variant connection = connect(path);
    for (int i = 0;; ++i) {
        Arguments arguments{{"InVntNum_Pedido_Externo", Variant("W" + std::to_string(seed) + "-" + std::to_string(i))},
                            {"InVntPeca_ID", Variant::long_(301 + i % 3)},
                            {"InVntData_Embarque", Variant(automation::make_date(2031, 1, 1 + i % 28))}};
        for (const int step : {0, 3, 3, 4, 1, 5, 2}) {
            if ((step == 5 && i % 2) || (step == 2 && i % 3))
                continue;
            const std::string& method = kWriteMethods[step];
            const Outcome outcome = invoke(*zolt, method, i % 2 ? kOracle : kSqlServer, connection, arguments);
            if (!outcome.succeeded() && !outcome.failed()) {
                std::fprintf(stderr, "writer %u: %s did not answer\n", seed, method.c_str());
                return 1;
            }
            for (const auto& [out, in] : {std::pair{"OutVntPedido_ID", "InVntPedido_ID"},
                                          std::pair{"OutVntPedido_Item_ID", "InVntPedido_Item_ID"}})
                if (outcome.succeeded() && outcome.after.contains(out))
                    arguments[in] = outcome.after.at(out);
        }
    }
}

namespace {

// Rows that show a broken rule; none when the database is sound.
std::vector<std::string> broken_rules(const std::string& path) {
    return query(path,
                 "SELECT 'counter ' || NOME_COLUNA FROM Infra_Chave WHERE ULTIMO_VALOR < CASE NOME_COLUNA "
                 "WHEN 'PEDIDO_ID' THEN (SELECT IFNULL(MAX(PEDIDO_ID), 0) FROM PEDIDO) "
                 "ELSE (SELECT IFNULL(MAX(PEDIDO_ITEM_ID), 0) FROM PEDIDO_ITEM) END "
                 "UNION ALL SELECT 'part ' || PECA_ID || ' twice in order ' || PEDIDO_ID FROM PEDIDO_ITEM "
                 "WHERE TAB_STATUS_ID IN (509, 510) GROUP BY PEDIDO_ID, PECA_ID HAVING COUNT(*) > 1");
}

pid_t start_writer(const std::string& path, unsigned seed) {
    std::string exe = "/proc/self/exe", mode = "--writer", seed_text = std::to_string(seed);
    char* argv[] = {exe.data(), mode.data(), const_cast<char*>(path.c_str()), seed_text.data(), nullptr};
    pid_t pid = 0;
    if (posix_spawn(&pid, exe.c_str(), nullptr, nullptr, argv, environ) != 0)
        throw std::runtime_error("cannot start a writer");
    return pid;
}

TEST(Crashes, KilledWritersLeaveASoundDatabase) {
    using Clock = std::chrono::steady_clock;
    const char* configured = std::getenv("ZOLT_FAULTS_CRASH_SECONDS");
    const auto end = Clock::now() + std::chrono::seconds(configured ? std::atoi(configured) : 5);
    const unsigned first_seed = std::random_device{}();
    SCOPED_TRACE("seeds from " + std::to_string(first_seed));
    std::mt19937 random(first_seed);
    Databases databases;
    const std::string path = databases.copy();
    unsigned seed = first_seed;

    struct Writer {
        pid_t pid;
        Clock::time_point kill_at;
    };
    auto next_kill = [&] { return Clock::now() + std::chrono::milliseconds(5 + random() % 400); };
    std::vector<Writer> writers;
    for (int i = 0; i < 3; ++i)
        writers.push_back({start_writer(path, ++seed), next_kill()});
    while (!writers.empty()) {
        const bool last_round = Clock::now() >= end;
        for (auto writer = writers.begin(); writer != writers.end();) {
            if (!last_round && Clock::now() < writer->kill_at) {
                ++writer;
                continue;
            }
            kill(writer->pid, SIGKILL);
            int status = 0;
            waitpid(writer->pid, &status, 0);
            const bool killed = WIFSIGNALED(status) && WTERMSIG(status) == SIGKILL;
            const bool sound = intact(path);
            const auto broken = broken_rules(path);
            EXPECT_TRUE(killed) << "a writer ended by itself with status " << status;
            EXPECT_EQ(broken, std::vector<std::string>{});
            ++tally.injected;
            tally.answered += killed && sound && broken.empty();
            tally.crashes += !killed;
            tally.integrity_failures += !sound;
            tally.half_written += !broken.empty();
            if (last_round)
                writer = writers.erase(writer);
            else
                *writer++ = {start_writer(path, ++seed), next_kill()};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    // Every method still succeeds, in interface order, in each dialect.
    Object zolt;
    for (const Variant& kind : {kOracle, kSqlServer}) {
        const Variant connection = connect(databases.copy_of(path));
        for (const com::MethodInfo& method : (*zolt).GetTypeInfo().methods) {
            const Outcome outcome = invoke(*zolt, method.name, kind, connection);
            EXPECT_TRUE(outcome.succeeded()) << method.name << " " << kind.text() << ": "
                                             << ::testing::PrintToString(outcome.after.at("outvntMsg_Ret"));
        }
    }
}

}  // namespace
}  // namespace zolt::faults
