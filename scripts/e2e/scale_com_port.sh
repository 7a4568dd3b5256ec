#!/usr/bin/env bash
# The Windows serial port under Wine against the balance simulator: three
# simulators on pseudo-terminals (one answering, one silent, one running 120
# times faster) are mapped as COM5, COM6 and COM7 in a Wine prefix of this
# test's own. The cross-built scale_com_wine_test opens, sets up, reads and
# closes them and checks the error of a port that does not exist (COM42);
# then vorsant-cli.exe runs a whole 9-minute collection on COM7 with
# VORSANT_TEST_TIME_SCALE=120.
#
# usage: scripts/e2e/scale_com_port.sh [NATIVE_BUILD_DIR [MINGW_BUILD_DIR]]
#   defaults: build/native and build/mingw64; missing targets are built.
#
# Wine 8 rewrites dosdevices/comN at every start, preferring /dev/ttyS*, so
# the mapping goes into HKLM\Software\Wine\Ports and the wineserver is
# restarted to pick it up.
set -euo pipefail
cd "$(dirname "$0")/../.."
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
vorsant_wine_prefix

work=$(mktemp -d)
pids=()
cleanup() {
  for pid in "${pids[@]}"; do kill "$pid" 2>/dev/null || true; done
  for pid in "${pids[@]}"; do wait "$pid" 2>/dev/null || true; done
  wine reg delete 'HKLM\Software\Wine\Ports' /v COM5 /f >/dev/null 2>&1 || true
  wine reg delete 'HKLM\Software\Wine\Ports' /v COM6 /f >/dev/null 2>&1 || true
  wine reg delete 'HKLM\Software\Wine\Ports' /v COM7 /f >/dev/null 2>&1 || true
  wineserver -k >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT

"$sim" --verbose --link "$work/balance" >"$work/balance.out" 2>"$work/balance.log" &
pids+=($!)
"$sim" --verbose --silent --link "$work/silent" >"$work/silent.out" 2>"$work/silent.log" &
pids+=($!)
"$sim" --verbose --time-scale 120 --link "$work/fast" >"$work/fast.out" 2>"$work/fast.log" &
pids+=($!)
for _ in $(seq 50); do
  [ -L "$work/balance" ] && [ -L "$work/silent" ] && [ -L "$work/fast" ] && break
  sleep 0.1
done
[ -L "$work/balance" ] && [ -L "$work/silent" ] && [ -L "$work/fast" ] ||
  { echo "balance simulators did not start" >&2; exit 1; }

wine reg add 'HKLM\Software\Wine\Ports' /v COM5 /t REG_SZ /d "$work/balance" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM6 /t REG_SZ /d "$work/silent" /f >/dev/null 2>&1
wine reg add 'HKLM\Software\Wine\Ports' /v COM7 /t REG_SZ /d "$work/fast" /f >/dev/null 2>&1
wineserver -k >/dev/null 2>&1 || true
wineserver -w >/dev/null 2>&1 || true
# A server of our own with its chatter discarded (it dumps its objects when
# stopped); the test program connects to it.
wineserver -p5 >/dev/null 2>&1

status=0
VORSANT_TEST_COM_PORT=COM5 VORSANT_TEST_SILENT_COM_PORT=COM6 VORSANT_TEST_MISSING_COM_PORT=COM42 \
  wine "$exe" --gtest_brief=1 || status=$?

# What the balance saw of the line Wine set up for the program.
if ! grep -q "weight request (line 1200 baud, odd parity, raw)" "$work/balance.log"; then
  echo "the balance never saw a request at 1200 baud, odd parity, raw:" >&2
  cat "$work/balance.log" >&2
  status=1
fi
grep -q "^balance: tare" "$work/balance.log" || { echo "the balance saw no tare" >&2; status=1; }

# A whole collection through the Windows port, sped up 120 times.
"$cli" new -o "$work/run.vrs" --wine Riesling --filter "Pad 47" --lab-pressure 30 --diameter 47 \
  --max-pressure 30 --area 1 --rate 60
VORSANT_TEST_TIME_SCALE=120 wine "$cliexe" collect "$(winepath -w "$work/run.vrs")" --port COM7 --density 1 \
  --duration 9 >"$work/run.out" 2>&1 || true
if grep -q "^point 36: " "$work/run.out" && grep -q "^saved " "$work/run.out" &&
  "$cli" report "$work/run.vrs" --json | tr -d '\n ' | grep -q '"M":\["0","0",.*"9"\]'; then
  echo "collection through COM7: 36 points saved"
else
  echo "the collection through COM7 failed:" >&2
  cat "$work/run.out" >&2
  status=1
fi
exit "$status"
