#!/usr/bin/env bash
# End-to-end test of the fouling models, the comparison and the exported
# report in vorsant.exe under Wine and Xvfb: the program starts on a sample
# trial, the driver opens Fouling Models (and types a target volume, then a
# refused one), opens a second trial, compares both and exports the second
# one's report. What the windows show and the exported file must equal what
# vorsant-cli prints for the same files. Screenshots, tables and pictures
# land in build/artifacts/e2e-models/.
# Usage: scripts/e2e/vorsant_models.sh [BUILD_DIR]   (default build/mingw64)
# The native command-line tool ($VORSANT_CLI, default build/native/bin/
# vorsant-cli) makes the trials and the expected outputs.
# Ends with "e2e-models: N passed, M failed" and exits non-zero on any failure.
set -uo pipefail
# Room for the models window with its whole picture and table.
export E2E_SCREEN=1600x1200
source "$(dirname "$0")/wine_desktop.sh"
e2e_name=e2e-models
cd "$repo_root"

build="${1:-build/mingw64}"
program="$build/bin/vorsant.exe"
driver="$build/bin/models_e2e.exe"
artifacts="$repo_root/build/artifacts/e2e-models"
for f in "$program" "$driver"; do
  [ -f "$f" ] || give_up "missing $f (build the mingw64 preset first)"
done
cli="$(realpath -m "${VORSANT_CLI:-build/native/bin/vorsant-cli}")"
[ -x "$cli" ] || give_up "missing vorsant-cli (build the native preset first)"
rm -rf "$artifacts"
mkdir -p "$artifacts"

# The first trial fouls like the sample; the second builds a cake (the
# volume grows with the square root of time), so the two differ in the
# overlay and in their best models.
# The sample's last reading is typed without its time, for the models to
# name it as left out.
bash scripts/e2e/make_sample_trial.sh "$cli" "$artifacts/merlot.vrs" || give_up "the sample trial is made"
python3 - >"$artifacts/.merlot.csv" <<'PY'
import math
for k in range(1, 21):
    t = 30 * k
    print(f"{1200 * (1 - math.exp(-t / 400)):.1f}," + (f"{t // 60},{t % 60}" if k < 20 else ","))
PY
"$cli" data "$artifacts/merlot.vrs" --csv "$artifacts/.merlot.csv" >/dev/null ||
  give_up "the sample trial's blank time is typed"
python3 - >"$artifacts/.cake.csv" <<'PY'
import math
print("volume_ml,minutes,seconds")
for k in range(1, 19):
    t = 30 * k
    print(f"{300 * (math.sqrt(1 + t / 60) - 1):.1f},{t // 60},{t % 60}")
PY
{ "$cli" new -o "$artifacts/syrah.vrs" --wine Syrah --filter DE --lab-pressure 30 --diameter 47 \
    --max-pressure 30 --area 20 --rate 40 --units bpm &&
  "$cli" data "$artifacts/syrah.vrs" --csv "$artifacts/.cake.csv"; } >/dev/null ||
  give_up "the second trial is made"

e2e_start_display || give_up "Xvfb starts"
e2e_prepare_prefix || give_up "the Wine prefix is prepared"

stop="$artifacts/.stop"
e2e_spawn e2e_serve_screenshots "$artifacts" "$stop"
watcher=$e2e_pid

# The units choice starts unset (US) and is left so for other checks.
reset_units() { wine reg delete 'HKCU\Software\QEL\Vorsant' /v Units /f >/dev/null 2>&1 || true; }
reset_units

# Started on the first trial: no welcome choice.
e2e_run_driven "$artifacts/vorsant.log" "$artifacts/driver.log" 180 "$(winepath -w "$artifacts/merlot.vrs")" -- \
  "$(winepath -w "$artifacts")" "$(winepath -w "$artifacts/merlot.vrs")" "$(winepath -w "$artifacts/syrah.vrs")"
first_rc=$driver_rc
e2e_program_ended "$program_pid"

# The units choice is the user's, kept in the registry, and outlives the
# program: started again, the models window opens in Metric.
units=$(wine reg query 'HKCU\Software\QEL\Vorsant' /v Units 2>/dev/null | tr -d '\r' | awk '$1 == "Units" {print $NF}')
e2e_run_driven "$artifacts/vorsant.log" "$artifacts/driver_restart.log" 120 "$(winepath -w "$artifacts/merlot.vrs")" -- \
  "$(winepath -w "$artifacts")" "$(winepath -w "$artifacts/merlot.vrs")" --remembered
e2e_program_ended "$program_pid"
reset_units
touch "$stop"
wait "$watcher" 2>/dev/null

check_lines "$artifacts/driver.log" "$artifacts/driver_restart.log"
check "both drivers end with exit status 0 ($first_rc, $driver_rc)" test "$first_rc" -eq 0 -a "$driver_rc" -eq 0
check "the choice is stored as Units = metric under HKCU\\Software\\QEL\\Vorsant (\"$units\")" \
  test "$units" = metric

# The tables as the windows show them against the command line's, run in the
# artifact folder so the trials are named by their file names as the
# program names them.
same_as_cli() {  # SHOWN WHAT CLI-ARGS...
  local shown="$1" what="$2"
  shift 2
  (cd "$artifacts" && "$cli" "$@") >"$artifacts/${shown%.txt}.cli.txt" 2>&1
  check "$what" same_text "$artifacts/$shown" "$artifacts/${shown%.txt}.cli.txt" "$artifacts/${shown%.txt}.diff"
}
same_text() {  # SHOWN EXPECTED DIFF: the difference kept in DIFF, its start shown
  [ -f "$1" ] || { echo "$1 is missing"; return 1; }
  diff "$1" "$2" >"$3" || { head -20 "$3"; return 1; }
}
same_as_cli models.txt "the Fouling Models table equals vorsant-cli models" models merlot.vrs
same_as_cli models_sized.txt "with 5000 gal typed it equals vorsant-cli models --volume 5000" \
  models merlot.vrs --volume 5000
same_as_cli models_metric.txt "in Metric the Fouling Models table equals vorsant-cli models --units metric" \
  models merlot.vrs --units metric
# Metric was chosen before the comparison and the export: both follow it.
same_as_cli compare.txt "the Compare Trials table equals vorsant-cli compare --units metric" \
  compare merlot.vrs syrah.vrs --units metric

# The exported report against the command line's, apart from the line with
# the date of export.
(cd "$artifacts" && "$cli" report syrah.vrs --html --units metric -o "$artifacts/syrah.cli.html") >/dev/null 2>&1
today=$(date +%Y-%m-%d)
same_report() {
  diff <(grep -v -- "$today" "$artifacts/syrah.html") <(grep -v -- "$today" "$artifacts/syrah.cli.html") \
    >"$artifacts/syrah.html.diff" || { head -20 "$artifacts/syrah.html.diff"; return 1; }
  test "$(grep -c -- "$today" "$artifacts/syrah.html")" -eq 1
}
if [ -f "$artifacts/syrah.html" ] && [ -f "$artifacts/syrah.cli.html" ]; then
  check "the exported report equals vorsant-cli report --html --units metric apart from its date line" same_report
else
  check_fail "the exported report equals vorsant-cli report --html (a file is missing)"
fi

# The windows' pictures against the command line's SVG, rendered. The lower
# part of the plot holds only curves and points, drawn by both to the same
# pixels but for a few joints of steep curves that GDI's pens and the SVG
# renderer place differently. Elsewhere the fonts differ, and the legends
# are as wide as their texts, so the whole may differ more.
# NAME.side_by_side.png shows both.
max_plot_pixels=100      # of the 132804 below the legend
max_picture_pixels=15000 # of 420000
same_picture() {  # NAME WHAT CLI-ARGS... (the SVG goes to NAME.svg)
  local name="$1" what="$2" shown="$artifacts/$1.window.png" drawn="$artifacts/$1.svg.png" plot whole
  shift 2
  [ -f "$artifacts/$name.window.bmp" ] && convert "$artifacts/$name.window.bmp" "$shown" &&
    (cd "$artifacts" && "$cli" "$@" -o "$artifacts/$name.svg") >/dev/null 2>&1 &&
    rsvg-convert -b white "$artifacts/$name.svg" -o "$drawn" || { check_fail "$what (no picture)"; return; }
  rm -f "$artifacts/$name.window.bmp"
  convert "$shown" "$drawn" +append "$artifacts/$name.side_by_side.png"
  convert "$shown" -crop 558x238+71+300 "$artifacts/.a.png"
  convert "$drawn" -crop 558x238+71+300 "$artifacts/.b.png"
  plot=$(compare -metric AE "$artifacts/.a.png" "$artifacts/.b.png" null: 2>&1)
  rm -f "$artifacts/.a.png" "$artifacts/.b.png"
  whole=$(compare -metric AE -fuzz 3% "$shown" "$drawn" null: 2>&1)
  check "$what ($plot pixels of the lower plot and $whole of the whole differ)" \
    within_limits "$plot" "$whole"
}
within_limits() {  # PLOT WHOLE: both pixel counts, each within its limit
  [[ "$1" =~ ^[0-9]+$ && "$2" =~ ^[0-9]+$ ]] && [ "$1" -le "$max_plot_pixels" ] && [ "$2" -le "$max_picture_pixels" ]
}
same_picture models "the models picture matches vorsant-cli graph --kind models" graph merlot.vrs --kind models
same_picture compare "the comparison picture matches vorsant-cli compare -o" compare merlot.vrs syrah.vrs
e2e_done
