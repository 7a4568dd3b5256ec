#!/usr/bin/env bash
# The Windows serial port under Wine against the balance simulator: four
# simulators on pseudo-terminals (one answering, one silent, one running 120
# times faster, one holding the line in XOFF) are mapped as COM5, COM6, COM7
# and COM8 in a Wine prefix of this test's own, and a fifth speaking the
# standard interface commands as COM12; COM9 reaches the silent one
# through a symlink, so the port does not know it for a pseudo-terminal.
# The cross-built scale_com_wine_test opens, sets up, reads and closes them
# and checks the error of a port that does not exist (COM42); then
# vorsant-cli.exe runs a whole 9-minute collection on COM7 with
# VORSANT_TEST_TIME_SCALE=120, and one on COM8 that must end at its first
# stalled write.
#
# usage: scripts/e2e/scale_com_port.sh [NATIVE_BUILD_DIR [MINGW_BUILD_DIR]]
#   defaults: build/native and build/mingw64; missing targets are built.
#
# Wine 8 rewrites dosdevices/comN at every start, preferring /dev/ttyS*, so
# the mapping goes into HKLM\Software\Wine\Ports and the wineserver is
# restarted to pick it up.
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_name="scale com port"
cd "$e2e_repo"
repo=$PWD
native=${1:-build/native}
mingw=${2:-build/mingw64}
sim=$native/bin/vorsant-balance-sim
exe=$mingw/bin/scale_com_wine_test.exe
cli=$native/bin/vorsant-cli
cliexe=$mingw/bin/vorsant-cli.exe

[ -x "$sim" ] || cmake --build "$native" --target vorsant-balance-sim -j2
[ -x "$cli" ] || cmake --build "$native" --target vorsant-cli -j2
[ -f "$exe" ] || cmake --build "$mingw" --target scale_com_wine_test -j2
[ -f "$cliexe" ] || cmake --build "$mingw" --target vorsant-cli -j2

export VORSANT_WINEPREFIX="${VORSANT_SCALE_WINEPREFIX:-$repo/build/scale-wineprefix}"
source scripts/wine-env.sh
e2e_wine_prefix

work=$e2e_work
e2e_on_exit 'for com in COM5 COM6 COM7 COM8 COM9 COM12; do
    wine reg delete "HKLM\Software\Wine\Ports" /v "$com" /f >/dev/null 2>&1 || true
  done'

e2e_spawn "$sim" --verbose --link "$work/balance" >"$work/balance.out" 2>"$work/balance.log"
e2e_spawn "$sim" --verbose --silent --link "$work/silent" >"$work/silent.out" 2>"$work/silent.log"
e2e_spawn "$sim" --verbose --time-scale 120 --link "$work/fast" >"$work/fast.out" 2>"$work/fast.log"
e2e_spawn "$sim" --verbose --xoff --link "$work/xoff" >"$work/xoff.out" 2>"$work/xoff.log"
e2e_spawn "$sim" --verbose --profile standard --link "$work/standard" >"$work/standard.out" 2>"$work/standard.log"
sims_up() {
  local s
  for s in balance silent fast xoff standard; do [ -L "$work/$s" ] || { echo "no $work/$s yet"; return 1; }; done
}
wait_for 30 "the balance simulators start" sims_up || give_up "the balance simulators start"

# The terminals themselves are mapped, as Wine shows a pseudo-terminal.
ports=(COM5:"$(readlink "$work/balance")" COM6:"$(readlink "$work/silent")" COM7:"$(readlink "$work/fast")"
  COM8:"$(readlink "$work/xoff")" COM9:"$work/silent" COM12:"$(readlink "$work/standard")")
for p in "${ports[@]}"; do
  wine reg add 'HKLM\Software\Wine\Ports' /v "${p%%:*}" /t REG_SZ /d "${p#*:}" /f >/dev/null 2>&1
done
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
# A server of our own with its chatter discarded (it dumps its objects when
# stopped); the test program connects to it.
wineserver -p5 >/dev/null 2>&1

status=0
VORSANT_TEST_COM_PORT=COM5 VORSANT_TEST_SILENT_COM_PORT=COM6 VORSANT_TEST_MISSING_COM_PORT=COM42 \
  VORSANT_TEST_XOFF_COM_PORT=COM8 VORSANT_TEST_UNMAPPED_PTY_COM_PORT=COM9 \
  wine "$exe" >"$work/wine_test.out" 2>&1 || status=$?
tr -d '\r' <"$work/wine_test.out" | grep -vE '^\[ +(OK|RUN) +\]' || true
check_gtest scale_com_wine_test "$work/wine_test.out" "$status"

# What the balance saw of the line Wine set up for the program.
check "the balance saw a request at 1200 baud, odd parity, raw" \
  grep -q "weight request (line 1200 baud, odd parity, raw)" "$work/balance.log"
check "the balance saw a tare" grep -q "^balance: tare" "$work/balance.log"

# A balance of today's standard interface commands on a port above COM9,
# listed, found by itself at its own line settings and read.
standard_balance() {
  if wine "$cliexe" scale ports 2>/dev/null | tr -d '\r' | grep -q "^COM12"$'\t' &&
    wine "$cliexe" scale detect --port COM12 2>/dev/null | tr -d '\r' |
    grep -q "^Found a balance on COM12 at 9600 baud, standard interface commands, 152.370 g, stable.$" &&
    wine "$cliexe" scale read --port COM12 --profile standard 2>/dev/null | tr -d '\r' | grep -qx "152.370 g"; then
    return 0
  fi
  wine "$cliexe" scale ports || true
  wine "$cliexe" scale detect --port COM12 || true
  tail -5 "$work/standard.log"
  return 1
}
check "a standard-interface balance on COM12: listed, found and read" standard_balance

# A whole collection through the Windows port, sped up 120 times.
"$cli" new -o "$work/run.vrs" --wine Riesling --filter "Pad 47" --lab-pressure 30 --diameter 47 \
  --max-pressure 30 --area 1 --rate 60
VORSANT_TEST_TIME_SCALE=120 wine "$cliexe" collect "$(winepath -w "$work/run.vrs")" --port COM7 --density 1 \
  --duration 9 >"$work/run.out" 2>&1 || true
whole_run() {
  grep -q "^point 36: " "$work/run.out" && grep -q "^saved " "$work/run.out" &&
    "$cli" report "$work/run.vrs" --json | tr -d '\n ' | grep -q '"M":\["0","0",.*"9"\]' ||
    { cat "$work/run.out"; return 1; }
}
check "collection through COM7: 36 points saved" whole_run

# A balance that holds the line in XOFF ends the run at its first write
# (the tare) with the port's "Timeout", well within the write limit.
"$cli" new -o "$work/xoff.vrs" --wine Riesling --filter "Pad 47" --lab-pressure 30 --diameter 47 \
  --max-pressure 30 --area 1 --rate 60
xoff_status=0
timeout 60 wine "$cliexe" collect "$(winepath -w "$work/xoff.vrs")" --port COM8 --density 1 \
  --duration 9 >"$work/xoff-run.out" 2>&1 || xoff_status=$?
xoff_timeout() {
  [ "$xoff_status" -ne 0 ] && [ "$xoff_status" -ne 124 ] && grep -q "Timeout" "$work/xoff-run.out" &&
    ! grep -q "^balance: " "$work/xoff.log" || { cat "$work/xoff-run.out"; return 1; }
}
check "collection through COM8 held in XOFF: ended with Timeout (exit $xoff_status)" xoff_timeout
e2e_done
