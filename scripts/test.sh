#!/usr/bin/env bash
# Builds everything and runs every test tier: the native unit tests, the same
# tests under ASan/UBSan, and the unit tests cross-built with mingw-w64 and
# run under Wine (64-bit and 32-bit), then the end-to-end tests under Wine.
# Where this host cannot run 32-bit programs (or VORSANT_WINE_64_ONLY=1),
# the parts that need them are skipped by name and the 64-bit ones stand in
# where they can. Ends with one summary line over all of them.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh || exit 1

# wine-env.sh finds out once whether 32-bit programs run here; everything
# started below inherits its answer.
VORSANT_WINE_32=$(source scripts/wine-env.sh && echo "$VORSANT_WINE_32")
export VORSANT_WINE_32
no_wine_32=$(source scripts/wine-env.sh && vorsant_wine_32_reason)
skipped=()
skip() {
  echo "skipped: $1"
  skipped+=("$1")
}

# The collector's store tests also run against a PostgreSQL server of their own.
if PLUMETA_TEST_POSTGRES=$(bash scripts/pg_test_server.sh start); then
  export PLUMETA_TEST_POSTGRES
  trap 'bash scripts/pg_test_server.sh stop' EXIT
else
  skip "collector store tests on PostgreSQL (the test server did not start)"
fi

presets=(${VORSANT_TEST_PRESETS:-native native-asan mingw64 mingw32})
passed=0
failed=0
broken=()
for preset in "${presets[@]}"; do
  echo "=== $preset ==="
  if ! { cmake --preset "$preset" >/dev/null && cmake --build --preset "$preset"; }; then
    broken+=("$preset (build)")
    failed=$((failed + 1))
    continue
  fi
  log="build/$preset/ctest.log"
  only=()
  if [ "$preset" = mingw32 ] && [ "$VORSANT_WINE_32" != 1 ]; then
    # Only the checks that run on the build host (the DLL's tables).
    only=(-L host)
    skip "mingw32 unit tests under Wine ($no_wine_32)"
  fi
  # The unit tests under Wine share one prefix. Its server, as Debian starts
  # it, quits the moment its last program ends, and a test starting just
  # then loses its connection; held for the whole tier, it is always there.
  # The prefix's own background programs start with it here, so that they
  # hold no test's output open.
  held_server=""
  if [[ "$preset" = mingw* ]] && ((${#only[@]} == 0)); then
    (source scripts/wine-env.sh && vorsant_wine_prefix && wineserver -p &&
      wine cmd /c exit </dev/null >/dev/null 2>&1) && held_server=1
  fi
  ctest --preset "$preset" -j2 "${only[@]}" 2>&1 | tee "$log"
  [ -z "$held_server" ] || (source scripts/wine-env.sh && wineserver -k) 2>/dev/null
  line=$(grep -E '^[0-9]+% tests passed, [0-9]+ tests failed out of [0-9]+' "$log" | tail -1)
  if [ -z "$line" ]; then
    broken+=("$preset (no test ran)")
    failed=$((failed + 1))
    continue
  fi
  f=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\1/' <<<"$line")
  t=$(sed -E 's/.* ([0-9]+) tests failed out of ([0-9]+).*/\2/' <<<"$line")
  passed=$((passed + t - f))
  failed=$((failed + f))
  [ "$f" -eq 0 ] || broken+=("$preset")
done

# End-to-end tier: the real programs under Wine and Xvfb, the balance
# simulator on pseudo-terminals. Each script ends with "N passed, M failed";
# one that prints no such line counts as one test judged by its exit code.
e2e=(
  "scripts/e2e/scale_cli_collect.sh build/native"
  "scripts/e2e/report_html.sh build/native"
  "scripts/e2e/scale_com_port.sh build/native build/mingw64"
  "scripts/e2e/vorsant_ui.sh build/mingw64"
  "scripts/e2e/vorsant_models.sh build/mingw64"
  "scripts/e2e/vorsant_dpi.sh build/mingw64"
  "scripts/e2e/vorsant_collect.sh build/mingw64 build/native"
  "scripts/e2e/plumeta_msi.sh build/mingw32 build/mingw64"
  "scripts/e2e/collector_msi.sh build/mingw32 build/mingw64 build/native"
  "scripts/fuzz.sh"
)
# Within the whole suite the fuzz targets get a brief run each, which keeps
# the suite within its half hour; scripts/fuzz.sh alone runs them longer.
export VORSANT_FUZZ_SECONDS="${VORSANT_FUZZ_SECONDS:-10}"
if [ -z "${VORSANT_SKIP_E2E:-}" ]; then
  mkdir -p build/artifacts
  for entry in "${e2e[@]}"; do
    read -r script args <<<"$entry"
    name=$(basename "$script" .sh)
    echo "=== e2e: $name ==="
    log="build/artifacts/$name.log"
    timeout 900 bash $script $args 2>&1 | tee "$log"
    rc=${PIPESTATUS[0]}
    line=$(grep -oE '[0-9]+ passed, [0-9]+ failed' "$log" | tail -1)
    if [ -n "$line" ]; then
      p=${line%% passed*}
      f=$(sed -E 's/.* ([0-9]+) failed/\1/' <<<"$line")
    elif [ "$rc" -eq 0 ]; then
      p=1 f=0
    else
      p=0 f=1
    fi
    [ "$rc" -eq 0 ] || [ "$f" -gt 0 ] || f=1
    # A script names each part it could not run on a line of its own.
    while IFS= read -r part; do
      skipped+=("$part")
    done < <(sed -n 's/^skipped: //p' "$log")
    passed=$((passed + p))
    failed=$((failed + f))
    [ "$f" -eq 0 ] || broken+=("e2e $name")
  done
fi

for part in "${skipped[@]}"; do
  echo "skipped: $part"
done
if ((${#broken[@]})); then
  echo "failing: ${broken[*]}"
fi
echo "total: $passed passed, $failed failed, ${#skipped[@]} skipped"
[ "$failed" -eq 0 ]
