#!/usr/bin/env bash
# The collector's benchmarks on this machine, SQLite and then PostgreSQL:
#   0. ingestion side by side with wrk, in rounds: the yardstick (the
#      collector's HTTP layer with a handler that only answers 204), SQLite,
#      PostgreSQL with and without a disk flush per commit; the shares of
#      the yardstick's and SQLite's rates, and their medians
#   1. ingestion as fast as answered, real hit bodies on 32 connections
#   2. ingestion at 1,000 hits per second on 16 connections: answer times
#   3. GET /api/summary and the dashboard over 1,000,000 stored hits, and the
#      collector's peak memory
# PostgreSQL runs on the test server of scripts/pg_test_server.sh (started
# here when needed) in a database of its own, "plumeta_bench".
# usage: scripts/bench_collector.sh [NATIVE_BUILD_DIR]   (build/native)
#   BENCH_SECONDS (15) per ingestion run, BENCH_ROUNDS (3) side by side,
#   BENCH_HITS (1000000) stored hits;
#   BENCH_ONLY=side-by-side runs step 0 alone.
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
seconds=${BENCH_SECONDS:-15}
hits=${BENCH_HITS:-1000000}
cmake --build "$native" --target plumeta-collector collector_load -j2 >/dev/null
collector=$native/bin/plumeta-collector
load=$native/bin/collector_load
work=$(mktemp -d)
pid=""
cleanup() {
  [ -z "$pid" ] || kill "$pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

start() {  # start DB: a collector on a free port, in $port and $pid; DB "yardstick": the yardstick
  if [ "$1" = yardstick ]; then
    "$load" yardstick >"$work/out" 2>"$work/err" &
  else
    "$collector" serve --listen 127.0.0.1:0 --db "$1" >"$work/out" 2>"$work/err" &
  fi
  pid=$!
  for _ in $(seq 100); do grep -q listening "$work/out" 2>/dev/null && break; sleep 0.1; done
  port=$(sed -nE 's|.*127\.0\.0\.1:([0-9]+).*|\1|p' "$work/out")
  [ -n "$port" ] || { echo "$1 did not start: $(cat "$work/err")"; exit 1; }
}
stop() {
  kill -TERM "$pid"
  wait "$pid" || true
  pid=""
}
peak_mb() { awk '/VmHWM/ {printf "%.0f", $2 / 1024}' "/proc/$pid/status"; }
# CPU time the collector has used so far, in milliseconds (user + system).
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{printf "%.0f", ($14 + $15) * 1000 / hz}' "/proc/$pid/stat"; }
timed_get() {  # timed_get PATH: 7 runs, and the collector's own CPU time per run
  local before
  before=$(cpu_ms)
  "$load" get --port "$port" --path "$1" --runs 7
  echo "  collector CPU per run: $((($(cpu_ms) - before) / 7)) ms"
}

run() {  # run NAME DB RESET_COMMAND...
  local name=$1 db=$2
  shift 2
  echo "== $name"
  "$@"
  start "$db"
  echo "load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  echo "ingest with wrk, 2 threads, 32 connections, ${seconds} s:"
  wrk -t2 -c32 -d"${seconds}s" --latency -s bench/collector_hits.lua "http://127.0.0.1:$port/" |
    grep -E 'Requests/sec|Non-2xx|Socket errors|^ +(50|99)%|requests in'
  echo -n "ingest, as fast as answered, 32 connections (collector_load): "
  "$load" ingest --port "$port" --connections 32 --seconds "$seconds"
  echo -n "ingest at 1000 hits/s, 16 connections: "
  local before
  before=$(cpu_ms)
  "$load" ingest --port "$port" --connections 16 --seconds "$seconds" --rate 1000
  echo "  collector CPU per hit at 1000 hits/s: $(((($(cpu_ms) - before) * 1000) / (seconds * 1000))) us"
  echo "peak memory while ingesting: $(peak_mb) MB"
  stop
  "$@"
  local t0=$SECONDS
  "$load" seed --db "$db" --hits "$hits"
  echo "seeding took $((SECONDS - t0)) s"
  start "$db"
  timed_get /api/summary
  timed_get /
  timed_get "/api/summary?version=6.1.0&since=$(date -u -d '-30 days' +%F)"
  echo "peak memory after the summaries: $(peak_mb) MB"
  stop
}

wrk_rate() {  # wrk_rate NAME DB [RESET_COMMAND...]: hits per second answered by wrk's run, in $rate
  local name=$1 db=$2
  shift 2
  [ $# -eq 0 ] || "$@"
  sync  # the last run's writes go to disk before this one, not during it
  start "$db"
  wrk -t2 -c32 -d"${seconds}s" --latency -s bench/collector_hits.lua "http://127.0.0.1:$port/" >"$work/wrk"
  rate=$(awk '/Requests\/sec/ {printf "%.0f", $2}' "$work/wrk")
  local errors
  errors=$(grep -E 'Non-2xx|Socket errors' "$work/wrk" | tr -s ' ' | paste -sd';' - || true)
  echo "$name: $rate hits/s (p50 $(awk '$1 == "50%" {print $2}' "$work/wrk"), p99 $(awk '$1 == "99%" {print $2}' "$work/wrk"))${errors:+; $errors}"
  stop
}

median() { printf '%s\n' "$@" | sort -n | awk '{v[NR] = $1} END {print v[int((NR + 1) / 2)]}'; }

# Rounds of the yardstick, SQLite and PostgreSQL (with a disk flush per
# commit, and with SQLite's guarantee: no flush wait), each rate as a share
# of its round's yardstick or SQLite; the medians over the rounds, since
# this machine's speed drifts from one minute to the next.
side_by_side() {
  local rounds=${BENCH_ROUNDS:-3} pg=${uri/plumeta_test/plumeta_bench} r
  local sqlite_shares=() flush_shares=() noflush_shares=()
  echo "== side by side, wrk 2 threads, 32 connections, ${seconds} s each, $rounds rounds; load before: $(cut -d' ' -f1-3 /proc/loadavg)"
  for r in $(seq "$rounds"); do
    echo "round $r"
    wrk_rate yardstick yardstick
    local yard=$rate
    wrk_rate SQLite "sqlite:$work/bench.db" reset_sqlite
    local sqlite=$rate
    wrk_rate "PostgreSQL, a flush per commit" "$pg" reset_postgres
    local flush=$rate
    wrk_rate "PostgreSQL, synchronous_commit=off" "$pg&options=-c%20synchronous_commit%3Doff" reset_postgres
    local noflush=$rate
    sqlite_shares+=($((sqlite * 100 / yard)))
    flush_shares+=($((flush * 100 / sqlite)))
    noflush_shares+=($((noflush * 100 / sqlite)))
    echo "  SQLite ${sqlite_shares[-1]} % of the yardstick; PostgreSQL ${flush_shares[-1]} % of SQLite with a flush per commit, ${noflush_shares[-1]} % without"
  done
  echo "medians: SQLite $(median "${sqlite_shares[@]}") % of the yardstick; PostgreSQL $(median "${flush_shares[@]}") % of SQLite with a flush per commit, $(median "${noflush_shares[@]}") % with synchronous_commit=off"
  echo "load after: $(cut -d' ' -f1-3 /proc/loadavg)"
}

reset_sqlite() { rm -f "$work/bench.db" "$work/bench.db-wal" "$work/bench.db-shm"; }
uri=$(bash scripts/pg_test_server.sh start)
pg_bin=/usr/lib/postgresql/15/bin
socket=$(sed -nE 's|.*host=([^&]+).*|\1|p' <<<"$uri")
reset_postgres() {
  runuser -u postgres -- "$pg_bin/dropdb" -h "$socket" --if-exists -f plumeta_bench
  runuser -u postgres -- "$pg_bin/createdb" -h "$socket" plumeta_bench
}
side_by_side
if [ "${BENCH_ONLY:-}" = side-by-side ]; then
  reset_postgres
  exit 0
fi
run SQLite "sqlite:$work/bench.db" reset_sqlite
run PostgreSQL "${uri/plumeta_test/plumeta_bench}" reset_postgres
reset_postgres
