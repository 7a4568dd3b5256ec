#!/usr/bin/env bash
# Builds vorsant.exe and vorsant-cli and starts the program under Wine with a
# sample trial open. With a DISPLAY it runs there until you close it; without
# one it runs under Xvfb for a while and leaves a screenshot in
# build/artifacts/run/vorsant.png.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/bootstrap.sh
for preset in native mingw64; do
  cmake --preset "$preset" >/dev/null
done
cmake --build --preset native --target vorsant-cli
cmake --build --preset mingw64 --target vorsant

exec bash scripts/e2e/start_vorsant.sh build/mingw64
