// zolt_server_bench: every method of the component through late-bound Invoke
// on the PostgreSQL server that $ZOLT_PG names, beside a floor: the same
// statement texts, as the driver received them from the component's
// connections (the caller's, the separate ones and the key generator's), sent
// over one open connection of the same provider. Prints a table of both and
// their ratio.
//
//   zolt_server_bench [--seconds-per-case S] [--filter TEXT] [--statements]
//
// The cases and the rows they work on are those of the embedded benchmarks
// (bench/workload.cpp). Time is wall-clock time: on a server the answer of a
// statement is waited for, not computed by this process. Calls and replays
// alternate one by one, so that whatever else the machine does weighs on
// both alike, and the medians of their times are compared.
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <regex>
#include <stdexcept>
#include <string>
#include <vector>

#include "bench/workload.h"
#include "db/database.h"
#include "platform/ado/ado.h"
#include "platform/odbc/odbc.h"

namespace zolt::bench {

namespace {

using Clock = std::chrono::steady_clock;

// The rows of bench/workload.cpp, written for the server.
constexpr const char* kServerRows = R"sql(
BEGIN;
INSERT INTO PESSOA (PESSOA_ID, NOME_FANTASIA, TIPO) VALUES (104, 'Fundição Delta', 'F');
INSERT INTO PECA (PECA_ID, COD_PECA, DESCRICAO, TAB_STATUS_ID)
SELECT 10000 + i, 'PB-' || lpad(i::text, 4, '0'), 'Peça de carga', 1 FROM generate_series(0, 99) i;
INSERT INTO PESSOA (PESSOA_ID, NOME_FANTASIA, TIPO)
SELECT 10 * base + i, 'Fornecedor ' || name || ' ' || lpad(i::text, 5, '0'), 'F'
  FROM generate_series(0, 9999) i, (VALUES (100000, 'ITENS'), (110000, 'LER'), (120000, 'ALT'), (130000, 'EXC')) s(base, name);
INSERT INTO PEDIDO (PEDIDO_ID, EMPRESA_ID, TAB_STATUS_ID, NUM_PEDIDO_EXTERNO, FORNECEDOR_ID, Cliente_ID)
SELECT base + i, 1, 1, name || '-' || lpad(i::text, 5, '0') || suffix, 10 * base + i, 201
  FROM generate_series(0, 9999) i,
       (VALUES (100000, 'ITENS', ''), (110000, 'LER', ''), (120000, 'ALT', '-A'), (130000, 'EXC', '')) s(base, name, suffix);
INSERT INTO PEDIDO_ITEM (PEDIDO_ITEM_ID, PEDIDO_ID, PECA_ID, DATA_EMBARQUE, QTDE_PEDIDA, TAB_STATUS_ID)
SELECT 300000 + 2 * i, 110000 + i, 301, TIMESTAMP '2031-01-01' + i, 100, 509 FROM generate_series(0, 9999) i
UNION ALL SELECT 300001 + 2 * i, 110000 + i, 302, TIMESTAMP '2031-01-01' + (i + 1), 50, 510 FROM generate_series(0, 9999) i
UNION ALL SELECT 320000 + i, 120000 + i, 301, TIMESTAMP '2031-01-01' + i, 10, 509 FROM generate_series(0, 9999) i
UNION ALL SELECT 330000 + i, 130000 + i, 301, TIMESTAMP '2031-01-01' + i, 10, 509 FROM generate_series(0, 9999) i;
UPDATE Infra_Chave SET ULTIMO_VALOR = 1000000;
COMMIT;
)sql";

struct Options {
    double seconds_per_case = 2;
    std::string filter;
    bool statements = false;
};

Options parse(int argc, char** argv) {
    Options options;
    for (int i = 1; i < argc; ++i) {
        const std::string word = argv[i];
        if (word == "--seconds-per-case" && i + 1 < argc)
            options.seconds_per_case = std::stod(argv[++i]);
        else if (word == "--filter" && i + 1 < argc)
            options.filter = argv[++i];
        else if (word == "--statements")
            options.statements = true;
        else
            throw std::runtime_error("usage: zolt_server_bench [--seconds-per-case S] [--filter TEXT] [--statements]");
    }
    return options;
}

// A database of its own on the server, dropped at the end.
class ServerBenchDatabase {
public:
    explicit ServerBenchDatabase(const std::string& server) : server_(server) {
        name_ = "zolt_bench_" + std::to_string(getpid());
        ado::Connection(server_).session().execute("CREATE DATABASE " + name_);
        connection_ = std::regex_replace(server_, std::regex("Database=[^;]*"), "Database=" + name_);
        db::create_database_on(connection_, true);
        ado::Connection rows(connection_);
        rows.session().execute(kServerRows);
        // Vacuumed and counted now, so that no autovacuum of the freshly
        // loaded rows runs during the first cases.
        rows.session().execute("VACUUM ANALYZE");
    }
    ~ServerBenchDatabase() {
        try {
            ado::Connection(server_).session().execute("DROP DATABASE " + name_ + " WITH (FORCE)");
        } catch (const std::exception&) {
        }
    }
    const std::string& connection_string() const { return connection_; }

private:
    std::string server_, name_, connection_;
};

long highest(ado::Session& session, const char* sql) {
    const ado::ResultSet answer = session.execute(sql);
    return answer.row_count() == 0 || answer.at(0, 0).is_null() ? 0 : automation::to_long(answer.at(0, 0));
}

double median(std::vector<double>& samples) {
    std::nth_element(samples.begin(), samples.begin() + samples.size() / 2, samples.end());
    return samples[samples.size() / 2];
}

struct Result {
    std::size_t statements = 0;
    double component_per_second = 0, floor_per_second = 0, ratio = 0;
};

Result measure(Call& call, const Case& bench_case, ado::Session& floor, double seconds, bool show) {
    for (int i = 0; i < 3; ++i)
        call.run();
    // The rows above these keys are what a replayed insertion added; they go
    // after each replay, outside the timed part, so that every replay meets
    // the state the captured call met.
    const long orders = highest(floor, "SELECT MAX(PEDIDO_ID) FROM PEDIDO");
    const long items = highest(floor, "SELECT MAX(PEDIDO_ITEM_ID) FROM PEDIDO_ITEM");
    odbc::capture::start();
    call.run();
    const std::vector<std::string> statements = odbc::capture::stop();
    if (show)
        std::printf("%s:\n", bench_case.label().c_str());
    if (show)
        for (const std::string& text : statements)
            std::printf("    %s\n", text.c_str());
    const std::string cleanup = "DELETE FROM PEDIDO WHERE PEDIDO_ID > " + std::to_string(orders) +
                                "; DELETE FROM PEDIDO_ITEM WHERE PEDIDO_ITEM_ID > " + std::to_string(items);
    if (bench_case.inserts)
        floor.execute(cleanup);

    // Each call and each replay is timed on its own, and the medians are
    // compared: a moment in which the scheduler runs something else shifts a
    // few samples, not the median.
    std::vector<double> component, replay;
    const auto end = Clock::now() + std::chrono::duration<double>(seconds);
    while (Clock::now() < end) {
        auto start = Clock::now();
        call.run();
        component.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        start = Clock::now();
        for (const std::string& text : statements)
            floor.execute(text);
        replay.push_back(std::chrono::duration<double>(Clock::now() - start).count());
        if (bench_case.inserts)
            floor.execute(cleanup);
    }
    const double component_seconds = median(component), floor_seconds = median(replay);
    return {statements.size(), 1 / component_seconds, 1 / floor_seconds, component_seconds / floor_seconds};
}

int run(int argc, char** argv) {
    const Options options = parse(argc, argv);
    const char* server = std::getenv("ZOLT_PG");
    if (!server)
        throw std::runtime_error("no server: $ZOLT_PG is not set (scripts/bench-server.sh starts one)");
    const ServerBenchDatabase database(server);
    BenchObject object;
    const Variant connection(automation::ObjectPtr(std::make_shared<ado::Connection>(database.connection_string())));
    ado::Connection floor(database.connection_string());

    std::printf("Calls per second (from the median wall-clock time of a call) through late-bound Invoke on PostgreSQL,\n"
                "and of the floor: the same statements sent over one open connection.\n"
                "ratio = median component time per call / median floor time per call\n\n");
    std::printf("%-40s %-9s %5s %12s %12s %7s\n", "method", "dialect", "stmts", "component/s", "floor/s", "ratio");
    double worst = 0;
    std::string worst_label;
    const std::vector<Case> cases = all_cases();
    for (const Case& bench_case : cases) {
        if (!options.filter.empty() && bench_case.label().find(options.filter) == std::string::npos)
            continue;
        Call call(object.dispatch(), bench_case, connection);
        const Result result = measure(call, bench_case, floor.session(), options.seconds_per_case, options.statements);
        std::printf("%-40s %-9s %5zu %12.0f %12.0f %7.2f\n", bench_case.method.c_str(),
                    bench_case.dialect.empty() ? "both" : bench_case.dialect.c_str(), result.statements,
                    result.component_per_second, result.floor_per_second, result.ratio);
        std::fflush(stdout);
        if (result.ratio > worst) {
            worst = result.ratio;
            worst_label = bench_case.label();
        }
    }
    if (!worst_label.empty())
        std::printf("\nHighest ratio: %.2f (%s)\n", worst, worst_label.c_str());
    return 0;
}

}  // namespace

}  // namespace zolt::bench

int main(int argc, char** argv) {
    try {
        return zolt::bench::run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zolt_server_bench: %s\n", error.what());
        return 1;
    }
}
