#!/usr/bin/env bash
# Builds the libFuzzer targets with clang in build-fuzz/ (or $ZOLT_FUZZ_BUILD)
# and runs each for SECONDS seconds (default 60), starting from its seeds in
# fuzz/corpus/TARGET. What a run adds to the corpus stays in the build folder.
# An input that fails is saved under findings/ in the build folder and stops
# the script. FUZZ_TARGETS="shaper invoke" runs some targets only.
# FUZZ_SEED fixes the random seed (CI uses one, so that a run is repeatable).
# Usage: scripts/fuzz.sh [SECONDS]
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZOLT_FUZZ_BUILD:-$root/build-fuzz}"
seconds="${1:-60}"
read -r -a targets <<<"${FUZZ_TARGETS:-variant_json registry procedure_call shaper basic_texts invoke}"

"$root/scripts/setup.sh" fuzz
TARGETS="${targets[*]/#/fuzz_}" "$root/scripts/build.sh" "$build" -DZOLT_FUZZ=ON -DZOLT_TESTS=OFF \
    -DCMAKE_CXX_COMPILER=clang++-14

mkdir -p "$build/findings"
for target in "${targets[@]}"; do
    corpus="$build/corpus/$target"
    log="$build/fuzz-$target.log"
    mkdir -p "$corpus"
    if ! "$build/fuzz/fuzz_$target" -max_total_time="$seconds" -seed="${FUZZ_SEED:-0}" -timeout=20 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/findings/$target-" "$corpus" "$root/fuzz/corpus/$target" >"$log" 2>&1; then
        tail -n 40 "$log" >&2
        echo "fuzz $target: failed; the input is in $build/findings/" >&2
        exit 1
    fi
    runs="$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")"
    echo "fuzz $target: $runs runs in ${seconds}s"
done
