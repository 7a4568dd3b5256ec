#!/usr/bin/env bash
# Builds the installation package vorsant-<version>.msi with wixl and
# msitools.
#   build_msi.sh --exe vorsant.exe --dll plumeta.dll --version 6.1.0 --out DIR
#                [--tracking 0|1] [--endpoint http://host:port]
# --endpoint gives the package an OX_TR_ENDPOINT of its own; without it the
# library's built-in endpoint is used unless the command line sets one.
set -euo pipefail

here="$(cd "$(dirname "$0")" && pwd)"
exe="" dll="" version="" out="" tracking=1 endpoint=""
while (($#)); do
  case "$1" in
    --exe) exe="$2"; shift 2 ;;
    --dll) dll="$2"; shift 2 ;;
    --version) version="$2"; shift 2 ;;
    --out) out="$2"; shift 2 ;;
    --tracking) tracking="$2"; shift 2 ;;
    --endpoint) endpoint="$2"; shift 2 ;;
    *) echo "build_msi.sh: unknown argument $1" >&2; exit 2 ;;
  esac
done
for f in "$exe" "$dll"; do
  [ -f "$f" ] || { echo "build_msi.sh: missing input '$f'" >&2; exit 1; }
done
[ -n "$version" ] && [ -n "$out" ] || { echo "build_msi.sh: --version and --out are required" >&2; exit 2; }

mkdir -p "$out"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT

# The environment record: 1540 reserved zero bytes, then ScalePort = 1 as a
# 32-bit little-endian integer.
head -c 1540 /dev/zero >"$work/vorsant.dat"
printf '\001\000\000\000' >>"$work/vorsant.dat"
[ "$(stat -c %s "$work/vorsant.dat")" -eq 1544 ]

msi="$out/vorsant-$version.msi"
# wixl looks for sources relative to the .wxs, so everything meets in one folder.
cp "$exe" "$work/vorsant.exe"
cp "$dll" "$work/plumeta.dll"
cp "$here/vorsant.wxs" "$work/vorsant.wxs"
# plumeta's include files, written from the library's table of custom actions.
cmake -DOUT="$work/plumeta" -P "$here/plumeta/write_kit.cmake"
cp "$work"/plumeta/*.wxi "$work/"
(cd "$work" && wixl -a x64 -o package.msi \
  -D Version="$version" -D VorsantExe=vorsant.exe -D PlumetaDll=plumeta.dll \
  -D EnvironmentFile=vorsant.dat -D PlumetaEnable="$tracking" -D PlumetaApplicationId=vorsant-desktop vorsant.wxs)

# The ending actions of the three ends of the execute sequence: success
# (-1), cancellation (-2) and failure (-3).
source "$work/plumeta/plumeta_actions.sh"
queries=()
for end in "${plumeta_end_actions[@]}"; do
  queries+=(-q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('${end% *}', ${end#* })")
done
msibuild "$work/package.msi" "${queries[@]}"

# The environment file's component: 64-bit (256), permanent (16) and never
# overwritten (128).
msibuild "$work/package.msi" -q "UPDATE Component SET Attributes = 400 WHERE Component = 'EnvironmentFile'"

# A plain (not advertised) Start-menu shortcut to the program.
msibuild "$work/package.msi" -q "UPDATE Shortcut SET Target = '[#VorsantExe]' WHERE Shortcut = 'StartMenuShortcut'"

# Older versions found by the upgrade search are named in OLDPRODUCTS, the
# property the analytics reads to tell an upgrade from a first installation.
msibuild "$work/package.msi" \
  -q "UPDATE Upgrade SET ActionProperty = 'OLDPRODUCTS' WHERE ActionProperty = 'WIX_UPGRADE_DETECTED'" \
  -q "UPDATE Property SET Value = 'WIX_DOWNGRADE_DETECTED;OLDPRODUCTS' WHERE Property = 'SecureCustomProperties'"

if [ -n "$endpoint" ]; then
  msibuild "$work/package.msi" -q "INSERT INTO Property (Property, Value) VALUES ('OX_TR_ENDPOINT', '$endpoint')"
fi

mv "$work/package.msi" "$msi"
echo "$msi"
