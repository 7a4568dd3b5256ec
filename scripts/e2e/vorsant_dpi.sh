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
e2e_name=e2e-dpi
cd "$repo_root"

build="${1:-build/mingw64}"
program="$build/bin/vorsant.exe"
driver="$build/bin/dpi_e2e.exe"
cli="${VORSANT_CLI:-build/native/bin/vorsant-cli}"
artifacts="$repo_root/build/artifacts/e2e-dpi"
for f in "$program" "$driver" "$cli"; do
  [ -f "$f" ] || give_up "missing $f"
done
rm -rf "$artifacts"
mkdir -p "$artifacts"
bash scripts/e2e/make_sample_trial.sh "$cli" "$artifacts/merlot.vrs" || give_up "the sample trial is made"

e2e_start_display || give_up "Xvfb starts"
e2e_prepare_prefix || give_up "the Wine prefix is prepared"

for dpi in 96 144 192; do
  # Wine reads the scale when its server starts.
  wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wine reg add 'HKLM\System\CurrentControlSet\Hardware Profiles\Current\Software\Fonts' /v LogPixels \
    /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
  wineserver -k 2>/dev/null
  wineserver -w
  stop="$artifacts/.stop$dpi"
  e2e_spawn e2e_serve_screenshots "$artifacts" "$stop"
  watcher=$e2e_pid
  e2e_run_driven "$artifacts/vorsant$dpi.log" "$artifacts/driver$dpi.log" 180 "$(winepath -w "$artifacts/merlot.vrs")" \
    -- "$(winepath -w "$artifacts")" "$dpi" "dpi$dpi"
  touch "$stop"
  wait "$watcher" 2>/dev/null
  wineserver -k 2>/dev/null
  check_lines "$artifacts/driver$dpi.log"
  check "the driver at $dpi DPI runs to its end (exit status $driver_rc)" \
    grep -q '^e2e-dpi: ' "$artifacts/driver$dpi.log"
done

same_report() {
  [ -s "$artifacts/dpi96.memo2.txt" ] && cmp "$artifacts/dpi96.memo2.txt" "$artifacts/dpi144.memo2.txt" &&
    cmp "$artifacts/dpi96.memo2.txt" "$artifacts/dpi192.memo2.txt"
}
check "the report reads the same at 96, 144 and 192 DPI" same_report
e2e_done
