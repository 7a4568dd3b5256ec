#!/usr/bin/env bash
# Runs a command as on a fresh host that executes 32-bit programs but whose
# package mirror cannot give the i386 packages (a mirror being synchronised,
# say), to try bootstrap.sh's fallback without waiting for a bad day: apt
# refuses every i386 package (APT_CONFIG adds a pin of -1 for them), and in
# a mount namespace of its own Wine's 32-bit loader and wineserver are
# covered by empty files, as where wine32 was never installed. Needs root.
#
#   scripts/without_i386_packages.sh bash scripts/test.sh
set -euo pipefail
covered=(/usr/lib/wine/wine /usr/lib/wine/wineserver32)

if [ "${1:-}" = --inside ]; then
  empty=$2
  shift 2
  for file in "${covered[@]}"; do
    [ -e "$file" ] && mount --bind "$empty" "$file"
  done
  exec "$@"
fi

[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGUMENT...]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root for its mount namespace" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
: >"$work/empty"
chmod 644 "$work/empty"
cat >"$work/preferences" <<'EOF'
Package: *:i386
Pin: release *
Pin-Priority: -1
EOF
# apt reads its usual configuration first, then this file on top.
{
  [ -n "${APT_CONFIG:-}" ] && cat "$APT_CONFIG"
  echo "Dir::Etc::Preferences \"$work/preferences\";"
} >"$work/apt.conf"
export APT_CONFIG="$work/apt.conf"
unshare --mount --propagation private "$0" --inside "$work/empty" "$@"
