#!/usr/bin/env bash
# Starts vorsant.exe under Wine in a project-local prefix (build/run-wineprefix)
# that holds the environment file, with a sample trial open.
# Usage: scripts/e2e/start_vorsant.sh [BUILD_DIR] (default build/mingw64); the
# sample is made with $VORSANT_CLI (default build/native/bin/vorsant-cli).
# With a DISPLAY it runs there until the program is closed. Without one it
# runs under Xvfb for $VORSANT_RUN_SECONDS seconds (default 20), saves a
# screenshot as build/artifacts/run/vorsant.png and ends the program.
set -uo pipefail
export VORSANT_E2E_PREFIX="${VORSANT_E2E_PREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/run-wineprefix}"
source "$(dirname "$0")/wine_desktop.sh"
# It runs the program and checks nothing: no summary line.
e2e_summed=none
cd "$repo_root"

build="${1:-build/mingw64}"
program="$build/bin/vorsant.exe"
cli="${VORSANT_CLI:-build/native/bin/vorsant-cli}"
out="$repo_root/build/artifacts/run"
[ -f "$program" ] || { echo "missing $program (build the mingw64 preset first)" >&2; exit 1; }
[ -x "$cli" ] || { echo "missing $cli (build the native preset first)" >&2; exit 1; }
mkdir -p "$out"
bash scripts/e2e/make_sample_trial.sh "$cli" "$out/merlot.vrs" || exit 1

headless=0
if [ -z "${DISPLAY:-}" ]; then
  headless=1
  e2e_start_display || exit 1
fi
e2e_prepare_prefix || exit 1

if [ "$headless" -eq 0 ]; then
  wine "$program" "$(winepath -w "$out/merlot.vrs")"
  exit $?
fi
wine "$program" "$(winepath -w "$out/merlot.vrs")" >"$out/vorsant.log" 2>&1 &
sleep "${VORSANT_RUN_SECONDS:-20}"
import -window root "$out/vorsant.png"
echo "screenshot: $out/vorsant.png"
