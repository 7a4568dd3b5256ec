#!/usr/bin/env bash
# The exported report as its readers see it: vorsant-cli report --html on the
# sample trial, rendered by headless Chromium to PDF on A4 and on Letter and
# to a PNG. Checks the page count, that the verdict opens the first page
# with the models' picture, that every sentence of the verdict, every row of
# the models table (at 9 pt or more) and every line of the report's panels is
# in the PDF's text layer, that no text runs past the page's margin (no cut
# column), that each large graph stays on one page with its heading, and
# that the page references nothing outside itself.
# The PDFs, their pages as PNG and the screenshot stay in
# build/artifacts/report_html/ to be looked at.
#
# usage: scripts/e2e/report_html.sh [NATIVE_BUILD_DIR]   (default build/native)
set -euo pipefail
source "$(dirname "$0")/lib.sh"
e2e_name="report html"
cd "$e2e_repo"
build=${1:-build/native}
cli=$build/bin/vorsant-cli
[ -x "$cli" ] || cmake --build "$build" --target vorsant-cli -j2

art=$PWD/build/artifacts/report_html
rm -rf "$art"
mkdir -p "$art"
work=$e2e_work

bash scripts/e2e/make_sample_trial.sh "$cli" "$work/Merlot.vrs"
"$cli" report "$work/Merlot.vrs" --html -o "$art/report.html"
"$cli" report "$work/Merlot.vrs" >"$work/lines.txt"
"$cli" models "$work/Merlot.vrs" >"$work/models.txt"
"$cli" models "$work/Merlot.vrs" --json >"$work/models.json"

check "the page loads nothing from outside" python3 - "$art/report.html" <<'PY'
import re, sys
page = open(sys.argv[1], encoding="utf-8").read()
found = re.findall(r"https?:|src=|href=|@import|url\((?!\s*['\"]?data:)|<script|<link|<img|<iframe", page, re.I)
for f in found:
    print("external reference:", f, file=sys.stderr)
sys.exit(1 if found else 0)
PY
check "the page is UTF-8" grep -q '<meta charset="utf-8">' "$art/report.html"

# The page leaves the paper size to the printer; each run picks one.
for paper in A4 Letter; do
  sed "s|</head>|<style>@page { size: $paper; }</style></head>|" "$art/report.html" >"$work/$paper.html"
  e2e_chromium --no-pdf-header-footer --print-to-pdf="$art/report-$paper.pdf" "file://$work/$paper.html" >/dev/null || true
  pdf="$art/report-$paper.pdf"
  if [ ! -s "$pdf" ]; then
    check "Chromium prints the page on $paper" false
    continue
  fi
  pdftoppm -r 60 -png "$pdf" "$art/page-$paper"
  pdftotext -layout "$pdf" "$work/$paper.txt"
  pdftotext -bbox "$pdf" "$work/$paper.bbox.html"

  check "$paper: four pages" test "$(pdfinfo "$pdf" | awk '/^Pages:/ {print $2}')" -eq 4
  # Compared with runs of blanks taken as one: the layout mode spaces the
  # columns from the glyph positions.
  check "$paper: the first page opens with the verdict and shows the models' picture" python3 - \
    "$work/$paper.txt" <<'PY'
import sys
first = open(sys.argv[1], encoding="utf-8").read().split("\f")[0]
sys.exit(0 if first.find("Verdict") < first.find("Fouling Models") and "End of the trial's data" in first else 1)
PY
  check "$paper: every verdict sentence and every models row is in the text layer" python3 - "$work/models.json" \
    "$work/models.txt" "$work/$paper.txt" <<'PY'
import json, re, sys
norm = lambda s: re.sub(r"\s+", " ", s).strip()
lines = [norm(l) for l in open(sys.argv[3], encoding="utf-8")]
whole = norm(" ".join(lines))
missing = [t for t in json.load(open(sys.argv[1], encoding="utf-8"))["verdict"]["text"] if norm(t) not in whole]
# A models row: its name wraps in its cell, its figures (less the sizing
# columns the report leaves out) stay on one line.
table = open(sys.argv[2], encoding="utf-8").read().split("\n\n", 1)[1].splitlines()
for row in (r for r in table if re.match(r"[* ] (Complete|Standard|Intermediate|Cake|Power)", r)):
    m = re.match(r"[* ] (.{36})(.*)", row)
    figures = " ".join(m.group(2).split()[:-2])
    if not any(figures in l for l in lines):
        missing.append(row)
for t in missing:
    print("missing:", t, file=sys.stderr)
sys.exit(1 if missing else 0)
PY
  check "$paper: the models table prints at 9 pt or more" python3 - "$work/$paper.bbox.html" <<'PY'
import re, sys
doc = open(sys.argv[1], encoding="utf-8").read()
# A 9 pt line of the sans-serif face is 10.4 pt high in the text layer.
w = re.search(r'yMin="([\d.]+)" xMax="[\d.]+" yMax="([\d.]+)">Capacity<', doc)
sys.exit(0 if w and float(w.group(2)) - float(w.group(1)) >= 10.4 else 1)
PY
  check "$paper: every line of the report's panels is in the text layer" python3 - "$work/lines.txt" \
    "$work/$paper.txt" <<'PY'
import re, sys
norm = lambda s: re.sub(r"\s+", " ", s).strip()
text = [norm(l) for l in open(sys.argv[2], encoding="utf-8")]
missing = [l for l in map(norm, open(sys.argv[1], encoding="utf-8")) if l and not any(l in t for t in text)]
for l in missing:
    print("missing:", l, file=sys.stderr)
sys.exit(1 if missing else 0)
PY
  check "$paper: nothing past the margins, nothing shrunk" python3 - "$work/$paper.bbox.html" <<'PY'
import re, sys
doc = open(sys.argv[1], encoding="utf-8").read()
margin = 12 / 25.4 * 72  # the page's 12 mm, in points
bad = []
for page in re.finditer(r'<page width="([\d.]+)" height="[\d.]+">(.*?)</page>', doc, re.S):
    width = float(page.group(1))
    for w in re.finditer(r'xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">([^<]*)<', page.group(2)):
        if float(w.group(1)) < margin - 1 or float(w.group(2)) > width - margin + 1:
            bad.append(w.group(3))
for b in bad:
    print("outside the margin:", b, file=sys.stderr)
# Chromium shrinks a page that is too wide as a whole instead of cutting
# it: the table panel's fixed pitch (7.5 pt DejaVu Sans Mono, 4.5 pt a
# character) shows whether it did.
lab = re.search(r'xMin="([\d.]+)" yMin="[\d.]+" xMax="([\d.]+)" yMax="[\d.]+">Laboratory<', doc)
pitch = (float(lab.group(2)) - float(lab.group(1))) / 10 if lab else 0
if pitch < 4.4:
    print("printed shrunk: a character of the table panel is %.2f pt" % pitch, file=sys.stderr)
sys.exit(1 if bad or pitch < 4.4 else 0)
PY
  # A graph cut by a page break would leave its axis title or its legend
  # on another page than its heading.
  for graph in "Lab Scale Graph:Unused Data" "Production Scale Graph:Max Resistance"; do
    heading=${graph%%:*}
    legend=${graph#*:}
    check "$paper: $heading whole on one page" python3 - "$work/$paper.txt" "$heading" "$legend" <<'PY'
import sys
pages = open(sys.argv[1], encoding="utf-8").read().split("\f")
page = next((p for p in pages if sys.argv[2] in p), "")
sys.exit(0 if all(t in page for t in (sys.argv[3], "V/A (m)", "Merlot - K250")) else 1)
PY
  done
done

e2e_chromium --screenshot="$art/report.png" --window-size=760,2400 "file://$art/report.html" >/dev/null || true
check "Chromium takes a screenshot of the page" test -s "$art/report.png"
e2e_done
