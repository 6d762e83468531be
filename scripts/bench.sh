#!/usr/bin/env bash
# Builds the benchmarks in a Release build and runs them: every method's calls
# per second beside its floor, as a table, then the memory soak.
#
#   scripts/bench.sh [ZOLT_BENCH_ARGUMENT...]
#
# Arguments go to the benchmark run (--benchmark_filter=REGEX,
# --benchmark_repetitions=N, --statements ...). ZOLT_BENCH_BUILD names the
# build folder (default build-bench/), JOBS the parallel build jobs, and
# SOAK=0 leaves out the soak, which takes a minute or two.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZOLT_BENCH_BUILD:-$root/build-bench}"

"$root/scripts/setup.sh"

echo "== building zolt_bench (Release) in $build"
TARGETS=zolt_bench JOBS="${JOBS:-$(nproc)}" "$root/scripts/build.sh" "$build" -DCMAKE_BUILD_TYPE=Release -DZOLT_BENCH=ON

echo "== benchmarks"
"$build/bench/zolt_bench" "$@"

if [ "${SOAK:-1}" != 0 ]; then
    echo
    echo "== memory soak"
    "$build/bench/zolt_bench" --soak
fi
