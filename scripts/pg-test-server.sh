#!/usr/bin/env bash
# A throw-away PostgreSQL server for the record store tests.
#
#   scripts/pg-test-server.sh start  DIR   creates the cluster in DIR on first use, starts it and
#                                          prints its connection string
#   scripts/pg-test-server.sh stop   DIR   stops it (nothing to do when it is not running)
#   scripts/pg-test-server.sh status DIR   prints the connection string; exit 0 running, 3 not
#
# The server listens only on a Unix socket in DIR, so two test programs running at once never
# meet on a port, and nothing outside the machine can reach a server that trusts every local
# user. It runs without fsync: its data die with DIR.
#
# PostgreSQL refuses to run as root. Run as root, the server runs as the system user zu42pg
# (created when missing; ZU42_PG_USER names another), which then owns DIR; every folder above
# DIR must let that user pass (the tests make their temporary folder 0711).
#
# With ZU42_PG_OWNER_PID set, start leaves a watcher behind that stops the server once that
# process is gone, so a test that crashes or is killed by its time limit leaves no server behind.
#
# With ZU42_PG_PORT set, the server also listens on 127.0.0.1 at that port (libpq uses SSL only
# over TCP). With ZU42_PG_SSL=1 it has ssl on, with a self-signed certificate made by openssl
# when the cluster is created, and takes TCP connections over SSL only. Both count when DIR is
# first used.
#
# The server binaries: ZU42_PG_BINDIR, else the newest /usr/lib/postgresql/<n>/bin (Debian and
# Ubuntu), else initdb and pg_ctl on the PATH.
set -euo pipefail

die() { echo "pg-test-server: $*" >&2; exit 2; }

find_bindir() {
    if [ -n "${ZU42_PG_BINDIR:-}" ]; then
        [ -x "$ZU42_PG_BINDIR/initdb" ] && [ -x "$ZU42_PG_BINDIR/pg_ctl" ] ||
            die "ZU42_PG_BINDIR=$ZU42_PG_BINDIR holds no initdb and pg_ctl"
        echo "$ZU42_PG_BINDIR"
        return
    fi
    local d
    # Version folders sort as numbers, so 15 comes after 9.6.
    for d in $(ls -d /usr/lib/postgresql/*/bin 2>/dev/null | sort -t/ -k5,5 -V -r); do
        if [ -x "$d/initdb" ] && [ -x "$d/pg_ctl" ]; then
            echo "$d"
            return
        fi
    done
    local initdb
    if initdb=$(command -v initdb) && command -v pg_ctl >/dev/null; then
        dirname "$initdb"
        return
    fi
    die "the PostgreSQL server (initdb, pg_ctl) is not installed; install the Debian package" \
        "postgresql (scripts/install-deps.sh does) or set ZU42_PG_BINDIR"
}

# libpq wants the socket folder percent-encoded in the host parameter of the URI.
uri_encode() {
    local LC_ALL=C s=$1 out="" i c
    for ((i = 0; i < ${#s}; i++)); do
        c=${s:i:1}
        case $c in
            [A-Za-z0-9/._~-]) out+=$c ;;
            *) out+=$(printf '%%%02X' "'$c") ;;
        esac
    done
    echo "$out"
}

[ $# -eq 2 ] || die "usage: $0 start|stop|status DIR"
command=$1
dir=$2
case $command in start | stop | status) ;; *) die "unknown command '$command'" ;; esac
[ -n "$dir" ] || die "DIR is empty"
mkdir -p "$dir"
dir=$(cd "$dir" && pwd -P)
data=$dir/data
superuser=zu42
database=zu42test

# The socket path (DIR/.s.PGSQL.5432) must fit in sockaddr_un.
[ $((${#dir} + 15)) -lt 108 ] || die "DIR is too long for a Unix socket path: $dir"

bindir=$(find_bindir)

# as_server CMD ARGS...: runs a command as the user the server runs as.
if [ "$(id -u)" -eq 0 ]; then
    server_user=${ZU42_PG_USER:-zu42pg}
    if ! id -u "$server_user" >/dev/null 2>&1; then
        # Two tests may get here at once; the loser of the race finds the user made.
        useradd --system --no-create-home --home-dir /nonexistent --shell /usr/sbin/nologin \
            "$server_user" 2>/dev/null || id -u "$server_user" >/dev/null 2>&1 ||
            die "cannot create the system user $server_user to run the server as"
    fi
    as_server() { runuser -u "$server_user" -- "$@"; }
    chown "$server_user": "$dir"
    [ -d "$data" ] && chown -R "$server_user": "$data"
    as_server test -w "$dir" -a -x "$dir" ||
        die "user $server_user cannot write in $dir; every folder above it must let others pass (chmod o+x)"
else
    as_server() { "$@"; }
fi

port=${ZU42_PG_PORT:-5432}
[[ $port =~ ^[0-9]+$ ]] || die "ZU42_PG_PORT=$port is not a port"

# Over TCP when the server listens there (and asks for SSL when it has it), else the socket.
connection_string() {
    if [ -n "${ZU42_PG_PORT:-}" ]; then
        echo "postgresql://$superuser@127.0.0.1:$port/$database$([ "${ZU42_PG_SSL:-0}" = 1 ] && echo '?sslmode=require')"
    else
        echo "postgresql://$superuser@/$database?host=$(uri_encode "$dir")"
    fi
}

running() { as_server "$bindir/pg_ctl" -D "$data" status >/dev/null 2>&1; }

case $command in
start)
    if [ ! -f "$data/PG_VERSION" ]; then
        rm -rf "$data"
        as_server "$bindir/initdb" -D "$data" --username="$superuser" --auth=trust \
            --encoding=UTF8 --locale=C --no-sync --no-instructions >"$dir/initdb.log" 2>&1 ||
            { cat "$dir/initdb.log" >&2; die "initdb failed in $data"; }
        # Settings go into the file rather than onto pg_ctl's command line, which passes them
        # through a shell: DIR may hold spaces or quotes.
        quoted_dir=${dir//\'/\'\'}
        cat >>"$data/postgresql.conf" <<EOF
listen_addresses = ''
unix_socket_directories = '$quoted_dir'
fsync = off
synchronous_commit = off
full_page_writes = off
EOF
        if [ -n "${ZU42_PG_PORT:-}" ]; then
            printf "listen_addresses = '127.0.0.1'\nport = %s\n" "$ZU42_PG_PORT" >>"$data/postgresql.conf"
        fi
        if [ "${ZU42_PG_SSL:-0}" = 1 ]; then
            command -v openssl >/dev/null || die "ZU42_PG_SSL=1 wants openssl to make the certificate"
            as_server openssl req -new -x509 -days 2 -nodes -subj /CN=127.0.0.1 -newkey rsa:2048 \
                -keyout "$data/server.key" -out "$data/server.crt" >"$dir/openssl.log" 2>&1 ||
                { cat "$dir/openssl.log" >&2; die "openssl could not make the certificate"; }
            as_server chmod 600 "$data/server.key"
            printf "ssl = on\nssl_cert_file = 'server.crt'\nssl_key_file = 'server.key'\n" >>"$data/postgresql.conf"
            # TCP without SSL is refused, so a connection that gets in was encrypted.
            as_server sed -i -e 's/^host /hostssl /' "$data/pg_hba.conf"
        fi
    fi
    if ! running; then
        as_server "$bindir/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 start >/dev/null ||
            { tail -n 20 "$dir/server.log" >&2 || true; die "the server in $data did not start"; }
    fi
    if ! as_server "$bindir/psql" -h "$dir" -p "$port" -U "$superuser" -d postgres -Atqc \
        "SELECT 1 FROM pg_database WHERE datname = '$database'" | grep -q 1; then
        as_server "$bindir/createdb" -h "$dir" -p "$port" -U "$superuser" "$database" ||
            die "cannot create the database $database"
    fi
    if [ -n "${ZU42_PG_OWNER_PID:-}" ]; then
        owner=$ZU42_PG_OWNER_PID
        (
            trap '' HUP
            while kill -0 "$owner" 2>/dev/null; do sleep 1; done
            running && as_server "$bindir/pg_ctl" -D "$data" -m immediate -w stop
        ) </dev/null >/dev/null 2>&1 &
        disown
    fi
    connection_string
    ;;
stop)
    if [ -f "$data/PG_VERSION" ] && running; then
        as_server "$bindir/pg_ctl" -D "$data" -m fast -w -t 60 stop >/dev/null ||
            die "the server in $data did not stop"
    fi
    ;;
status)
    if [ -f "$data/PG_VERSION" ] && running; then
        connection_string
    else
        echo "pg-test-server: no server running in $dir" >&2
        exit 3
    fi
    ;;
esac
