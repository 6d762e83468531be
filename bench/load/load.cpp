// zolt_load: several client processes, each with its own ZOLT object and its
// own pooled connections, insert, read, update and delete orders and items
// in both dialects for a bounded time; then every call must have been
// answered with success, no key issued twice, every insertion found in its
// table and the operation log must hold exactly the writes. Prints the calls
// per second of each run, so that scaling with processes shows.
//
//   zolt_load [--seconds N] [--processes 1,2,4,8] [--backend embedded|server|both]
//
// The server is the one $ZOLT_PG names; each run gets a fresh database.
#include <signal.h>
#include <spawn.h>
#include <stdlib.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <map>
#include <regex>
#include <set>
#include <sstream>
#include <stdexcept>
#include <string>
#include <thread>
#include <vector>

#include "component/exports.h"
#include "component/zolt.h"
#include "db/database.h"
#include "platform/ado/ado.h"

extern char** environ;

namespace zolt::load {

namespace {

using automation::Variant;
using Clock = std::chrono::steady_clock;

// ---- one client process ------------------------------------------------------

// What a worker reports: its counts, the keys it was given and the writes
// that the operation log must hold ("entity operation key").
struct Report {
    long calls = 0, answered = 0, succeeded = 0;
    std::vector<long> orders, items;
    std::vector<std::string> logged;
    std::string first_failure;
};

class Client {
public:
    Client(const std::string& connection_string, int worker) : worker_(worker) {
        com::IClassFactory* factory = nullptr;
        if (com::failed(DllGetClassObject(&component::kClsidZOLT, &com::kIID_IClassFactory,
                                          reinterpret_cast<void**>(&factory))))
            throw std::runtime_error("DllGetClassObject failed");
        const com::HRESULT made = factory->CreateInstance(nullptr, component::kIID_ZOLT, reinterpret_cast<void**>(&zolt_));
        factory->Release();
        if (com::failed(made))
            throw std::runtime_error("CreateInstance failed");
        connection_ = Variant(automation::ObjectPtr(std::make_shared<ado::Connection>(connection_string)));
    }
    ~Client() { zolt_->Release(); }

    // One round: an order and an item under it, written, read, changed and
    // deleted, in one dialect; each worker uses numbers of its own so that no
    // call is refused for another's rows.
    void round(long n, Report& report) {
        Variant kind(n % 2 == worker_ % 2 ? "ORACLE" : "SQLSERVER");
        const std::string number = "L" + std::to_string(worker_) + "-" + std::to_string(n);
        Variant supplier = Variant::long_(101 + static_cast<int32_t>(n % 3)), client = Variant::long_(201);
        Variant status = Variant::long_(1), order, none, external(number), result;
        if (!check(zolt_->gInclui_Campos_PEDIDO(status, external, supplier, order, user_, connection_, message_, kind,
                                                client, result),
                   result, report, "gInclui_Campos_PEDIDO"))
            return;
        report.orders.push_back(automation::to_long(order));
        report.logged.push_back("172 1 " + std::to_string(report.orders.back()));

        Variant out[5], day("15/01/2031"), part = Variant::long_(301), quantity = Variant::long_(5), item;
        check(zolt_->gConsulta_Campos_PEDIDO(order, out[0], out[1], out[2], user_, connection_, message_, kind, out[3],
                                             out[4], result),
              result, report, "gConsulta_Campos_PEDIDO");
        if (!check(zolt_->gInclui_Campos_PEDIDO_ITEM(day, part, order, quantity, item, user_, connection_, message_, kind,
                                                     result),
                   result, report, "gInclui_Campos_PEDIDO_ITEM"))
            return;
        report.items.push_back(automation::to_long(item));
        report.logged.push_back("260 1 " + std::to_string(report.items.back()));

        check(zolt_->gConsulta_Campos_PEDIDO_ITEM(item, out[0], out[1], out[2], out[3], out[4], user_, connection_,
                                                  message_, kind, result),
              result, report, "gConsulta_Campos_PEDIDO_ITEM");
        Variant list[7];
        check(zolt_->gConsulta_Campos_LIS_PEDIDO_ITEM(order, list[0], list[1], list[2], list[3], list[4], list[5],
                                                      list[6], user_, connection_, message_, kind, result),
              result, report, "gConsulta_Campos_LIS_PEDIDO_ITEM");
        Variant later("16/01/2031"), more = Variant::long_(6);
        if (check(zolt_->gAltera_Campos_PEDIDO_ITEM(item, later, part, order, more, user_, connection_, message_, kind,
                                                    result),
                  result, report, "gAltera_Campos_PEDIDO_ITEM"))
            report.logged.push_back("260 2 " + std::to_string(report.items.back()));
        Variant changed(number + "-A");
        if (check(zolt_->gAltera_Campos_PEDIDO(order, status, changed, supplier, none, user_, connection_, message_,
                                               kind, client, result),
                  result, report, "gAltera_Campos_PEDIDO"))
            report.logged.push_back("172 2 " + std::to_string(report.orders.back()));
        check(zolt_->gExclui_Campos_PEDIDO_ITEM(item, user_, connection_, message_, kind, result), result, report,
              "gExclui_Campos_PEDIDO_ITEM");
        check(zolt_->gExclui_Campos_PEDIDO(order, user_, connection_, message_, kind, result), result, report,
              "gExclui_Campos_PEDIDO");
    }

private:
    // Counts one call; true when it succeeded.
    bool check(com::HRESULT status, const Variant& result, Report& report, const char* method) {
        ++report.calls;
        if (com::failed(status) || result.is_empty()) {
            note(report, method, "no answer");
            return false;
        }
        ++report.answered;
        if (result.type() != automation::VarType::I2 || result.i2() != 0) {
            note(report, method, message_.is_text() ? message_.text() : "refused");
            return false;
        }
        ++report.succeeded;
        return true;
    }
    void note(Report& report, const char* method, const std::string& what) {
        if (report.first_failure.empty())
            report.first_failure = std::string(method) + ": " + what;
    }

    int worker_;
    component::_ZOLT* zolt_ = nullptr;
    Variant connection_, message_, user_ = Variant::long_(7);
};

int run_worker(const std::string& connection_string, int worker, double seconds, const std::string& out_path) {
    Report report;
    {
        Client client(connection_string, worker);
        const auto end = Clock::now() + std::chrono::duration<double>(seconds);
        for (long n = 0; Clock::now() < end; ++n)
            client.round(n, report);
    }
    std::ofstream out(out_path);
    out << report.calls << ' ' << report.answered << ' ' << report.succeeded << '\n';
    for (long key : report.orders)
        out << "order " << key << '\n';
    for (long key : report.items)
        out << "item " << key << '\n';
    for (const std::string& line : report.logged)
        out << "log " << line << '\n';
    if (!report.first_failure.empty())
        out << "failure " << report.first_failure << '\n';
    return 0;
}

// ---- the runs ------------------------------------------------------------------

// A fresh database for one run, removed afterwards.
class RunDatabase {
public:
    RunDatabase(bool server, const std::string& folder, int run) : server_(server) {
        if (!server) {
            connection_ = db::connection_string(folder + "/load-" + std::to_string(run) + ".db");
            db::create_database_on(connection_, true);
            return;
        }
        name_ = "zolt_load_" + std::to_string(getpid()) + "_" + std::to_string(run);
        ado::Connection(getenv("ZOLT_PG")).session().execute("CREATE DATABASE " + name_);
        connection_ = std::regex_replace(getenv("ZOLT_PG"), std::regex("Database=[^;]*"), "Database=" + name_);
        db::create_database_on(connection_, true);
    }
    ~RunDatabase() {
        if (server_)
            ado::Connection(getenv("ZOLT_PG")).session().execute("DROP DATABASE " + name_ + " WITH (FORCE)");
    }
    const std::string& connection_string() const { return connection_; }

private:
    bool server_;
    std::string name_, connection_;
};

std::vector<long> column(const std::string& connection_string, const std::string& sql) {
    std::vector<long> values;
    for (const auto& row : ado::Connection(connection_string).session().execute(sql).rows())
        values.push_back(automation::to_long(row.at(0)));
    return values;
}

// Runs the workers, checks what they report against the database, prints one
// line; false when a check failed.
bool run_once(const std::string& self, bool server, int processes, double seconds, const std::string& folder,
              int run) {
    const RunDatabase database(server, folder, run);
    std::vector<pid_t> workers;
    const auto start = Clock::now();
    for (int w = 0; w < processes; ++w) {
        const std::string out = folder + "/worker-" + std::to_string(run) + "-" + std::to_string(w);
        std::vector<std::string> words{self, "--worker", database.connection_string(), std::to_string(w),
                                       std::to_string(seconds), out};
        std::vector<char*> argv;
        for (auto& word : words)
            argv.push_back(word.data());
        argv.push_back(nullptr);
        pid_t pid = 0;
        if (posix_spawn(&pid, self.c_str(), nullptr, nullptr, argv.data(), environ) != 0)
            throw std::runtime_error("cannot start a worker process");
        workers.push_back(pid);
    }
    // Every worker stops by itself; one that has not ended well after its
    // time is stopped, and the run fails.
    bool ended = true;
    for (pid_t pid : workers) {
        int status = 0;
        while (waitpid(pid, &status, WNOHANG) == 0) {
            if (Clock::now() - start > std::chrono::duration<double>(seconds + 120)) {
                kill(pid, SIGKILL);
                waitpid(pid, &status, 0);
                break;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(20));
        }
        ended = ended && WIFEXITED(status) && WEXITSTATUS(status) == 0;
    }
    const double elapsed = std::chrono::duration<double>(Clock::now() - start).count();

    Report all;
    std::multiset<std::string> logged;
    for (int w = 0; w < processes; ++w) {
        std::ifstream in(folder + "/worker-" + std::to_string(run) + "-" + std::to_string(w));
        long calls = 0, answered = 0, succeeded = 0;
        in >> calls >> answered >> succeeded;
        all.calls += calls;
        all.answered += answered;
        all.succeeded += succeeded;
        std::string word;
        while (in >> word) {
            if (word == "order" || word == "item") {
                long key = 0;
                in >> key;
                (word == "order" ? all.orders : all.items).push_back(key);
            } else if (word == "log") {
                std::string entity, operation, key;
                in >> entity >> operation >> key;
                logged.insert(entity + " " + operation + " " + key);
            } else if (word == "failure") {
                std::getline(in, all.first_failure);
            }
        }
    }
    const std::set<long> orders(all.orders.begin(), all.orders.end()), items(all.items.begin(), all.items.end());
    const auto in_table = [&](const std::set<long>& keys, const char* sql) {
        const auto stored = column(database.connection_string(), sql);
        const std::set<long> present(stored.begin(), stored.end());
        return std::includes(present.begin(), present.end(), keys.begin(), keys.end());
    };
    std::multiset<std::string> log;
    for (const auto& row : ado::Connection(database.connection_string())
                               .session()
                               .execute("SELECT ENTIDADE_ID, OPERACAO, CHAVE FROM Infra_Operacao")
                               .rows())
        log.insert(automation::to_text(row[0]) + " " + automation::to_text(row[1]) + " " + automation::to_text(row[2]));

    const bool unique = orders.size() == all.orders.size() && items.size() == all.items.size();
    const bool present = in_table(orders, "SELECT PEDIDO_ID FROM PEDIDO") &&
                         in_table(items, "SELECT PEDIDO_ITEM_ID FROM PEDIDO_ITEM");
    const bool answered = ended && all.calls > 0 && all.answered == all.calls && all.succeeded == all.calls;
    const bool ok = answered && unique && present && log == logged;
    std::printf("%-8s %9d %8ld %8.1f %10.0f   answered %s, keys %s, rows %s, log %s%s%s\n",
                server ? "server" : "embedded", processes, all.calls, elapsed, all.calls / elapsed,
                answered ? "yes" : "NO", unique ? "unique" : "REPEATED", present ? "present" : "MISSING",
                log == logged ? "complete" : "DIFFERENT", all.first_failure.empty() ? "" : "; first failure: ",
                all.first_failure.c_str());
    std::fflush(stdout);
    return ok;
}

int run(int argc, char** argv) {
    std::vector<std::string> words(argv + 1, argv + argc);
    if (words.size() == 5 && words[0] == "--worker")
        return run_worker(words[1], std::stoi(words[2]), std::stod(words[3]), words[4]);

    double seconds = 5;
    std::vector<int> processes{1, 2, 4, 8};
    std::string backend = "both";
    for (std::size_t i = 0; i + 1 < words.size(); i += 2) {
        if (words[i] == "--seconds") {
            seconds = std::stod(words[i + 1]);
        } else if (words[i] == "--processes") {
            processes.clear();
            std::stringstream list(words[i + 1]);
            for (std::string count; std::getline(list, count, ',');)
                processes.push_back(std::stoi(count));
        } else if (words[i] == "--backend") {
            backend = words[i + 1];
        } else {
            throw std::runtime_error("unknown option " + words[i]);
        }
    }
    if (words.size() % 2 != 0)
        throw std::runtime_error("usage: zolt_load [--seconds N] [--processes 1,2,4,8] [--backend embedded|server|both]");

    std::vector<bool> servers;
    if (backend != "server")
        servers.push_back(false);
    if (backend != "embedded") {
        if (getenv("ZOLT_PG"))
            servers.push_back(true);
        else if (backend == "server")
            throw std::runtime_error("no server: $ZOLT_PG is not set");
        else
            std::printf("no server ($ZOLT_PG is not set): the embedded database only\n");
    }

    std::string folder = (std::filesystem::temp_directory_path() / "zolt-load-XXXXXX").string();
    if (!mkdtemp(folder.data()))
        throw std::runtime_error("cannot create a temporary folder");
    const std::string self = std::filesystem::canonical("/proc/self/exe").string();
    std::printf("%-8s %9s %8s %8s %10s\n", "backend", "processes", "calls", "seconds", "calls/s");
    bool ok = true;
    int run = 0;
    try {
        for (const bool server : servers)
            for (const int count : processes)
                ok = run_once(self, server, count, seconds, folder, run++) && ok;
    } catch (...) {
        std::filesystem::remove_all(folder);
        throw;
    }
    std::filesystem::remove_all(folder);
    return ok ? 0 : 1;
}

}  // namespace

}  // namespace zolt::load

int main(int argc, char** argv) {
    try {
        return zolt::load::run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zolt_load: %s\n", error.what());
        return 2;
    }
}
