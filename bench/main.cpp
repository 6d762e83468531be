// zolt_bench: calls per second of every method of the component through
// late-bound Invoke on the embedded database, each beside its floor (the same
// statement texts run straight through the engine's C API), and a summary
// table of the two and their ratio. With --soak, a memory soak instead.
//
//   zolt_bench [--statements] [--benchmark_...]   the benchmarks and the table;
//                                                 --statements first prints what
//                                                 the first call each floor
//                                                 replays ran
//   zolt_bench --soak [--soak-calls=N]            the soak (1000000 calls by default)
//   zolt_bench --profile=LABEL [--profile-calls=N]
//                                                 N calls of one case (10000 by default),
//                                                 then N runs of its prepared floor, for a
//                                                 profiler to count (LABEL as in the table,
//                                                 e.g. gVerifica_Data_Atual/ORACLE)
#include <time.h>
#include <unistd.h>

#include <benchmark/benchmark.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <exception>
#include <map>
#include <memory>
#include <string>
#include <vector>

#include "bench/empty_object.h"
#include "bench/floor.h"
#include "bench/raw_connection.h"
#include "bench/soak.h"
#include "bench/statement_capture.h"
#include "bench/workload.h"
#include "platform/ado/ado.h"

namespace zolt::bench {

namespace {

struct Options {
    bool soak = false;
    uint64_t soak_calls = 1'000'000;
    bool statements = false;
    std::string profile;
    uint64_t profile_calls = 10'000;
};

// Takes this program's own options out of argv, leaving the benchmark
// library's for it to read.
Options take_options(int& argc, char** argv) {
    Options options;
    int kept = 1;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--soak") == 0)
            options.soak = true;
        else if (std::strncmp(argv[i], "--soak-calls=", 13) == 0)
            options.soak_calls = std::stoull(argv[i] + 13);
        else if (std::strcmp(argv[i], "--statements") == 0)
            options.statements = true;
        else if (std::strncmp(argv[i], "--profile=", 10) == 0)
            options.profile = argv[i] + 10;
        else if (std::strncmp(argv[i], "--profile-calls=", 16) == 0)
            options.profile_calls = std::stoull(argv[i] + 16);
        else
            argv[kept++] = argv[i];
    }
    argc = kept;
    return options;
}

// CPU time of the calling thread, in seconds.
double thread_seconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

template <class Work>
double seconds_of(Work&& work) {
    const double start = thread_seconds();
    work();
    return thread_seconds() - start;
}

// How many calls make a block: about two milliseconds of calls, judged from
// a few calls of the case.
int block_size(Call& call) {
    constexpr int kProbes = 8;
    const double seconds = seconds_of([&] {
        for (int i = 0; i < kProbes; ++i)
            call.run();
    });
    return std::clamp(static_cast<int>(0.002 / (seconds / kProbes)), 1, 256);
}

// Seconds of a block of `block` calls of the component, after one call
// outside the time: the sides write on connections of their own, and a
// connection reads afresh the pages another one wrote; a block measures a
// side that has caught up with the others. The rows the calls will write are
// put back first (see Case::restore), outside the time too.
double component_block(Call& call, const Case& bench_case, RawConnection& raw, int block, bool by_name) {
    call.make_arguments_ahead(static_cast<std::size_t>(block) + 1);
    if (bench_case.restore) {
        std::string restore = "BEGIN;";
        for (uint64_t n = call.calls(); n <= call.calls() + static_cast<uint64_t>(block); ++n)
            restore += bench_case.restore(n) + ";";
        raw.execute(restore + "COMMIT");
    }
    call.run(by_name);
    return seconds_of([&] {
        for (int i = 0; i < block; ++i)
            call.run(by_name);
    });
}

// Seconds of `block` replays of a floor, its captured calls in turn, after
// one replay outside the time; the rows they wrote are put back after each
// round of the captured calls, outside the time.
template <class Replay>
double replay_block(const Floor& floor, RawConnection& raw, int block, Replay&& replay) {
    replay(0);
    restore_rows(floor, raw);
    double seconds = 0;
    for (std::size_t done = 0; done < static_cast<std::size_t>(block);) {
        const std::size_t round = std::min(static_cast<std::size_t>(block) - done, floor.calls.size());
        seconds += seconds_of([&] {
            for (std::size_t i = 0; i < round; ++i)
                replay(i);
        });
        restore_rows(floor, raw);
        done += round;
    }
    return seconds;
}

// One benchmark per case measures the component and its floors in turn: a
// block of calls by DISPID, a block of calls by name, a block of replays on
// each floor, so that whatever else the machine is doing weighs on all
// alike. Each side is timed in CPU time of this thread. An iteration is one
// block of each; the benchmark's own time is the component's per block, and
// its counters give the calls per second of every side, the ratios of the
// component's time per call to each floor's, the heap allocations per call
// and the block size.
void measure(benchmark::State& state, Call& call, const Case& bench_case, RawConnection& raw, const Floor& floor,
             int block) {
    double component = 0, by_name = 0, plain = 0, prepared = 0;
    uint64_t calls = 0;
    const uint64_t allocations_before = call.allocations(), calls_before = call.calls();
    try {
        for (auto _ : state) {
            const double block_seconds = component_block(call, bench_case, raw, block, false);
            component += block_seconds;
            calls += static_cast<uint64_t>(block);
            by_name += component_block(call, bench_case, raw, block, true);
            plain += replay_block(floor, raw, block, [&](std::size_t i) { raw.replay(floor.calls[i]); });
            prepared += replay_block(floor, raw, block, [&](std::size_t i) { floor.prepared->run(i); });
            state.SetIterationTime(block_seconds);
        }
    } catch (const std::exception& error) {
        state.SkipWithError(error.what());
        return;
    }
    const auto count = static_cast<double>(calls);
    state.counters["component/s"] = count / component;
    state.counters["by name/s"] = count / by_name;
    state.counters["floor/s"] = count / plain;
    state.counters["ratio"] = component / plain;
    state.counters["prepared/s"] = count / prepared;
    state.counters["prepared ratio"] = component / prepared;
    state.counters["allocs"] =
        static_cast<double>(call.allocations() - allocations_before) / static_cast<double>(call.calls() - calls_before);
    state.counters["block"] = block;
}

void register_benchmarks(Workload& workload, RawConnection& raw, const std::vector<Floor>& floors,
                         const std::vector<int>& blocks) {
    for (std::size_t i = 0; i < workload.cases().size(); ++i) {
        Call& call = workload.call(i);
        const Case& bench_case = workload.cases()[i];
        const Floor& floor = floors[i];
        const int block = blocks[i];
        benchmark::RegisterBenchmark(bench_case.label().c_str(),
                                     [&call, &bench_case, &raw, &floor, block](benchmark::State& state) {
                                         measure(state, call, bench_case, raw, floor, block);
                                     })
            ->UseManualTime()
            ->Unit(benchmark::kMicrosecond);
    }
}

// The console report, plus the counters of every case (their median when
// repetitions are asked for) for the summary table.
class Collector : public benchmark::ConsoleReporter {
public:
    // In colour on a terminal only, so that a saved run reads plainly.
    Collector() : ConsoleReporter(isatty(STDOUT_FILENO) ? OO_ColorTabular : OO_Tabular) {}

    void ReportRuns(const std::vector<Run>& runs) override {
        ConsoleReporter::ReportRuns(runs);
        for (const Run& run : runs) {
            if (run.error_occurred)
                continue;
            const bool median = run.run_type == Run::RT_Aggregate && run.aggregate_name == "median";
            if (run.run_type == Run::RT_Iteration || median)
                counters_[run.run_name.function_name] = run.counters;
        }
    }

    // A counter of a case; 0 when the case did not run or failed.
    double counter(const std::string& label, const std::string& name) const {
        const auto found = counters_.find(label);
        if (found == counters_.end())
            return 0.0;
        const auto counter = found->second.find(name);
        return counter == found->second.end() ? 0.0 : counter->second.value;
    }

private:
    std::map<std::string, benchmark::UserCounters> counters_;
};

void print_statements(const std::vector<Case>& cases, const std::vector<Floor>& floors) {
    for (std::size_t i = 0; i < cases.size(); ++i) {
        std::printf("%s: %zu statements\n", cases[i].label().c_str(), floors[i].calls[0].size());
        for (const std::string& statement : floors[i].calls[0])
            std::printf("    %s\n", statement.c_str());
    }
    std::printf("\n");
}

// The most the component may take per call against the prepared floor: a
// write pays for its separate connections, a query or a check does not.
double target_of(const Case& bench_case) {
    for (const char* write : {"gInclui", "gAltera", "gExclui"})
        if (bench_case.method.starts_with(write))
            return 1.3;
    return 1.2;
}

void print_table(const std::vector<Case>& cases, const std::vector<Floor>& floors, const Collector& collector) {
    std::printf(
        "\nCalls per second (CPU time) through late-bound Invoke by DISPID and by name; of the floor (the same "
        "statements run straight through the engine's C API, each prepared, stepped and finalized) and of the "
        "prepared floor (the same statements prepared once, their values bound, stepped and reset).\n"
        "ratio = component time per call (by DISPID) / floor time per call; allocs = heap allocations per call "
        "inside Invoke\n\n");
    std::printf("%-38s %-9s %5s %11s %10s %10s %6s %11s %6s %6s %6s\n", "method", "dialect", "stmts", "component/s",
                "by name/s", "floor/s", "ratio", "prepared/s", "ratio", "target", "allocs");
    double worst = 0;
    std::string worst_label;
    int over_target = 0;
    for (std::size_t i = 0; i < cases.size(); ++i) {
        const std::string label = cases[i].label();
        const double ratio = collector.counter(label, "prepared ratio");
        if (ratio <= 0)
            continue;
        if (ratio > worst) {
            worst = ratio;
            worst_label = label;
        }
        const double target = target_of(cases[i]);
        over_target += ratio > target;
        std::printf("%-38s %-9s %5zu %11.0f %10.0f %10.0f %6.2f %11.0f %6.2f %6.1f %6.1f%s\n",
                    cases[i].method.c_str(), cases[i].dialect.empty() ? "both" : cases[i].dialect.c_str(),
                    floors[i].calls[0].size(), collector.counter(label, "component/s"),
                    collector.counter(label, "by name/s"), collector.counter(label, "floor/s"),
                    collector.counter(label, "ratio"), collector.counter(label, "prepared/s"), ratio, target,
                    collector.counter(label, "allocs"), ratio > target ? "  over" : "");
    }
    if (!worst_label.empty())
        std::printf("\n%d of %zu cases over their target.\nHighest ratio against the prepared floor: %.2f (%s)\n",
                    over_target, cases.size(), worst, worst_label.c_str());
}

// What the late-bound call alone costs: the cheapest case's arguments, made
// as for the component, handed to an object whose methods do nothing.
void print_empty_call(const std::vector<Case>& cases) {
    const auto found = std::find_if(cases.begin(), cases.end(), [](const Case& c) {
        return c.label() == "gVerifica_Data_Atual/SQLSERVER";
    });
    if (found == cases.end())
        return;
    EmptyObject empty;
    Call call(empty, *found, Variant(automation::ObjectPtr(std::make_shared<ado::Connection>())));
    constexpr int kCalls = 200'000;
    call.make_arguments_ahead(kCalls);
    const double seconds = seconds_of([&] {
        for (int i = 0; i < kCalls; ++i)
            call.run();
    });
    std::printf("Invoke of a method that does nothing, with the arguments of %s: %.0f calls/s (%.3f us a call)\n",
                found->label().c_str(), kCalls / seconds, seconds / kCalls * 1e6);
}

// Calls of one case and runs of its prepared floor, nothing else timed or
// printed, so that a profiler sees the two sides apart (ZOLT::Invoke and
// PreparedFloor::run) without the benchmark library around them.
int run_profile(Workload& workload, const Options& options) {
    for (std::size_t i = 0; i < workload.cases().size(); ++i) {
        if (workload.cases()[i].label() != options.profile)
            continue;
        RawConnection raw(workload.database().path());
        const Floor floor = capture_floor(workload.cases()[i], workload.call(i), raw);
        workload.call(i).make_arguments_ahead(options.profile_calls);
        for (uint64_t n = 0; n < options.profile_calls; ++n)
            workload.call(i).run();
        for (uint64_t n = 0; n < options.profile_calls; ++n) {
            floor.prepared->run(n % floor.calls.size());
            if ((n + 1) % floor.calls.size() == 0)
                restore_rows(floor, raw);
        }
        std::printf("%s: %llu calls, %.1f allocations per call\n", options.profile.c_str(),
                    static_cast<unsigned long long>(workload.call(i).calls()),
                    static_cast<double>(workload.call(i).allocations()) /
                        static_cast<double>(workload.call(i).calls()));
        return 0;
    }
    std::fprintf(stderr, "zolt_bench: no case %s\n", options.profile.c_str());
    return 2;
}

int run(int argc, char** argv) {
    const Options options = take_options(argc, argv);
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 2;

    // Before the first connection of the process is opened.
    capture::install();
    Workload workload;
    if (options.soak)
        return run_soak(workload, options.soak_calls, 100'000);
    if (!options.profile.empty())
        return run_profile(workload, options);

    RawConnection raw(workload.database().path());
    std::vector<Floor> floors;
    std::vector<int> blocks;
    for (std::size_t i = 0; i < workload.cases().size(); ++i) {
        floors.push_back(capture_floor(workload.cases()[i], workload.call(i), raw));
        blocks.push_back(block_size(workload.call(i)));
    }
    if (options.statements)
        print_statements(workload.cases(), floors);

    register_benchmarks(workload, raw, floors, blocks);
    Collector collector;
    benchmark::RunSpecifiedBenchmarks(&collector);
    benchmark::Shutdown();
    print_table(workload.cases(), floors, collector);
    print_empty_call(workload.cases());
    return 0;
}

}  // namespace

}  // namespace zolt::bench

int main(int argc, char** argv) {
    try {
        return zolt::bench::run(argc, argv);
    } catch (const std::exception& error) {
        std::fprintf(stderr, "zolt_bench: %s\n", error.what());
        return 1;
    }
}
