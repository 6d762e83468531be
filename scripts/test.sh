#!/usr/bin/env bash
# Installs what is missing, builds and runs every test; then builds again with
# AddressSanitizer and UndefinedBehaviorSanitizer and runs every test again.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
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

run_tests "$root/build"
run_tests "$root/build-sanitize" -DZOLT_SANITIZE=ON
