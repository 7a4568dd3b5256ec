#!/usr/bin/env bash
# Writes a sample trial with 20 measured points, analysed, to $2 using the
# command-line tool $1 (vorsant-cli): a Merlot through a K250 sheet whose flow
# slows as the sheet fouls.
# Usage: scripts/e2e/make_sample_trial.sh VORSANT_CLI OUT.vrs
set -euo pipefail
cli="$1"
out="$2"
csv="$(mktemp)"
trap 'rm -f "$csv"' EXIT
# Cumulative volume 1200 * (1 - exp(-t / 400)) ml, one reading every 30 s.
python3 - >"$csv" <<'PY'
import math
print("volume_ml,minutes,seconds")
for k in range(1, 21):
    t = 30 * k
    print(f"{1200 * (1 - math.exp(-t / 400)):.1f},{t // 60},{t % 60}")
PY
"$cli" new -o "$out" --wine Merlot --filter K250 --lab-pressure 30 --diameter 47 --max-pressure 30 \
  --area 20 --rate 40 --units bpm >/dev/null
"$cli" data "$out" --csv "$csv" >/dev/null
