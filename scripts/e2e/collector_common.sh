# Shared by the end-to-end scripts that post to a real plumeta-collector:
# a scratch folder, the processes stopped when the script ends, and the
# collector started on a free loopback port. The caller sets $collector_bin
# and may add the pids of its own servers to other_pids.
work=$(mktemp -d)
collector_pid=""
other_pids=()
cleanup() {
  [ -z "$collector_pid" ] || kill "$collector_pid" 2>/dev/null || true
  for pid in "${other_pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  wineserver -k 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT

# start_collector OPTION...: `serve` on 127.0.0.1, storing in $work/hits.db,
# output in $work/collector.out and .err; sets $collector_pid, and $port once
# it listens (empty when it has not within 30 s).
start_collector() {
  "$collector_bin" serve --listen 127.0.0.1:0 --db "sqlite:$work/hits.db" "$@" \
    >"$work/collector.out" 2>"$work/collector.err" &
  collector_pid=$!
  for _ in $(seq 300); do grep -q listening "$work/collector.out" 2>/dev/null && break; sleep 0.1; done
  port=$(sed -nE 's|^plumeta-collector: listening on http://127\.0\.0\.1:([0-9]+), .*|\1|p' "$work/collector.out")
}
