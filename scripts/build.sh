#!/usr/bin/env bash
# Configures and builds into a folder: scripts/build.sh DIR [CMAKE_OPTION...].
# TARGETS (blank-separated) limits what is built; JOBS sets the parallel jobs.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build_dir="$1"
shift

cmake -S "$root" -B "$build_dir" -G Ninja "$@" >/dev/null
target_options=()
for target in ${TARGETS:-}; do
    target_options+=(--target "$target")
done
cmake --build "$build_dir" --parallel "${JOBS:-$(nproc)}" "${target_options[@]}"
