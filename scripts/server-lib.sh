# A throwaway PostgreSQL cluster on loopback, for the tests, the demo and the
# benchmarks on the server (source it):
#   server_start    initdb in a new temporary folder, start on a free port of
#                   127.0.0.1, create the role and database zolt; exports
#                   ZOLT_PG (the component's connection string), ZOLT_PG_CTL
#                   (pg_ctl on the cluster, as its owner) and ZOLT_PG_ADMIN (a
#                   psql connection string of the superuser). On failure it
#                   answers non-zero with the reason, one line, in
#                   $server_problem
#   server_stop     stop the cluster and remove its folder (safe to call twice)
#   server_psql ... psql as the superuser on the zolt database
# Under root the cluster runs as the postgres user. Its data is thrown away,
# so it runs without fsync.

server_bin="${ZOLT_PG_BIN:-$(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -V | tail -n 1)}"
server_dir=""
server_problem=""

# Runs a command as the user that owns the cluster.
server_as_owner() {
    if [ "$(id -u)" -eq 0 ]; then
        runuser -u postgres -- "$@"
    else
        "$@"
    fi
}

server_start() {
    if [ -z "$server_bin" ] || [ ! -x "$server_bin/initdb" ]; then
        server_problem="no PostgreSQL server is installed (Debian package postgresql)"
        return 1
    fi
    if [ "$(id -u)" -eq 0 ] && ! id postgres >/dev/null 2>&1; then
        server_problem="running as root, but there is no postgres user to run the server as"
        return 1
    fi
    server_dir="$(mktemp -d "${TMPDIR:-/tmp}/zolt-pg.XXXXXX")"
    chmod 755 "$server_dir"
    [ "$(id -u)" -eq 0 ] && chown postgres "$server_dir"
    local password="zolt-$RANDOM$RANDOM"
    server_as_owner sh -c "echo '$password' > '$server_dir/pwfile'"
    if ! server_as_owner "$server_bin/initdb" -D "$server_dir/data" -U postgres --pwfile="$server_dir/pwfile" \
        --auth-local=trust --auth-host=scram-sha-256 -E UTF8 --locale=C.UTF-8 >"$server_dir/initdb.log" 2>&1; then
        server_problem="initdb failed: $(tail -n 1 "$server_dir/initdb.log")"
        return 1
    fi
    # The settings go into the cluster's own configuration, so that a plain
    # pg_ctl start or restart (as the tests do) brings the same server back.
    server_as_owner sh -c "echo \"include = 'zolt.conf'\" >> '$server_dir/data/postgresql.conf'"
    local port started=""
    for port in $(seq "${ZOLT_PG_PORT:-55432}" "$(( ${ZOLT_PG_PORT:-55432} + 20 ))"); do
        printf '%s\n' "listen_addresses = '127.0.0.1'" "port = $port" "unix_socket_directories = '$server_dir'" \
            "fsync = off" "synchronous_commit = off" "full_page_writes = off" "max_connections = 200" |
            server_as_owner sh -c "cat > '$server_dir/data/zolt.conf'"
        if server_as_owner "$server_bin/pg_ctl" -D "$server_dir/data" -l "$server_dir/server.log" -w -t 60 start \
            >/dev/null 2>&1; then
            started=$port
            break
        fi
    done
    if [ -z "$started" ]; then
        server_problem="the cluster did not start: $(tail -n 1 "$server_dir/server.log" 2>/dev/null)"
        return 1
    fi
    export ZOLT_PG_ADMIN="host=$server_dir port=$started user=postgres dbname=postgres"
    server_as_owner "$server_bin/psql" -X -q -v ON_ERROR_STOP=1 "$ZOLT_PG_ADMIN" \
        -c "CREATE ROLE zolt LOGIN CREATEDB PASSWORD '$password'" -c "CREATE DATABASE zolt OWNER zolt" >/dev/null 2>&1 ||
        { server_problem="the role and database zolt could not be created"; return 1; }
    export ZOLT_PG_ADMIN="host=$server_dir port=$started user=postgres dbname=zolt"
    export ZOLT_PG="Provider=ODBC;Driver={PostgreSQL Unicode};Server=127.0.0.1;Port=$started;Database=zolt;Uid=zolt;Pwd=$password"
    # What a test runs to stop, start or restart the server: $ZOLT_PG_CTL stop ...
    if [ "$(id -u)" -eq 0 ]; then
        export ZOLT_PG_CTL="runuser -u postgres -- $server_bin/pg_ctl -D $server_dir/data -l $server_dir/server.log -w"
    else
        export ZOLT_PG_CTL="$server_bin/pg_ctl -D $server_dir/data -l $server_dir/server.log -w"
    fi
    echo "server: PostgreSQL on 127.0.0.1:$started, data in $server_dir"
}

server_psql() {
    server_as_owner "$server_bin/psql" -X -q -v ON_ERROR_STOP=1 "$ZOLT_PG_ADMIN" "$@"
}

server_stop() {
    [ -n "$server_dir" ] || return 0
    if [ -f "$server_dir/data/postmaster.pid" ]; then
        server_as_owner "$server_bin/pg_ctl" -D "$server_dir/data" -m immediate -w stop >/dev/null 2>&1 || true
    fi
    rm -rf "$server_dir"
    server_dir=""
}
