#!/usr/bin/env bash
# Builds the libFuzzer targets in their own clang tree (preset fuzz) and runs
# each one for a short, fixed time from its seeds in fuzz/corpus/<target>/.
# A target that runs clean counts as a passed test; a crash, a leak, a
# sanitizer report or a slow input (see the limits below) as a failed one, whose
# input is kept as build/artifacts/fuzz/<target>-crash-*, -leak-* or
# -timeout-*. Ends with "fuzz: N passed, M failed".
#   VORSANT_FUZZ_SECONDS   seconds per program target (20); the analytics
#                          and collector targets run half as long
#   VORSANT_FUZZ_TARGETS   the targets to run (all)
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/e2e/lib.sh
e2e_name=fuzz

seconds=${VORSANT_FUZZ_SECONDS:-20}
short=$(((seconds + 1) / 2))
# The program's targets run the analysis, whose power-model search may take
# its full million steps on a hostile record: well under a second in the
# product, about a second and a half under the sanitizers for the two runs of
# one record. They get 5 s per input, the analytics targets 1 s.
declare -A limit=([trial_record]=5 [balance_reply]=5 [points_csv]=5)
declare -A budget=(
  [trial_record]=$seconds [balance_reply]=$seconds [points_csv]=$seconds
  [profile_text]=$short [session_flush]=$short [form_body]=$short [embedded_ui]=$short [collector_body]=$short
)
targets=(${VORSANT_FUZZ_TARGETS:-trial_record balance_reply points_csv profile_text session_flush form_body embedded_ui collector_body})

artifacts=build/artifacts/fuzz
mkdir -p "$artifacts"
if ! { cmake --preset fuzz >/dev/null && cmake --build --preset fuzz --target fuzz_all; }; then
  give_up "the fuzz targets build"
fi

# The analytics targets write their files under TMPDIR: memory is quicker.
if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi

for t in "${targets[@]}"; do
  # A fresh copy of the seeds each time, so a run is repeatable.
  work=build/fuzz/corpus/$t
  rm -rf "$work"
  mkdir -p "$work"
  log=$artifacts/$t.log
  echo "--- fuzz_$t: ${budget[$t]} s"
  build/fuzz/bin/fuzz_"$t" -seed=1 -max_total_time="${budget[$t]}" -timeout="${limit[$t]:-1}" -rss_limit_mb=2048 \
    -artifact_prefix="$artifacts/$t-" -print_final_stats=1 "$work" "fuzz/corpus/$t" >"$log" 2>&1
  rc=$?
  if [ "$rc" -eq 0 ]; then
    e2e_result 0 "fuzz_$t runs clean"
    grep -E '^Done [0-9]+ runs' "$log" | sed 's/^/#   /' || true
  else
    check_fail "fuzz_$t runs clean" "exit status $rc; log $log" \
      "$(grep -E 'ERROR|SUMMARY|runtime error|Test unit written' "$log" | head -20)"
  fi
done
e2e_done
