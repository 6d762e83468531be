#!/usr/bin/env bash
# Starts a throwaway PostgreSQL cluster, builds the server benchmark and the
# load program in a Release build, and runs both: every method beside its
# floor on the server, as a table, then the load at 1, 2, 4 and 8 client
# processes on the embedded database and on the server. The cluster is
# stopped however the run ends.
#
#   scripts/bench-server.sh [ZOLT_SERVER_BENCH_ARGUMENT...]
#
# Arguments go to the benchmark (--seconds-per-case S, --filter TEXT,
# --statements). ZOLT_BENCH_BUILD names the build folder (default
# build-bench/), JOBS the parallel build jobs, LOAD_SECONDS the length of each
# load run (default 5) and LOAD=0 leaves the load out.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZOLT_BENCH_BUILD:-$root/build-bench}"

"$root/scripts/setup.sh"
source "$root/scripts/server-lib.sh"
trap server_stop EXIT
trap "exit 130" INT TERM
server_start || { echo "bench: the PostgreSQL server did not start: $server_problem" >&2; exit 1; }

echo "== building zolt_server_bench and zolt_load (Release) in $build"
TARGETS="zolt_server_bench zolt_load" JOBS="${JOBS:-$(nproc)}" "$root/scripts/build.sh" "$build" \
    -DCMAKE_BUILD_TYPE=Release -DZOLT_BENCH=ON

echo "== benchmark on the server"
"$build/bench/server/zolt_server_bench" "$@"

if [ "${LOAD:-1}" != 0 ]; then
    echo
    echo "== load"
    "$build/bench/load/zolt_load" --seconds "${LOAD_SECONDS:-5}" --processes 1,2,4,8
fi
