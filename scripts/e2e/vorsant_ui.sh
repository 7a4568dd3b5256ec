#!/usr/bin/env bash
# End-to-end test of vorsant.exe under Wine and Xvfb: the test driver creates
# a trial through the conditions dialog (a decimal comma refused), types its
# points into the data dialog (readings pasted with a comma), opens both
# large graphs, saves, closes, reopens, tries a read-only file and the Close
# question, and exits it;
# screenshots, the reports and the graph pictures land in
# build/artifacts/e2e-ui/.
# Usage: scripts/e2e/vorsant_ui.sh [BUILD_DIR]   (default build/mingw64)
# The native command-line tool ($VORSANT_CLI, default build/native/bin/
# vorsant-cli) makes a sample trial with data for the driver to open and
# prints the reports the windows must show.
# Ends with "e2e-ui: N passed, M failed" and exits non-zero on any failure.
set -uo pipefail
source "$(dirname "$0")/wine_desktop.sh"
e2e_name=e2e-ui
cd "$repo_root"

build="${1:-build/mingw64}"
program="$build/bin/vorsant.exe"
driver="$build/bin/vorsant_e2e.exe"
artifacts="$repo_root/build/artifacts/e2e-ui"
for f in "$program" "$driver"; do
  [ -f "$f" ] || give_up "missing $f (build the mingw64 preset first)"
done
cli="${VORSANT_CLI:-build/native/bin/vorsant-cli}"
[ -x "$cli" ] || give_up "missing $cli (build the native preset first)"
rm -rf "$artifacts"
mkdir -p "$artifacts"
bash scripts/e2e/make_sample_trial.sh "$cli" "$artifacts/merlot.vrs" || give_up "the sample trial is made"

e2e_start_display || give_up "Xvfb starts"
e2e_prepare_prefix || give_up "the Wine prefix is prepared"
# The desktop writes a decimal comma: refused where typed, read in a paste.
e2e_decimal_comma

stop="$artifacts/.stop"
e2e_spawn e2e_serve_screenshots "$artifacts" "$stop"
watcher=$e2e_pid

e2e_run_driven "$artifacts/vorsant.log" "$artifacts/driver.log" 240 -- "$(winepath -w "$artifacts")" \
  "$(winepath -w "$artifacts/chardonnay.vrs")" "$(winepath -w "$artifacts/merlot.vrs")"

touch "$stop"
wait "$watcher" 2>/dev/null

check_lines "$artifacts/driver.log"
e2e_program_ended "$program_pid"
check "the driver ends with exit status 0" test "$driver_rc" -eq 0

# What the windows showed must be exactly what the command-line tool prints
# for the same files: the summary panel, then the table.
compare_report() {
  local name="$1" file="$2"
  if [ ! -f "$artifacts/$name.memo1.txt" ]; then
    check_fail "no panels were read for $name"
    return
  fi
  { tr -d '\r' <"$artifacts/$name.memo1.txt"; echo; tr -d '\r' <"$artifacts/$name.memo2.txt"; echo; } \
    >"$artifacts/$name.shown.txt"
  "$cli" report "$file" >"$artifacts/$name.cli.txt" 2>&1
  check "the panels of $name equal vorsant-cli report (differences in $name.diff)" \
    diff "$artifacts/$name.shown.txt" "$artifacts/$name.cli.txt"
}
compare_report entered "$artifacts/chardonnay.vrs"
compare_report chardonnay "$artifacts/chardonnay.vrs"
compare_report sample "$artifacts/merlot.vrs"

# The graph windows' pictures against the command-line tool's SVG of the
# saved file, rendered to PNG. The plot fill, the curve, the points and the
# maximum-resistance line have colours of their own and both renderings set
# their pixels exactly, so each colour must cover the same pixels in both.
# Text is drawn with different fonts, so the picture as a whole may differ a
# little, in the text only. NAME.side_by_side.png shows both.
max_text_pixels=5000   # of 420000
max_colour_pixels=4
colour_pixels() {  # IMAGE COLOUR OUT: OUT is white where IMAGE has COLOUR
  convert "$1" -alpha off -fill black +opaque "$2" -fill white -opaque "$2" "$3"
}
compare_graph() {
  local name="$1" kind="$2" file="$3" differing colour bad=""
  local shown="$artifacts/$name.window.png" drawn="$artifacts/$name.svg.png"
  if [ ! -f "$artifacts/$name.window.bmp" ]; then
    check_fail "no picture was captured of $name"
    return
  fi
  convert "$artifacts/$name.window.bmp" "$shown" && rm -f "$artifacts/$name.window.bmp"
  "$cli" graph "$file" --kind "$kind" -o "$artifacts/$name.svg" &&
    rsvg-convert -b white "$artifacts/$name.svg" -o "$drawn" ||
    { check_fail "vorsant-cli graph --kind $kind"; return; }
  convert "$shown" "$drawn" +append "$artifacts/$name.side_by_side.png"
  for colour in "rgb(255,255,240)" "rgb(100,149,237)" "rgb(0,128,0)" "rgb(178,34,34)" "rgb(0,0,255)"; do
    colour_pixels "$shown" "$colour" "$artifacts/.a.png"
    colour_pixels "$drawn" "$colour" "$artifacts/.b.png"
    differing=$(compare -metric AE "$artifacts/.a.png" "$artifacts/.b.png" null: 2>&1)
    if ! [[ "$differing" =~ ^[0-9]+$ ]] || [ "$differing" -gt "$max_colour_pixels" ]; then
      bad="$bad $colour: $differing pixels;"
    fi
  done
  rm -f "$artifacts/.a.png" "$artifacts/.b.png"
  differing=$(compare -metric AE -fuzz 3% "$shown" "$drawn" "$artifacts/$name.diff.png" 2>&1 >/dev/null)
  if ! [[ "$differing" =~ ^[0-9]+$ ]] || [ "$differing" -gt "$max_text_pixels" ]; then
    bad="$bad the whole picture: $differing pixels;"
  fi
  if [ -z "$bad" ]; then
    e2e_result 0 "the $name window matches vorsant-cli graph ($differing pixels of text differ)"
  else
    check_fail "the $name window matches vorsant-cli graph" "it differs in$bad see $name.side_by_side.png"
  fi
}
compare_graph lab_graph lab "$artifacts/chardonnay.vrs"
compare_graph production_graph production "$artifacts/chardonnay.vrs"
e2e_done
