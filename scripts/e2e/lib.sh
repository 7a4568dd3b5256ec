# Sourced by every end-to-end script (and scripts/fuzz.sh): numbered checks
# in one format, waits that fail loudly, and the processes a script starts
# (servers, Xvfb, Chromium, Wine) stopped when it ends.
#
# Each check prints one line, "ok N - TITLE" or "not ok N - TITLE", followed
# by what it saw as lines starting with "#"; scripts/test.sh counts these
# lines and nothing else. A part that cannot run here is named on a line
# "skipped: ...". The script ends with e2e_done: "[NAME: ]P passed, F failed".
#
# The caller may set e2e_name (the summary's prefix) before e2e_done.

e2e_lib_dir=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
e2e_repo=$(cd "$e2e_lib_dir/../.." && pwd)
e2e_name=${e2e_name:-}
e2e_count=0
e2e_passed=0
e2e_failed=0
# A scratch folder, removed at the end.
e2e_work=$(mktemp -d)
e2e_pids=()
e2e_hooks=()
e2e_xvfb_pid=""
e2e_wine_used=""

# e2e_result STATUS TITLE [SEEN-FILE]: counts one result and prints it.
e2e_result() {
  e2e_count=$((e2e_count + 1))
  if [ "$1" -eq 0 ]; then
    e2e_passed=$((e2e_passed + 1))
    echo "ok $e2e_count - $2"
  else
    e2e_failed=$((e2e_failed + 1))
    echo "not ok $e2e_count - $2"
  fi
  if [ -n "${3:-}" ] && [ -s "$3" ]; then
    # Long output shows its end, where a failure says why.
    tail -n 40 "$3" | sed 's/^/#   /'
  fi
  return 0
}

# check TITLE COMMAND...: one check; passes when COMMAND exits 0. Its output
# is shown under the result; a failure also shows the command and its exit
# status. Runs in this shell, so a function may set variables; stdin is the
# caller's (a here-document reaches COMMAND).
check() {
  local title=$1 rc=0 seen="$e2e_work/.seen"
  shift
  "$@" >"$seen" 2>&1 || rc=$?
  if [ "$rc" -ne 0 ]; then
    {
      echo "ran: $(printf '%q ' "$@")"
      echo "exit status $rc"
    } >>"$seen"
  fi
  e2e_result "$rc" "$title" "$seen"
}

# check_fail TITLE [SEEN...]: a check that failed without a command to run
# (a missing file, a build that did not finish); SEEN lines say what was there.
check_fail() {
  local title=$1 seen="$e2e_work/.seen"
  shift
  if [ $# -gt 0 ]; then printf '%s\n' "$@" >"$seen"; else : >"$seen"; fi
  e2e_result 1 "$title" "$seen"
}

# check_lines FILE...: the results a test driver wrote, one a line as
# "ok: TITLE" or "FAILED: TITLE", counted as checks of this script.
check_lines() {
  local line
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
      "ok: "*) e2e_result 0 "${line#ok: }" ;;
      "FAILED: "*) e2e_result 1 "${line#FAILED: }" ;;
    esac
  done < <(cat "$@" 2>/dev/null)
}

# check_gtest TITLE LOG STATUS: the cases of a GoogleTest program run
# outside ctest, whose output is in LOG, one check each, then that the
# program as a whole exited with STATUS 0 (a crash between cases shows here).
check_gtest() {
  local line
  while IFS= read -r line; do
    line=${line%$'\r'}
    case "$line" in
      "[       OK ] "*" ("*) line=${line:13} && e2e_result 0 "${line% (*}" ;;
      "[  FAILED  ] "*" ("*) line=${line:13} && e2e_result 1 "${line% (*}" ;;
    esac
  done <"$2"
  check "$1 exits 0 ($3)" test "$3" -eq 0
}

# skip WHAT: a part that cannot run on this host, named; never counted.
skip() {
  echo "skipped: $*"
}

# give_up TITLE [SEEN...]: a failure that leaves nothing else to check.
give_up() {
  check_fail "$@"
  e2e_done
}

# e2e_done: the summary line; exits 1 when any check failed or none ran.
e2e_summed=""
e2e_done() {
  e2e_summed=1
  echo "${e2e_name:+$e2e_name: }$e2e_passed passed, $e2e_failed failed"
  [ "$e2e_failed" -eq 0 ] && [ "$e2e_count" -gt 0 ] && exit 0
  exit 1
}

# wait_for SECONDS WHAT [--seen FILE]... COMMAND...: runs COMMAND every
# 0.1 s until it succeeds. Out of time, it is a failed check "WHAT within
# SECONDS s" showing COMMAND's last output and the end of each --seen file,
# and returns 1. Succeeding, it prints nothing.
wait_for() {
  local seconds=$1 what=$2 out="$e2e_work/.wait" end
  shift 2
  local -a seen=()
  while [ "${1:-}" = --seen ]; do seen+=("$2"); shift 2; done
  end=$((SECONDS + seconds))
  while :; do
    "$@" >"$out" 2>&1 && return 0
    [ "$SECONDS" -lt "$end" ] || break
    sleep 0.1
  done
  {
    echo "waited $seconds s, running: $(printf '%q ' "$@")"
    if [ -s "$out" ]; then sed 's/^/  /' "$out"; fi
    local f
    for f in "${seen[@]}"; do
      echo "$f:"
      if [ -e "$f" ]; then tail -n 10 "$f" | sed 's/^/  /'; else echo "  (missing)"; fi
    done
  } >"$e2e_work/.waited"
  e2e_result 1 "$what within $seconds s" "$e2e_work/.waited"
  return 1
}

# e2e_spawn COMMAND...: starts COMMAND in the background, its pid in
# $e2e_pid; it is stopped when the script ends if it has not been before.
e2e_spawn() {
  "$@" &
  e2e_pid=$!
  e2e_pids+=("$e2e_pid")
}

# e2e_stop PID...: stops those processes and waits for them.
e2e_stop() {
  local pid
  for pid in "$@"; do [ -z "$pid" ] || kill "$pid" 2>/dev/null || true; done
  for pid in "$@"; do [ -z "$pid" ] || wait "$pid" 2>/dev/null || true; done
}

# e2e_on_exit COMMAND: run when the script ends, after its processes stop
# and before Wine's server does (a registry entry removed, say).
e2e_on_exit() {
  e2e_hooks+=("$1")
}

e2e_cleanup() {
  local rc=$? hook
  # A script that stopped before its end (set -e, a signal) says so as a
  # failed check, so that no check after that point passes unnoticed.
  if [ -z "$e2e_summed" ]; then
    e2e_result 1 "the script runs to its end (it stopped with exit status $rc)"
    echo "${e2e_name:+$e2e_name: }$e2e_passed passed, $e2e_failed failed"
  fi
  e2e_stop "${e2e_pids[@]}"
  for hook in "${e2e_hooks[@]}"; do eval "$hook" || true; done
  [ -z "$e2e_wine_used" ] || wineserver -k 2>/dev/null || true
  e2e_stop "$e2e_xvfb_pid"
  rm -rf "$e2e_work"
}
trap e2e_cleanup EXIT

# --- Wine ---

# e2e_wine_prefix: the prefix wine-env.sh chose, created on first use; its
# server is stopped when the script ends. Source scripts/wine-env.sh first.
e2e_wine_prefix() {
  e2e_wine_used=1
  vorsant_wine_prefix
}

# --- Xvfb ---

# e2e_start_display_sized SCREEN: starts Xvfb (SCREEN as 1024x768) on a display
# number it picks itself and exports DISPLAY once the server says it is
# ready (-displayfd writes the number then).
e2e_start_display_sized() {
  local fifo n=""
  fifo="$e2e_work/.displayfd"
  mkfifo "$fifo"
  Xvfb -displayfd 3 -screen 0 "${1}x24" -nolisten tcp 3>"$fifo" >/dev/null 2>&1 &
  e2e_xvfb_pid=$!
  read -r -t 60 n <"$fifo"
  rm -f "$fifo"
  if [ -n "$n" ] && kill -0 "$e2e_xvfb_pid" 2>/dev/null; then
    export DISPLAY=":$n"
    return 0
  fi
  echo "Xvfb did not start within 60 s" >&2
  return 1
}

# --- Chromium ---

# e2e_chromium ARG...: headless Chromium with a fresh, empty profile, for at
# most 120 s; nothing may reach the network. Its standard output is the
# caller's, its chatter goes to $e2e_work/chromium.log.
e2e_chromium() {
  local profile
  profile=$(mktemp -d "$e2e_work/chromium-profile.XXXXXX")
  timeout 120 /usr/bin/chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync --user-data-dir="$profile" \
    --hide-scrollbars "$@" 2>>"$e2e_work/chromium.log"
}

# --- collectors ---

collector_pid=""
port=""

# start_collector OPTION...: plumeta-collector ($collector_bin) `serve` on
# 127.0.0.1, storing in $e2e_work/hits.db, output in $e2e_work/collector.out
# and .err; sets $collector_pid, and $port once it listens (empty when it
# has not within 30 s, a failed check).
start_collector() {
  port=""
  e2e_spawn "$collector_bin" serve --listen 127.0.0.1:0 --db "sqlite:$e2e_work/hits.db" "$@" \
    >"$e2e_work/collector.out" 2>"$e2e_work/collector.err"
  collector_pid=$e2e_pid
  wait_for 30 "the collector listens" --seen "$e2e_work/collector.err" \
    grep -q listening "$e2e_work/collector.out" || return 0
  port=$(sed -nE 's|^plumeta-collector: listening on http://127\.0\.0\.1:([0-9]+), .*|\1|p' "$e2e_work/collector.out")
}

# start_hit_collector OPTION...: the loopback endpoint that records every
# request to $e2e_work/hits.jsonl (hit_collector.py and its options), its
# port in $port.
start_hit_collector() {
  port=""
  rm -f "$e2e_work/port" "$e2e_work/hits.jsonl"
  e2e_spawn python3 "$e2e_lib_dir/hit_collector.py" --port-file "$e2e_work/port" --log "$e2e_work/hits.jsonl" \
    --lifetime 240 "$@"
  collector_pid=$e2e_pid
  wait_for 30 "the loopback endpoint listens" test -s "$e2e_work/port" || return 0
  port=$(cat "$e2e_work/port")
}

# stop_collector: stops either collector and waits for it.
stop_collector() {
  e2e_stop "$collector_pid"
  collector_pid=""
}
