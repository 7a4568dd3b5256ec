#!/usr/bin/env bash
# vorsant-cli's balance commands against the balance simulator on a
# pseudo-terminal, with the schedule sped up by VORSANT_TEST_TIME_SCALE: an
# 18-minute collection (one halving of the points) runs in 9 seconds, then
# a silent balance, one that falls silent after three points, a balance that
# stalls, and a port that does not exist. A run that collected nothing must
# leave its file byte for byte as it was.
#
# usage: scripts/e2e/scale_cli_collect.sh [NATIVE_BUILD_DIR]   (default build/native)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_name="scale cli"
cd "$e2e_repo"
build=${1:-build/native}
cli=$build/bin/vorsant-cli
sim=$build/bin/vorsant-balance-sim
[ -x "$cli" ] || cmake --build "$build" --target vorsant-cli -j2
[ -x "$sim" ] || cmake --build "$build" --target vorsant-balance-sim -j2

work=$e2e_work

export VORSANT_TEST_TIME_SCALE=120

start_balance() {  # start_balance LINK [simulator options]
  local link=$1
  shift
  e2e_spawn "$sim" --link "$link" "$@" >/dev/null 2>&1
  wait_for 30 "the balance simulator at $link starts" test -L "$link"
}

new_trial() {
  "$cli" new -o "$1" --wine Chardonnay --filter "Pad 47" --lab-pressure 30 --diameter 47 --max-pressure 30 \
    --area 1 --rate 60
}

start_balance "$work/balance"
start_balance "$work/silent" --silent
start_balance "$work/three" --silent-from 50  # three points, 15 s apart
start_balance "$work/stalling" --fouling 0 --resistance 1e20

# One reading and a tare.
check "scale read prints a weight" bash -c "'$cli' scale read --port '$work/balance' | grep -Eq '^-?[0-9]+\.[0-9]{2} g$'"
check "scale tare" "$cli" scale tare --port "$work/balance"

# Balances of today's command sets, each found by itself and read by name.
# Once tared they weigh as under flowing filtrate: never stable.
for profile in standard two-letter continuous; do
  start_balance "$work/$profile" --profile "$profile" --unit kg --moving
  check "scale detect finds a $profile balance" bash -c \
    "'$cli' scale detect --port '$work/$profile' | grep -q ' baud, .*, 152.370 g, stable.$'"
  check "scale read --profile $profile converts kilograms" bash -c \
    "'$cli' scale read --port '$work/$profile' --profile $profile | grep -qx '152.370 g'"
done
check "scale detect on a silent line exits 1" bash -c "! '$cli' scale detect --port '$work/silent' 2>/dev/null"

# A whole 18-minute run, written to another file. Its balance starts just
# before it: a simulated filter starts at its first tare and fouls on the
# sped-up clock, so one tared earlier passes too little once the checks
# above have taken a while.
start_balance "$work/fresh"
new_trial "$work/run.vrs"
cp "$work/run.vrs" "$work/run.before"
status=0
"$cli" collect "$work/run.vrs" --port "$work/fresh" --density 0.995 --duration 18 -o "$work/run-out.vrs" \
  >"$work/run.out" 2>&1 || status=$?
check "a whole run succeeds" test "$status" -eq 0
# The end of what the run said, where a failure says why.
[ "$status" -eq 0 ] || tail -n 6 "$work/run.out" | sed 's/^/#   /'
check "collect reports 36 points" grep -q "^point 36: " "$work/run.out"
check "collect halves the points once" test "$(grep -c '^points halved' "$work/run.out")" -eq 1
check "collect saves the trial to -o" grep -q "^saved $work/run-out.vrs" "$work/run.out"
check "-o leaves the input alone" cmp -s "$work/run.vrs" "$work/run.before"
check "the 36th point is at 18 minutes" bash -c \
  "'$cli' report '$work/run-out.vrs' --json | tr -d '\n ' | grep -q '\"M\":\[\"0\",\"1\",.*\"18\"\]'"
check "every reading is kept beside the output" bash -c \
  "test \$(wc -l <'$work/run-out.readings.csv') -gt 200 && tail -1 '$work/run-out.readings.csv' | grep -q '^10[78][0-9]\.'"

# A run through each balance of today's command sets (weighing in kg).
for profile in standard two-letter continuous; do
  new_trial "$work/$profile.vrs"
  check "a run through the $profile profile succeeds" bash -c \
    "'$cli' collect '$work/$profile.vrs' --port '$work/$profile' --profile $profile --density 1 --duration 9 >/dev/null 2>&1"
  check "the $profile run stores 36 points" bash -c \
    "'$cli' report '$work/$profile.vrs' --json | tr -d '\n ' | grep -q '\"M\":\[\"0\",.*\"9\"\]'"
done

# A silent balance: the starting weight cannot be read and the trial, with
# its points, stays as it was.
cp "$work/run-out.vrs" "$work/silent.vrs"
cp "$work/silent.vrs" "$work/silent.before"
status=0
"$cli" collect "$work/silent.vrs" --port "$work/silent" --density 1 --duration 9 >"$work/silent.out" 2>&1 ||
  status=$?
check "silent balance fails" test "$status" -eq 1
check "silent balance ends with the reading message" \
  grep -q "Trouble reading starting weight. Data collection will exit." "$work/silent.out"
check "silent balance leaves the trial byte for byte" cmp -s "$work/silent.vrs" "$work/silent.before"

# A balance that falls silent after three points: the three are saved over
# the input, and the run still fails with its message.
new_trial "$work/three.vrs"
status=0
"$cli" collect "$work/three.vrs" --port "$work/three" --density 1 --duration 9 >"$work/three.out" 2>&1 ||
  status=$?
check "a balance falling silent fails" test "$status" -eq 1
check "a balance falling silent ends with the reading message" \
  grep -q "Trouble reading starting weight. Data collection will exit." "$work/three.out"
check "the file holds the three points" bash -c \
  "'$cli' report '$work/three.vrs' --json | tr -d '\n ' | grep -Eq '\"V\":\[(\"[^\"]+\",){3}\"\",'"

# A balance that goes away half-way (its terminal closes): the port's error
# ends the run, and the points collected before it are saved.
start_balance "$work/vanishing" || true
vanishing=$e2e_pid
new_trial "$work/vanish.vrs"
e2e_spawn "$cli" collect "$work/vanish.vrs" --port "$work/vanishing" --density 1 --duration 9 >"$work/vanish.out" 2>&1
collector=$e2e_pid
wait_for 30 "the run through the vanishing balance reaches its third point" --seen "$work/vanish.out" \
  grep -q '^point 3: ' "$work/vanish.out" || true
kill "$vanishing"
status=0
wait "$collector" || status=$?
check "a vanished balance fails" test "$status" -eq 1
check "the points before the port failed are saved" bash -c \
  "'$cli' report '$work/vanish.vrs' --json | tr -d '\n ' | grep -Eq '\"V\":\[(\"[^\"]+\",){3}'"
check "the readings up to the failure are kept" bash -c "test \$(wc -l <'$work/vanish.readings.csv') -gt 20"

# A filter that passes nothing.
new_trial "$work/stall.vrs"
"$cli" collect "$work/stall.vrs" --port "$work/stalling" --density 1 --duration 9 >"$work/stall.out" 2>&1 || true
check "stalled filter ends with the volume message" \
  grep -q "Volume collected over the last interval is too small. Data collection will exit." "$work/stall.out"

# No such port: the system's error, the file untouched.
new_trial "$work/none.vrs"
cp "$work/none.vrs" "$work/none.before"
status=0
"$cli" collect "$work/none.vrs" --port "$work/no-such-port" --density 1 --duration 9 >"$work/none.out" 2>&1 || status=$?
check "missing port fails" test "$status" -eq 1
check "missing port gives the system's message" grep -q "No such file or directory" "$work/none.out"
check "missing port leaves the file alone" cmp -s "$work/none.vrs" "$work/none.before"
check "missing port leaves no readings file" test ! -e "$work/none.readings.csv"
e2e_done
