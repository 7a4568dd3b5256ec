#!/usr/bin/env bash
# Runs one Windows program under Wine in the project's prefix; CMake uses it
# as the emulator of the cross builds, so ctest runs the unit tests with it.
set -euo pipefail
source "$(dirname "$0")/wine-env.sh"
vorsant_wine_prefix
exec wine "$@"
