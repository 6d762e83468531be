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
#include <thread>

#include "tests/faults/harness.h"

extern char** environ;

namespace zolt::faults {

// One writer: its own orders and their items, so that writers never race
// each other's checks; every call must answer.
int write_until_killed(const std::string& path, unsigned seed) {
    Object zolt;
    const Variant connection = connect(path);
    std::mt19937 random(seed);
    auto any = [&](const auto& keys) { return keys[random() % keys.size()]; };
    std::vector<int32_t> orders;
    std::vector<std::pair<int32_t, int32_t>> items;  // item, its order
    for (int i = 0;; ++i) {
        const Variant kind = random() % 2 ? kOracle : kSqlServer;
        const Variant number("W" + std::to_string(seed) + "-" + std::to_string(i));
        const Variant date(automation::make_date(2031, 1, 1 + static_cast<int>(random() % 28)));
        const Variant part = Variant::long_(301 + static_cast<int32_t>(random() % 3));
        const int32_t order = orders.empty() ? 0 : any(orders);
        Outcome outcome;
        switch (orders.empty() ? 0 : random() % 6) {
        case 0:
            outcome = invoke(*zolt, "gInclui_Campos_PEDIDO", kind, connection, {{"InVntNum_Pedido_Externo", number}});
            if (outcome.succeeded())
                orders.push_back(outcome.after["OutVntPedido_ID"].i4());
            break;
        case 1:
            outcome = invoke(*zolt, "gAltera_Campos_PEDIDO", kind, connection,
                             {{"InVntPedido_ID", Variant::long_(order)}, {"InVntNum_Pedido_Externo", number}});
            break;
        case 2:
            outcome = invoke(*zolt, "gExclui_Campos_PEDIDO", kind, connection, {{"InVntPedido_ID", Variant::long_(order)}});
            break;
        case 3:
            outcome = invoke(*zolt, "gInclui_Campos_PEDIDO_ITEM", kind, connection,
                             {{"InVntPedido_ID", Variant::long_(order)}, {"InVntPeca_ID", part}, {"InVntData_Embarque", date}});
            if (outcome.succeeded())
                items.emplace_back(outcome.after["OutVntPedido_Item_ID"].i4(), order);
            break;
        default: {
            if (items.empty())
                continue;
            const auto [item, its_order] = any(items);
            outcome = random() % 2 ? invoke(*zolt, "gExclui_Campos_PEDIDO_ITEM", kind, connection,
                                            {{"InVntPedido_Item_ID", Variant::long_(item)}})
                                   : invoke(*zolt, "gAltera_Campos_PEDIDO_ITEM", kind, connection,
                                            {{"InVntPedido_Item_ID", Variant::long_(item)},
                                             {"InVntPedido_ID", Variant::long_(its_order)},
                                             {"InVntPeca_ID", part},
                                             {"InVntData_Embarque", date}});
        }
        }
        const bool answered = outcome.status == com::S_OK &&
                              (outcome.result == Variant::integer(0) || outcome.result == Variant::integer(10));
        if (!answered) {
            std::fprintf(stderr, "writer %u: call %d did not answer\n", seed, i);
            return 1;
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
            const bool intact = integrity(path) == "ok";
            const auto broken = broken_rules(path);
            EXPECT_TRUE(killed) << "a writer ended by itself with status " << status;
            EXPECT_TRUE(intact) << integrity(path);
            EXPECT_EQ(broken, std::vector<std::string>{});
            Tally& t = tally();
            ++t.injected;
            t.answered += killed && intact && broken.empty();
            t.crashes += !killed;
            t.integrity_failures += !intact;
            t.half_written += !broken.empty();
            if (last_round)
                writer = writers.erase(writer);
            else
                *writer++ = {start_writer(path, ++seed), next_kill()};
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }

    expect_every_method_succeeds(databases, path);
}

}  // namespace
}  // namespace zolt::faults
