#!/usr/bin/env bash
# Installs what is missing, builds the component and the zolt command,
# registers the component in a registry file of the demo, creates a database
# with the sample data, and runs the scenarios of scripts/demo.d in order.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
source "$root/scripts/demo-lib.sh"

"$root/scripts/setup.sh"
TARGETS=zolt "$root/scripts/build.sh" "$demo_build"

mkdir -p "$(dirname "$ZOLT_DEMO_DB")"
"$ZOLT" register
"$ZOLT" init --db "$ZOLT_DEMO_DB" --sample --force

for scenario in "$root"/scripts/demo.d/*.sh; do
    bash "$scenario"
done
