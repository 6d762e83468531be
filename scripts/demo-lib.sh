# Shared by scripts/demo.sh and the scenarios in scripts/demo.d (source it).
# Each scenario calls `section` for its title and `show` for every call:
#   show "What this call shows" METHOD [zolt call options...]
# `show` adds --db with the demo database, prints a heading, the command and
# the component's answer, and keeps going when the method reports a failure.
# `run_sql` runs a statement on the demo database as another part of the
# application would. A scenario can be run on its own after scripts/demo.sh
# has run once (on the embedded database).

demo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
demo_build="${ZOLT_BUILD:-$demo_root/build}"
export ZOLT="${ZOLT:-$demo_build/zolt}"
export ZOLT_REGISTRY="${ZOLT_REGISTRY:-$demo_build/demo/registry}"
export ZOLT_DEMO_DB="${ZOLT_DEMO_DB:-$demo_build/demo/demo.db}"

section() {
    printf '\n==================== %s ====================\n' "$1"
}

# A word as it would be typed: plain, or in single quotes.
shell_word() {
    if [[ "$1" =~ ^[A-Za-z0-9_./:=@+-]+$ ]]; then
        printf '%s' "$1"
    else
        printf "'%s'" "${1//\'/\'\\\'\'}"
    fi
}

# The demo database as shown: a server's password is not.
shown_db="$(printf '%s' "$ZOLT_DEMO_DB" | sed -E 's/((^|;)[[:space:]]*(Pwd|Password)[[:space:]]*=)[^;]*/\1***/I')"

show() {
    local title="$1" method="$2"
    shift 2
    printf '\n--- %s\n$ zolt call %s' "$title" "$method"
    local word
    for word in --db "$shown_db" "$@"; do
        printf ' %s' "$(shell_word "$word")"
    done
    printf '\n'
    local status=0
    "$ZOLT" call "$method" --db "$ZOLT_DEMO_DB" "$@" | sed 's/^/    /' || status=$?
    if [ "$status" -ne 0 ]; then
        printf '    (exit status %s)\n' "$status"
    fi
}

run_sql() {
    if [ -n "${ZOLT_PG_ADMIN:-}" ]; then
        source "$demo_root/scripts/server-lib.sh"
        printf '$ psql -c %s\n' "$(shell_word "$1")"
        server_psql -c "$1"
    else
        printf '$ sqlite3 %s %s\n' "$(shell_word "$ZOLT_DEMO_DB")" "$(shell_word "$1")"
        sqlite3 "$ZOLT_DEMO_DB" "$1"
    fi
}
