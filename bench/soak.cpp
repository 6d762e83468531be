#include "bench/soak.h"

#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <exception>
#include <fstream>

namespace zolt::bench {

namespace {

// Resident set size in KiB, from /proc/self/statm (its second field, in pages).
long resident_kib() {
    std::ifstream statm("/proc/self/statm");
    long size = 0, resident = 0;
    statm >> size >> resident;
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

}  // namespace

int run_soak(Workload& workload, uint64_t total, uint64_t interval) {
    const std::size_t cases = workload.cases().size();
    std::printf("Soak: %llu calls, %zu cases in turn (every method, both dialects); resident memory sampled after a "
                "warm-up of %llu calls and then every %llu calls\n\n",
                static_cast<unsigned long long>(total), cases, static_cast<unsigned long long>(interval),
                static_cast<unsigned long long>(interval));
    std::printf("%10s  %12s  %12s  %10s\n", "calls", "RSS (KiB)", "since warm-up", "calls/s");

    long baseline = 0;
    auto started = std::chrono::steady_clock::now();
    for (uint64_t i = 0; i < total; ++i) {
        const Case& bench_case = workload.cases()[i % cases];
        try {
            workload.call(i % cases).run();
        } catch (const std::exception& error) {
            std::printf("call %llu (%s) failed: %s\n", static_cast<unsigned long long>(i),
                        bench_case.label().c_str(), error.what());
            return 1;
        }
        if ((i + 1) % interval != 0)
            continue;
        const auto now = std::chrono::steady_clock::now();
        const double seconds = std::chrono::duration<double>(now - started).count();
        started = now;
        const long rss = resident_kib();
        if (i + 1 == interval)
            baseline = rss;
        std::printf("%10llu  %12ld  %+12ld  %10.0f%s\n", static_cast<unsigned long long>(i + 1), rss, rss - baseline,
                    static_cast<double>(interval) / seconds, i + 1 == interval ? "  (warm-up)" : "");
        std::fflush(stdout);
    }
    const long growth = resident_kib() - baseline;
    std::printf("\nGrowth after warm-up: %+ld KiB (%+.2f %%)\n", growth,
                baseline ? 100.0 * static_cast<double>(growth) / static_cast<double>(baseline) : 0.0);
    return 0;
}

}  // namespace zolt::bench
