#!/usr/bin/env bash
# A PostgreSQL 15 server for the collector's store tests: a data folder of
# its own under build/, run as the postgres user, reachable only through a
# Unix socket in that folder (no TCP port).
#
#   scripts/pg_test_server.sh start   prints the URI to put into
#                                     PLUMETA_TEST_POSTGRES
#   scripts/pg_test_server.sh stop
#   scripts/pg_test_server.sh uri     the URI of a running server
#
# PG_TEST_DIR overrides the folder (default build/pgtest). Must run as root
# or as postgres.
set -euo pipefail
cd "$(dirname "$0")/.."
bin=/usr/lib/postgresql/15/bin
dir=$(realpath -m "${PG_TEST_DIR:-build/pgtest}")
data=$dir/data
socket=$dir/socket
port=5432  # names the socket file only; no TCP listener
uri="postgresql:///plumeta_test?host=$socket&port=$port&user=postgres"

as_postgres() {
  if [ "$(id -u)" -eq 0 ]; then runuser -u postgres -- "$@"; else "$@"; fi
}

case "${1:-}" in
  start)
    [ -x "$bin/initdb" ] || { echo "PostgreSQL 15 is not installed (apt-get install postgresql)" >&2; exit 1; }
    mkdir -p "$dir" "$socket"
    [ "$(id -u)" -eq 0 ] && chown postgres: "$dir" "$socket"
    if [ ! -f "$data/PG_VERSION" ]; then
      as_postgres "$bin/initdb" -D "$data" -U postgres --auth=trust --encoding=UTF8 --locale=C.UTF-8 >"$dir/initdb.log"
    fi
    if ! as_postgres "$bin/pg_ctl" -D "$data" status >/dev/null 2>&1; then
      as_postgres "$bin/pg_ctl" -D "$data" -l "$dir/server.log" -w -t 60 \
        -o "-c listen_addresses='' -c unix_socket_directories='$socket' -c port=$port -c fsync=on" start >/dev/null
    fi
    as_postgres "$bin/psql" -h "$socket" -p "$port" -U postgres -d postgres -tAc \
      "SELECT 1 FROM pg_database WHERE datname = 'plumeta_test'" | grep -q 1 ||
      as_postgres "$bin/createdb" -h "$socket" -p "$port" -U postgres plumeta_test
    echo "$uri"
    ;;
  stop)
    if [ -f "$data/PG_VERSION" ]; then
      as_postgres "$bin/pg_ctl" -D "$data" -m fast -w stop >/dev/null 2>&1 || true
    fi
    ;;
  uri)
    echo "$uri"
    ;;
  *)
    echo "usage: $0 start|stop|uri" >&2
    exit 2
    ;;
esac
