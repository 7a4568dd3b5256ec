#!/usr/bin/env bash
# The harness itself (lib.sh): small scripts that use it are run and their
# output compared with what scripts/test.sh must be able to count. A fault
# here would miscount every other script.
#
# usage: scripts/e2e/lib_test.sh
set -uo pipefail
source "$(dirname "$0")/lib.sh"
e2e_name="e2e harness"

# run_sample NAME BODY: a script that sources the harness and runs BODY
# under set -euo pipefail; its output in $e2e_work/NAME.out, status in NAME.rc.
run_sample() {
  printf 'set -euo pipefail\nsource %q\n%s\n' "$e2e_lib_dir/lib.sh" "$2" >"$e2e_work/$1.sh"
  local rc=0
  bash "$e2e_work/$1.sh" >"$e2e_work/$1.out" 2>&1 || rc=$?
  echo "$rc" >"$e2e_work/$1.rc"
}
# same NAME EXPECTED: the sample's output lines that test.sh reads (results,
# what was seen, skips, the summary) and its exit status are EXPECTED.
same() {
  diff <(grep -E '^(ok |not ok |#|skipped: |.*passed, )' "$e2e_work/$1.out"; echo "exit $(cat "$e2e_work/$1.rc")") \
    <(printf '%s\n' "$2")
}

run_sample counts 'e2e_name=sample
check "a command that succeeds" true
set_flag() { flag=1; }
check "a function that sets a variable" set_flag
check "its variable is seen after the check ($flag)" test "$flag" = 1
check "a here-document reaches the command" grep -qx seen <<<"seen"
check "a command that fails" sh -c "echo what it saw; exit 3"
skip "a part this host cannot run"
printf "ok: a driver line\nFAILED: a driver failure\r\nnoise\n" >"$e2e_work/driver.log"
check_lines "$e2e_work/driver.log"
e2e_done'
check "checks are numbered and a failure shows its output, command and status" same counts "$(cat <<'EOF'
ok 1 - a command that succeeds
ok 2 - a function that sets a variable
ok 3 - its variable is seen after the check (1)
ok 4 - a here-document reaches the command
not ok 5 - a command that fails
#   what it saw
#   ran: sh -c echo\ what\ it\ saw\;\ exit\ 3 
#   exit status 3
skipped: a part this host cannot run
ok 6 - a driver line
not ok 7 - a driver failure
sample: 5 passed, 2 failed
exit 1
EOF
)"

run_sample waits 'printf "last words\n" >"$e2e_work/server.log"
wait_for 5 "a file that appears" sh -c "sleep 0.3; touch $e2e_work/appeared; test -e $e2e_work/appeared"
wait_for 1 "a file that never appears" --seen "$e2e_work/server.log" test -e "$e2e_work/never"
check "not reached" true'
# The sample's scratch folder has a name of its own: compared without it.
sed -i -E 's|/tmp/tmp\.[A-Za-z0-9]+|/tmp/WORK|g' "$e2e_work/waits.out"
check "a wait out of time is a failed check naming what it waited for and what it saw" same waits "$(cat <<'EOF'
not ok 1 - a file that never appears within 1 s
#   waited 1 s, running: test -e /tmp/WORK/never 
#   /tmp/WORK/server.log:
#     last words
not ok 2 - the script runs to its end (it stopped with exit status 1)
0 passed, 2 failed
exit 1
EOF
)"

run_sample stops 'e2e_spawn sleep 300
echo "$e2e_pid" >'"$e2e_work"'/spawned
check "nothing" true
e2e_done'
stopped() {
  [ "$(cat "$e2e_work/stops.rc")" = 0 ] && ! kill -0 "$(cat "$e2e_work/spawned")" 2>/dev/null
}
check "a script with no failure exits 0 and stops what it started" stopped

run_sample none 'e2e_done'
check "a script that ran no check fails" same none "$(printf '0 passed, 0 failed\nexit 1')"
e2e_done
