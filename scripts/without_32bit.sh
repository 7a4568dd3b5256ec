#!/usr/bin/env bash
# Runs a command as on a host whose kernel refuses 32-bit programs, to try
# the scripts' 64-bit path without forcing it: in a mount namespace of its
# own, Wine's 32-bit loader, the 32-bit wineserver, the 32-bit dynamic
# loader and bootstrap.sh's i386 probe are covered by copies whose ELF header
# names another processor, so that executing any of them fails with "Exec
# format error" as it does there. Needs root (a mount namespace and bind
# mounts).
#
#   scripts/without_32bit.sh bash scripts/test.sh
set -euo pipefail
source "$(dirname "$0")/host-probe.sh"
probe=$(vorsant_i386_probe_path)
[ -f "$probe" ] || vorsant_write_i386_probe "$probe"
covered=(/usr/lib/wine/wine /usr/lib/wine/wineserver32 /lib/ld-linux.so.2 "$probe")

if [ "${1:-}" = --inside ]; then
  copies=$2
  shift 2
  for file in "${covered[@]}"; do
    [ -e "$file" ] && mount --bind "$copies/$(basename "$file")" "$file"
  done
  exec "$@"
fi

[ $# -gt 0 ] || { echo "usage: $0 COMMAND [ARGUMENT...]" >&2; exit 2; }
[ "$(id -u)" -eq 0 ] || { echo "$0: needs root for its mount namespace" >&2; exit 2; }
copies=$(mktemp -d)
trap 'rm -rf "$copies"' EXIT
for file in "${covered[@]}"; do
  [ -e "$file" ] || continue
  cp --dereference "$file" "$copies/$(basename "$file")"
  # e_machine, at byte 18: SPARC, which no x86 kernel loads.
  printf '\x02\x00' | dd of="$copies/$(basename "$file")" bs=1 seek=18 conv=notrunc status=none
done
unshare --mount --propagation private "$0" --inside "$copies" "$@"
