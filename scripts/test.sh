#!/usr/bin/env bash
# Installs what is missing, builds and runs every test; then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test again.
# ZOLT_BUILD names the first build folder (default build/); the second is the
# same name with -sanitize.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZOLT_BUILD:-$root/build}"
jobs="${JOBS:-$(nproc)}"

"$root/scripts/setup.sh"

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
