#!/usr/bin/env bash
# Builds everything and runs every test tier: the native unit tests, the same
# tests under ASan/UBSan, and the unit tests cross-built with mingw-w64 and
# run under Wine (64-bit and 32-bit), then the end-to-end tests under Wine.
# Where this host cannot run 32-bit programs (or VORSANT_WINE_64_ONLY=1, or
# Wine's 32-bit part could not be installed), the parts that need them are
# skipped by name and the 64-bit ones stand in where they can. Ends with each
# tier's wall time and one summary line over all of them.
#
# The trees the Wine tiers need are built once, first. Then the work that
# only loads the cores (the sanitizer tree's build and tests, the fuzz
# targets) runs beside the Wine tiers, which spend most of their time
# waiting for windows and installers; every Wine check waits for the state
# it checks, so the load slows them but does not decide them.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh || exit 1

# wine-env.sh finds out once whether 32-bit programs run here; everything
# started below inherits its answer.
VORSANT_WINE_32=$(source scripts/wine-env.sh && echo "$VORSANT_WINE_32")
export VORSANT_WINE_32
no_wine_32=$(source scripts/wine-env.sh && vorsant_wine_32_reason)

# Every tier writes its result to a file of its own here, so that tiers run
# in the background count like the others: "PASSED FAILED SECONDS", then
# "skipped: ..." lines and "broken: ..." lines.
results=build/test-results
rm -rf "$results"
mkdir -p "$results" build/artifacts

# record NAME PASSED FAILED START [BROKEN]
record() {
  local file="$results/$(printf '%02d' "$(ls "$results" | wc -l)")-$1"
  echo "$2 $3 $((SECONDS - $4))" >"$file"
  [ -z "${5:-}" ] || echo "broken: $5" >>"$file"
}
skip() {
  echo "skipped: $1"
  echo "skipped: $1" >>"$results/00-skips"
}

# The collector's store tests also run against a PostgreSQL server of their own.
if PLUMETA_TEST_POSTGRES=$(bash scripts/pg_test_server.sh start); then
  export PLUMETA_TEST_POSTGRES
  trap 'bash scripts/pg_test_server.sh stop' EXIT
else
  skip "collector store tests on PostgreSQL (the test server did not start)"
fi

presets=(${VORSANT_TEST_PRESETS:-native native-asan mingw64 mingw32})
has_preset() {
  [[ " ${presets[*]} " == *" $1 "* ]]
}

# Where Wine runs no 32-bit program, the i686 tree gives only what is
# checked on the build host and what the package needs.
ctest_only=()
build_only=()
if [ "$VORSANT_WINE_32" != 1 ]; then
  ctest_only=(-L host)
  build_only=(--target plumeta)
fi

# build PRESET: configures and builds; records a broken build.
declare -A built=()
build() {
  local preset=$1 start=$SECONDS targets=()
  [ "$preset" = mingw32 ] && targets=("${build_only[@]}")
  echo "=== build $preset ==="
  if cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset" "${targets[@]}"; then
    built[$preset]=1
    record "build-$preset" 0 0 "$start"
  else
    record "build-$preset" 0 1 "$start" "$preset (build)"
  fi
}

# unit PRESET: runs the tree's tests with ctest.
unit() {
  local preset=$1 start=$SECONDS only=() held_server=""
  [ -n "${built[$preset]:-}" ] || return 0
  echo "=== $preset ==="
  if [ "$preset" = mingw32 ] && [ "$VORSANT_WINE_32" != 1 ]; then
    only=("${ctest_only[@]}")
    skip "mingw32 unit tests under Wine ($no_wine_32)"
  fi
  # The unit tests under Wine share one prefix. Its server, as Debian starts
  # it, quits the moment its last program ends, and a test starting just
  # then loses its connection; held for the whole tier, it is always there.
  # The prefix's own background programs start with it here, so that they
  # hold no test's output open.
  if [[ "$preset" = mingw* ]] && ((${#only[@]} == 0)); then
    (source scripts/wine-env.sh && vorsant_wine_prefix && wineserver -p &&
      wine cmd /c exit </dev/null >/dev/null 2>&1) && held_server=1
  fi
  local log="build/$preset/ctest.log"
  ctest --preset "$preset" -j2 "${only[@]}" >"$log" 2>&1
  [ -z "$held_server" ] || (source scripts/wine-env.sh && wineserver -k) 2>/dev/null
  cat "$log"
  # Each GoogleTest case is a ctest entry of its own: the counts are of
  # cases. A case GoogleTest skipped is in ctest's total but not passed.
  local line f t s name failing
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    record "$preset" 0 1 "$start" "$preset (no test ran)"
    return
  fi
  f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  s=0
  while IFS= read -r name; do
    skip "$preset: $name"
    s=$((s + 1))
  done < <(sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \((Skipped|Disabled)\)$/\1/p' "$log")
  if [ "$f" -eq 0 ]; then
    record "$preset" "$((t - f - s))" 0 "$start"
  else
    # ctest names each case that failed, timed out, crashed or did not start.
    failing=$(sed -nE 's/^[[:space:]]+[0-9]+ - (.*) \((Failed|Timeout|SEGFAULT|Exception|Not Run|[A-Za-z ]+aborted)\)$/\1/p' \
      "$log" | paste -sd, | sed 's/,/, /g')
    record "$preset" "$((t - f - s))" "$f" "$start" "$preset: $failing"
  fi
}

# script NAME COMMAND...: a script of the end-to-end harness
# (scripts/e2e/lib.sh), which prints one line per check, "ok N - title" or
# "not ok N - title"; only those lines are counted. A script that exits
# non-zero without a failed check (killed by the timeout, say), or that
# runs no check, counts one failure more. A script names each part it could
# not run on a line "skipped: ...".
script() {
  local name=$1 start=$SECONDS
  shift
  echo "=== e2e: $name ==="
  local log="build/artifacts/$name.log"
  timeout 900 bash "$@" >"$log" 2>&1
  local rc=$? p f
  cat "$log"
  p=$(grep -cE '^ok [0-9]+ - ' "$log")
  f=$(grep -cE '^not ok [0-9]+ - ' "$log")
  if [ "$((p + f))" -eq 0 ] || { [ "$rc" -ne 0 ] && [ "$f" -eq 0 ]; }; then
    f=$((f + 1))
  fi
  sed -n 's/^skipped: /skipped: /p' "$log" >>"$results/00-skips"
  if [ "$f" -eq 0 ]; then
    record "$name" "$p" 0 "$start"
  else
    record "$name" "$p" "$f" "$start" "e2e $name"
  fi
}

# 1. Every tree the Wine tiers need, once.
for preset in "${presets[@]}"; do
  [ "$preset" = native-asan ] || build "$preset"
done
has_preset native && unit native

# 2. The load beside the Wine tiers: the sanitizer tree, built and tested,
# then the fuzz targets (a brief run each within the suite; scripts/fuzz.sh
# alone runs them longer).
export VORSANT_FUZZ_SECONDS="${VORSANT_FUZZ_SECONDS:-10}"
(
  if has_preset native-asan; then
    build native-asan
    unit native-asan
  fi
  [ -n "${VORSANT_SKIP_E2E:-}" ] || script fuzz scripts/fuzz.sh
) >build/artifacts/cpu-lane.log 2>&1 &
cpu_lane=$!

# 3. The Wine tiers and the end-to-end scripts, one at a time.
has_preset mingw64 && unit mingw64
has_preset mingw32 && unit mingw32
if [ -z "${VORSANT_SKIP_E2E:-}" ]; then
  script e2e_harness scripts/e2e/lib_test.sh
  script scale_cli_collect scripts/e2e/scale_cli_collect.sh build/native
  script report_html scripts/e2e/report_html.sh build/native
  script scale_com_port scripts/e2e/scale_com_port.sh build/native build/mingw64
  script vorsant_ui scripts/e2e/vorsant_ui.sh build/mingw64
  script vorsant_models scripts/e2e/vorsant_models.sh build/mingw64
  script vorsant_dpi scripts/e2e/vorsant_dpi.sh build/mingw64
  script vorsant_collect scripts/e2e/vorsant_collect.sh build/mingw64 build/native
  script plumeta_msi scripts/e2e/plumeta_msi.sh build/mingw32 build/mingw64
  script collector_msi scripts/e2e/collector_msi.sh build/mingw32 build/mingw64 build/native
  script collector_https scripts/e2e/collector_https.sh build/mingw32 build/mingw64 build/native
fi
wait "$cpu_lane"
echo "=== beside the Wine tiers: native-asan and fuzz ==="
cat build/artifacts/cpu-lane.log

# 4. The summary: each tier's wall time, every skip, every failure, the total.
passed=0
failed=0
broken=()
echo "=== wall time of each tier ==="
for file in "$results"/[0-9]*-*; do
  case "$file" in *-skips) continue ;; esac
  read -r p f s <"$file"
  passed=$((passed + p))
  failed=$((failed + f))
  echo "time: ${file##*/[0-9][0-9]-} $s s"
  while IFS= read -r line; do broken+=("${line#broken: }"); done < <(grep '^broken: ' "$file")
done
echo "time: the whole suite $SECONDS s"
nskipped=0
if [ -f "$results/00-skips" ]; then
  nskipped=$(wc -l <"$results/00-skips")
  cat "$results/00-skips"
fi
if ((${#broken[@]})); then
  echo "failing: ${broken[*]}"
fi
echo "total: $passed passed, $failed failed, $nskipped skipped"
[ "$failed" -eq 0 ]
