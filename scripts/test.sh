#!/usr/bin/env bash
# Installs what is missing, starts a throwaway PostgreSQL cluster, builds and
# runs every test; then builds again with AddressSanitizer and
# UndefinedBehaviorSanitizer and runs every test again; the cluster is stopped
# however the run ends. Where no cluster can be started the tests on the
# server are skipped, except in CI (CI=true), where that fails the run.
# ZOLT_BUILD names the first build folder (default build/); the second is the
# same name with -sanitize.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZOLT_BUILD:-$root/build}"
jobs="${JOBS:-$(nproc)}"

"$root/scripts/setup.sh"

source "$root/scripts/server-lib.sh"
trap server_stop EXIT
trap "exit 130" INT TERM
if ! server_start; then
    if [ "${CI:-}" = true ]; then
        echo "test: the PostgreSQL server did not start: $server_problem" >&2
        exit 1
    fi
    echo "test: no PostgreSQL server ($server_problem): the tests on the server are skipped"
fi

run_tests() {
    local build_dir="$1"
    shift
    echo "== building in $build_dir $*"
    JOBS="$jobs" "$root/scripts/build.sh" "$build_dir" "$@"
    echo "== testing in $build_dir"
    ctest --test-dir "$build_dir" --output-on-failure --parallel "$jobs"
}

run_tests "$build"
run_tests "$build-sanitize" -DZOLT_SANITIZE=ON
