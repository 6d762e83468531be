#!/usr/bin/env bash
# Installs what is missing, builds the component and the zolt command,
# registers the component in a registry file of the demo, creates a database
# with the sample data, and runs the scenarios of scripts/demo.d in order.
# With --server the database is a throwaway PostgreSQL cluster on loopback,
# reached through ODBC, and stopped when the demo ends.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
if [ "${1:-}" = --server ]; then
    source "$root/scripts/server-lib.sh"
    trap server_stop EXIT
    trap "exit 130" INT TERM
    "$root/scripts/setup.sh"
    server_start || { echo "demo: the PostgreSQL server did not start: $server_problem" >&2; exit 1; }
    export ZOLT_DEMO_DB="$ZOLT_PG"
elif [ $# -gt 0 ]; then
    echo "usage: scripts/demo.sh [--server]" >&2
    exit 2
else
    "$root/scripts/setup.sh"
fi
source "$root/scripts/demo-lib.sh"

TARGETS=zolt "$root/scripts/build.sh" "$demo_build"

[ -n "${ZOLT_PG:-}" ] || mkdir -p "$(dirname "$ZOLT_DEMO_DB")"
"$ZOLT" register
"$ZOLT" init --db "$ZOLT_DEMO_DB" --sample --force

for scenario in "$root"/scripts/demo.d/*.sh; do
    bash "$scenario"
done
