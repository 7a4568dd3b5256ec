#!/usr/bin/env bash
# vorsant.exe at three display scales under Wine: the prefix's LogPixels set
# to 96 (100 %), 144 (150 %) and 192 (200 %). Each time the driver dpi_e2e.exe reads
# back the trial window's graph, a graph window's client area and the data
# dialog's boxes, which must be their 96-DPI sizes times the scale; the
# report text must be the same at all. At 200 % the windows that do not fit
# the screen must open inside its work area. Screenshots of all land in
# build/artifacts/e2e-dpi/.
# Usage: scripts/e2e/vorsant_dpi.sh [BUILD_DIR]   (default build/mingw64)
# Ends with "e2e-dpi: N passed, M failed".
set -uo pipefail
export VORSANT_E2E_PREFIX="${VORSANT_DPI_WINEPREFIX:-$(cd "$(dirname "$0")/../.." && pwd)/build/dpi-wineprefix}"
# Room for the frame at 150 %.
export E2E_SCREEN=1600x1200
source "$(dirname "$0")/wine_desktop.sh"
cd "$repo_root"

build="${1:-build/mingw64}"
program="$build/bin/vorsant.exe"
driver="$build/bin/dpi_e2e.exe"
cli="${VORSANT_CLI:-build/native/bin/vorsant-cli}"
artifacts="$repo_root/build/artifacts/e2e-dpi"
for f in "$program" "$driver" "$cli"; do
  [ -f "$f" ] || { echo "missing $f"; echo "e2e-dpi: 0 passed, 1 failed"; exit 1; }
done
rm -rf "$artifacts"
mkdir -p "$artifacts"
bash scripts/e2e/make_sample_trial.sh "$cli" "$artifacts/merlot.vrs" || { echo "e2e-dpi: 0 passed, 1 failed"; exit 1; }

trap e2e_cleanup EXIT
e2e_start_display || { echo "e2e-dpi: 0 passed, 1 failed"; exit 1; }
e2e_prepare_prefix || { echo "e2e-dpi: 0 passed, 1 failed"; exit 1; }

passed=0
failed=0
for dpi in 96 144 192; do
  # Wine reads the scale when its server starts.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  stop="$artifacts/.stop$dpi"
  e2e_serve_screenshots "$artifacts" "$stop" &
  watcher=$!
  e2e_run_driven "$artifacts/vorsant$dpi.log" "$artifacts/driver$dpi.log" 180 "$(winepath -w "$artifacts/merlot.vrs")" \
    -- "$(winepath -w "$artifacts")" "$dpi" "dpi$dpi"
  touch "$stop"
  wait "$watcher" 2>/dev/null
  wineserver -k 2>/dev/null
  passed=$((passed + $(grep -c '^ok:' "$artifacts/driver$dpi.log")))
  failed=$((failed + $(grep -c '^FAILED:' "$artifacts/driver$dpi.log")))
  grep -q '^e2e-dpi: ' "$artifacts/driver$dpi.log" || failed=$((failed + 1))
done

if [ -s "$artifacts/dpi96.memo2.txt" ] && cmp -s "$artifacts/dpi96.memo2.txt" "$artifacts/dpi144.memo2.txt" &&
  cmp -s "$artifacts/dpi96.memo2.txt" "$artifacts/dpi192.memo2.txt"; then
  echo "ok: the report reads the same at 96, 144 and 192 DPI"
  passed=$((passed + 1))
else
  echo "FAILED: the report differs between 96, 144 and 192 DPI"
  failed=$((failed + 1))
fi
echo "e2e-dpi: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
