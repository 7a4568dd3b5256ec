#!/usr/bin/env bash
# End-to-end test of the balance commands of vorsant.exe under Wine and Xvfb:
# the balance simulator answers on a pseudo-terminal mapped as a COM port in
# a Wine prefix of this test's own; the driver (collect_e2e.exe) chooses that
# port with Set Scale Connection, checking the environment file at once, and
# runs three collections through the real windows with the schedule sped up
# 60 times (VORSANT_TEST_TIME_SCALE): an 18-minute run to its end and Save
# As, a run stopped by the X key, a 9-minute run across About and a move of
# the frame, a run on a port that cannot be opened and a run ended by Close.
# Then Balance Settings finds a balance of each of today's command sets on
# COM12, COM13 and COM14 (one simulator each: the standard interface
# commands, the two-letter commands, a continuous output) and a 9-minute run
# goes through each, keeping every reading beside the saved trial.
# The saved trials are then read back with the command-line tool.
# Screenshots and the trial's panels land in build/artifacts/e2e-collect/.
#
# usage: scripts/e2e/vorsant_collect.sh [MINGW_BUILD_DIR [NATIVE_BUILD_DIR]]
#   defaults: build/mingw64 and build/native; missing targets are built.
# Ends with "e2e-collect: N passed, M failed" and exits non-zero on any
# failure.
set -uo pipefail
export VORSANT_E2E_PREFIX="${VORSANT_COLLECT_WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/collect-wineprefix}"
source "$(dirname "$0")/wine_desktop.sh"
e2e_name=e2e-collect
cd "$repo_root"

mingw="${1:-build/mingw64}"
native="${2:-build/native}"
program="$mingw/bin/vorsant.exe"
driver="$mingw/bin/collect_e2e.exe"
sim="$native/bin/vorsant-balance-sim"
cli="$native/bin/vorsant-cli"
artifacts="$repo_root/build/artifacts/e2e-collect"
# The balance's COM port in the prefix; the environment file starts with a
# port outside 1 to 9, so the port dialog opens with no button checked.
port=4
# A port mapped to a device that does not exist, for the error of a port
# that cannot be opened.
missing_port=9
# Today's balances, one on each port from COM12 on, in the driver's order.
high_port=12
todays=(standard two-letter continuous)
time_scale=60

[ -f "$program" ] || cmake --build "$mingw" --target vorsant -j2 >/dev/null || give_up "cannot build $program"
[ -f "$driver" ] || cmake --build "$mingw" --target collect_e2e -j2 >/dev/null || give_up "cannot build $driver"
[ -x "$sim" ] || cmake --build "$native" --target vorsant-balance-sim -j2 >/dev/null || give_up "cannot build $sim"
[ -x "$cli" ] || cmake --build "$native" --target vorsant-cli -j2 >/dev/null || give_up "cannot build $cli"
rm -rf "$artifacts"
mkdir -p "$artifacts"

e2e_on_exit 'wine reg delete "HKLM\Software\Wine\Ports" /v "COM$port" /f >/dev/null 2>&1'
e2e_on_exit 'wine reg delete "HKLM\Software\Wine\Ports" /v "COM$missing_port" /f >/dev/null 2>&1'
for i in "${!todays[@]}"; do
  e2e_on_exit "wine reg delete 'HKLM\Software\Wine\Ports' /v COM$((high_port + i)) /f >/dev/null 2>&1"
done

e2e_start_display || give_up "no X display"
e2e_prepare_prefix || give_up "no Wine prefix"

# The environment file: recognisable reserved bytes, port 0.
env_file="$WINEPREFIX/drive_c/ProgramData/vorsant/vorsant.dat"
python3 -c 'import struct,sys; sys.stdout.buffer.write(bytes(i % 251 for i in range(1540)) + struct.pack("<i", 0))' \
  >"$env_file"

# The balance, as fast as the program's schedule.
VORSANT_TEST_TIME_SCALE=$time_scale e2e_spawn "$sim" --verbose --link "$artifacts/balance" \
  >"$artifacts/balance.out" 2>"$artifacts/balance.log"
wait_for 30 "the balance simulator starts" --seen "$artifacts/balance.log" test -L "$artifacts/balance" ||
  give_up "the balance simulator starts"
for profile in "${todays[@]}"; do
  # Once tared, never stable, as under flowing filtrate.
  VORSANT_TEST_TIME_SCALE=$time_scale e2e_spawn "$sim" --verbose --profile "$profile" --moving --link "$artifacts/$profile" \
    >"$artifacts/$profile.out" 2>"$artifacts/$profile.log"
  wait_for 30 "the $profile balance simulator starts" --seen "$artifacts/$profile.log" test -L "$artifacts/$profile" ||
    give_up "the $profile balance simulator starts"
done

# Wine rewrites dosdevices/comN at every start, so the mapping goes into the
# registry and the wineserver restarts to take it up. The balance is mapped
# as the pseudo-terminal itself, not the link to it: the program tells a
# pseudo-terminal behind a COM name by its /dev/pts path.
wine reg add 'HKLM\Software\Wine\Ports' /v "COM$port" /t REG_SZ /d "$(readlink "$artifacts/balance")" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v "COM$missing_port" /t REG_SZ /d "$artifacts/no-such-balance" /f \
  >/dev/null 2>&1
for i in "${!todays[@]}"; do
  wine reg add 'HKLM\Software\Wine\Ports' /v "COM$((high_port + i))" /t REG_SZ \
    /d "$(readlink "$artifacts/${todays[$i]}")" /f >/dev/null 2>&1
done
wine reg delete 'HKCU\Software\QEL\Vorsant\Balance' /f >/dev/null 2>&1 || true
e2e_fresh_wine_session

# Serves the driver's requests until $stop exists: NAME.shot becomes a
# screenshot NAME.png, strike.key a key struck on the X keyboard.
serve_requests() {
  local req
  while [ ! -e "$stop" ]; do
    for req in "$artifacts"/*.shot; do
      [ -e "$req" ] || continue
      import -window root "${req%.shot}.png" 2>/dev/null
      rm -f "$req"
    done
    if [ -e "$artifacts/strike.key" ]; then
      xdotool key "$(cat "$artifacts/strike.key")" 2>/dev/null
      rm -f "$artifacts/strike.key"
    fi
    sleep 0.2
  done
}
stop="$artifacts/.stop"
e2e_spawn serve_requests
watcher=$e2e_pid

trial="$artifacts/riesling.vrs"
modal_trial="$artifacts/beside-modal-loops.vrs"
# The program runs on the sped-up schedule; the driver does not read it.
VORSANT_TEST_TIME_SCALE=$time_scale e2e_run_driven "$artifacts/vorsant.log" "$artifacts/driver.log" 300 -- \
  "$(winepath -w "$artifacts")" "$port" "$missing_port" "$(winepath -w "$trial")" "$(winepath -w "$modal_trial")" \
  "$high_port"

touch "$stop"
wait "$watcher" 2>/dev/null

check_lines "$artifacts/driver.log"
e2e_program_ended "$program_pid"
check "the driver ends with exit status 0" test "$driver_rc" -eq 0

# What the balance saw: the program's line settings, a tare, readings.
check "the balance saw the tare" grep -q "^balance: tare" "$artifacts/balance.log"
check "the balance was read at 1200 baud, odd parity, raw" \
  grep -q "weight request (line 1200 baud, odd parity, raw)" "$artifacts/balance.log"

# The trial saved after the 18-minute run: 36 points, 30 s apart after the
# collapse, the last at 18 minutes, the first point excluded.
json="$artifacts/riesling.json"
if [ -f "$trial" ] && "$cli" report "$trial" --json >"$json" 2>&1; then
  check "the saved trial has 36 points" python3 - "$json" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
sys.exit(0 if sum(1 for v in data["V"] if v.strip()) == 36 else 1)
EOF
  check "its points are about 30 s apart and end at 18 minutes" python3 - "$json" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
times = [int(m) * 60 + int(s) for m, s in zip(data["M"], data["Sc"])]
gaps = [b - a for a, b in zip(times, times[1:])]
# Readings come a little late when Wine is busy: a scheduled second passes
# in 1/60 s here.
ok = times[-1] // 60 == 18 and all(15 <= g <= 45 for g in gaps) and 25 <= times[0] <= 45
if not ok:
    print(times)
sys.exit(0 if ok else 1)
EOF
  check "its volumes rise" python3 - "$json" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
v = [float(x) for x in data["V"]]
sys.exit(0 if all(b - a >= 1 for a, b in zip(v, v[1:])) else 1)
EOF
  check "its first point is left out of the analysis" python3 - "$json" <<'EOF'
import json, sys
sys.exit(0 if json.load(open(sys.argv[1]))["MinSkip"] == 1 else 1)
EOF
else
  check_fail "a readable trial is saved at $trial"
fi

# The run beside About and the move: every reading on its 15 s schedule,
# none held back and taken late in a burst.
modal_json="$artifacts/beside-modal-loops.json"
if [ -f "$modal_trial" ] && "$cli" report "$modal_trial" --json >"$modal_json" 2>&1; then
  check "the run beside the modal loops has 36 points, each within 10 s after its due time" python3 - "$modal_json" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
times = [int(m) * 60 + int(s) for m, s, v in zip(data["M"], data["Sc"], data["V"]) if v.strip()]
# A point's time is taken after its reading, which is not sped up: the
# balance's reply takes a few scheduled seconds here.
ok = len(times) == 36 and all(15 * (k + 1) <= t <= 15 * (k + 1) + 10 for k, t in enumerate(times))
if not ok:
    print(times)
sys.exit(0 if ok else 1)
EOF
else
  check_fail "a readable trial is saved at $modal_trial"
fi

# The run through each of today's balances: its line and commands, its 36
# points, and every reading kept beside the trial.
for profile in "${todays[@]}"; do
  check "the $profile balance heard the program at 9600 baud, raw" \
    grep -q "(line 9600 baud, raw)" "$artifacts/$profile.log"
  profile_trial="$artifacts/$profile-balance.vrs"
  profile_json="$artifacts/$profile-balance.json"
  if [ -f "$profile_trial" ] && "$cli" report "$profile_trial" --json >"$profile_json" 2>&1; then
    check "the trial from the $profile balance has 36 rising points" python3 - "$profile_json" <<'EOF'
import json, sys
data = json.load(open(sys.argv[1]))
v = [float(x) for x in data["V"] if x.strip()]
sys.exit(0 if len(v) == 36 and all(b > a for a, b in zip(v, v[1:])) else 1)
EOF
    check "every reading of the $profile balance is kept beside its trial, many more than its points, up to its last" \
      python3 - "$artifacts/$profile-balance.readings.csv" "$profile_json" <<'EOF'
import json, sys
lines = open(sys.argv[1]).read().splitlines()
data = json.load(open(sys.argv[2]))
rows = [tuple(float(x) for x in line.split(",")) for line in lines[1:]]
last_point = [float(x) for x in data["V"] if x.strip()][-1]
ok = (lines[0] == "seconds,grams,ml" and len(rows) > 3 * 36
      and all(b[0] > a[0] and b[1] >= a[1] - 0.5 for a, b in zip(rows, rows[1:]))
      and abs(rows[-1][2] - last_point) < 0.05 * last_point)
if not ok:
    print(len(rows), rows[:3], rows[-3:], last_point)
sys.exit(0 if ok else 1)
EOF
    check "the models fit every reading of the $profile run" bash -c \
      "'$cli' models '$profile_trial' --json | grep -q '\"source\": *\"readings_file\"'"
  else
    check_fail "a readable trial is saved at $profile_trial"
  fi
done
e2e_done
