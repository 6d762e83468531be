#!/usr/bin/env bash
# Storage and allocation faults, crashes and injection. Builds the fault tests
# in build/ (or $ZOLT_BUILD; CMake options may follow), runs them failing every
# allocation in turn (every ALLOCATION_STRIDE-th when set) and with the crash
# test going on for CRASH_SECONDS (default 60), and ends with the line
#   faults: N injected, N answered, N crashes, N integrity failures, N half-written
# exiting non-zero when a test failed or any of the last three is not 0.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
build="${ZOLT_BUILD:-$root/build}"

"$root/scripts/setup.sh"
TARGETS=faults_tests "$root/scripts/build.sh" "$build" "$@"

tally="$(mktemp)"
trap 'rm -f "$tally"' EXIT
status=0
ZOLT_REGISTRY="$build/test-registry" ZOLT_FAULTS_TALLY="$tally" ZOLT_FAULTS_ALLOCATION_STRIDE="${ALLOCATION_STRIDE:-1}" \
    ZOLT_FAULTS_CRASH_SECONDS="${CRASH_SECONDS:-60}" \
    "$build/tests/faults_tests" --gtest_brief=1 || status=$?

# A status above 128 is the program itself killed by a signal: a crash.
read -r injected answered crashes integrity half <<<"$(awk -v died=$((status > 128)) \
    '{ for (i = 1; i <= 5; ++i) sum[i] += $i } END { print sum[1]+0, sum[2]+0, sum[3]+died, sum[4]+0, sum[5]+0 }' \
    "$tally")"
echo "faults: $injected injected, $answered answered, $crashes crashes, $integrity integrity failures, $half half-written"
[ "$status" -eq 0 ] && [ "$crashes" -eq 0 ] && [ "$integrity" -eq 0 ] && [ "$half" -eq 0 ]
