#!/usr/bin/env bash
# Builds everything and runs every test tier: the native unit tests, the same
# tests under ASan/UBSan, and the unit tests cross-built with mingw-w64 and
# run under Wine (64-bit and 32-bit). Ends with one summary line over all.
set -uo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh || exit 1

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
  ctest --preset "$preset" -j2 2>&1 | tee "$log"
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

if ((${#broken[@]})); then
  echo "failing: ${broken[*]}"
fi
echo "all tiers: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
