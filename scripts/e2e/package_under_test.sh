#!/usr/bin/env bash
# Brings the installation package the end-to-end tests install up to date
# and prints its path. Where Wine runs 32-bit programs it is the package as
# shipped: the i686 plumeta.dll (target vorsant_msi of the i686 tree). Where
# it cannot, it is the same package with the x86_64 plumeta.dll, built in the
# x86_64 tree. Either way the program is the x86_64 vorsant.exe.
#
# usage: scripts/e2e/package_under_test.sh MINGW32_BUILD_DIR MINGW64_BUILD_DIR
#   both trees configured; build output goes to stderr.
set -euo pipefail
cd "$(dirname "$0")/../.."
mingw32=$1
mingw64=$2
version=$(sed -nE 's/^project\(vorsant VERSION ([0-9.]+).*/\1/p' CMakeLists.txt)
source scripts/wine-env.sh

if [ "$VORSANT_WINE_32" = 1 ]; then
  cmake --build "$mingw64" --target vorsant -j2 >&2
  cmake -S . -B "$mingw32" -DVORSANT_EXE="$(realpath "$mingw64/bin/vorsant.exe")" >/dev/null
  cmake --build "$mingw32" --target vorsant_msi -j2 >&2
  msi=$mingw32/bin/vorsant-$version.msi
else
  cmake --build "$mingw64" --target vorsant plumeta -j2 >&2
  msi=$(bash packaging/build_msi.sh --exe "$mingw64/bin/vorsant.exe" --dll "$mingw64/bin/plumeta.dll" \
    --version "$version" --out "$mingw64/bin" | tail -1)
fi
[ -f "$msi" ] || { echo "no package at $msi" >&2; exit 1; }
echo "$msi"
