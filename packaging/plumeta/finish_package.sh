#!/usr/bin/env bash
# What wixl cannot say of plumeta's analytics, added to a package it built
# with plumeta_actions.wxi (msitools' msibuild):
#   finish_package.sh PACKAGE.msi                         the three end actions
#   finish_package.sh PACKAGE.msi --embedded-ui plumeta.dll   the embedded UI handler instead
# It takes the end actions' names from plumeta_actions.sh beside it (the
# folder write_kit.cmake writes). Both make OX_TR_ENABLE and OX_TR_ENDPOINT secure, so that a command line's
# values reach the execute sequence of an elevated per-machine installation.
set -euo pipefail
msi=${1:?usage: finish_package.sh PACKAGE.msi [--embedded-ui plumeta.dll]}
ui_dll=""
if [ "${2:-}" = --embedded-ui ]; then ui_dll=${3:?--embedded-ui needs the library}; fi
[ -f "$msi" ] || { echo "finish_package.sh: no package $msi" >&2; exit 1; }
here=$(cd "$(dirname "$0")" && pwd)
[ -f "$here/plumeta_actions.sh" ] ||
  { echo "finish_package.sh: no plumeta_actions.sh beside it; run it from the folder write_kit.cmake writes" >&2; exit 1; }
source "$here/plumeta_actions.sh"

secure=$(msiinfo export "$msi" Property | tr -d '\r' | awk -F'\t' '$1 == "SecureCustomProperties" { print $2 }')
if [ -n "$secure" ]; then
  msibuild "$msi" -q "UPDATE Property SET Value = '$secure;OX_TR_ENABLE;OX_TR_ENDPOINT' WHERE Property = 'SecureCustomProperties'"
else
  msibuild "$msi" -q "INSERT INTO Property (Property, Value) VALUES ('SecureCustomProperties', 'OX_TR_ENABLE;OX_TR_ENDPOINT')"
fi

if [ -z "$ui_dll" ]; then
  # The ends of the execute sequence: success (-1), cancellation (-2),
  # failure (-3). Each sends what was gathered, or deletes it.
  queries=()
  for end in "${plumeta_end_actions[@]}"; do
    queries+=(-q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('${end% *}', ${end#* })")
  done
  msibuild "$msi" "${queries[@]}"
  exit 0
fi

# The library as the package's embedded UI handler (attribute 1: the
# handler's DLL), shown the messages it reads: error (2), warning (4),
# information (16), action start (256) and install end (1 << 27).
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir "$work/MsiEmbeddedUI"
cp "$ui_dll" "$work/MsiEmbeddedUI/plumeta.dll"
printf 'MsiEmbeddedUI\tFileName\tAttributes\tMessageFilter\tData\ns72\ts72\ti2\tI4\tv0\nMsiEmbeddedUI\tMsiEmbeddedUI\nPlumetaUI\tplumeta.dll\t1\t%d\tplumeta.dll\n' \
  $((2 + 4 + 16 + 256 + (1 << 27))) >"$work/MsiEmbeddedUI.idt"
msi=$(realpath "$msi")
(cd "$work" && msibuild "$msi" -i MsiEmbeddedUI.idt)
