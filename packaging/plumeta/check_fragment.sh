#!/usr/bin/env bash
# plumeta's WiX include files as a vendor uses them: example.wxs built with
# wixl for x86 and x64, with the end actions and with the embedded UI
# handler, then its tables read back. The include files are written from
# the library's table of custom actions first, as the build writes them.
#   check_fragment.sh [PLUMETA_DLL]   (a stand-in file when none is given:
#                                      wixl only stores the library)
# Ends with "N passed, M failed".
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cmake -DOUT="$work" -P "$here/write_kit.cmake"
source "$work/plumeta_actions.sh"
# The order the sequence table gives: the ends at -3, -2, -1, then the rest.
ends_first=""
for end in "${plumeta_end_actions[@]}"; do ends_first="${end% *} $ends_first"; done
if [ -n "${1:-}" ]; then cp "$1" "$work/plumeta.dll"; else echo "a stand-in library" >"$work/plumeta.dll"; fi
echo "Acme Editor" >"$work/readme.txt"
passed=0 failed=0
expect() {
  local what=$1; shift
  if "$@"; then passed=$((passed + 1)); echo "PASS $what"; else failed=$((failed + 1)); echo "FAIL $what"; fi
}
# Run in the scratch folder: exporting a table with a stream writes the stream there.
table() { (cd "$work" && msiinfo export "$1" "$2") | tr -d '\r' | tail -n +4; }

for arch in x86 x64; do
  for variant in actions embedded_ui; do
    msi=$work/acme-$arch-$variant.msi
    sequence=plumeta_sequence.wxi
    [ "$variant" = actions ] || sequence=plumeta_sequence_embedded_ui.wxi
    (cd "$work" && wixl -a "$arch" -D PlumetaDll=plumeta.dll -D PlumetaApplicationId=acme-editor \
      -D PlumetaEnable=0 -D PlumetaSequence=$sequence -o "$msi" example.wxs) 2>"$work/wixl.err" || true
    expect "$arch $variant: wixl compiles the include files ($(head -c 200 "$work/wixl.err"))" test -s "$msi"
    [ -s "$msi" ] || continue
    if [ "$variant" = actions ]; then
      bash "$work/finish_package.sh" "$msi"
    else
      bash "$work/finish_package.sh" "$msi" --embedded-ui "$work/plumeta.dll"
    fi
    actions=$(table "$msi" CustomAction | awk -F'\t' '$2 == 65 && $3 == "PlumetaDll" && $1 == $4' | wc -l)
    expect "$arch $variant: seven immediate custom actions that never fail the installation ($actions)" \
      test "$actions" -eq "${#plumeta_actions[@]}"
    expect "$arch $variant: the library is stored" bash -c "msiinfo streams '$msi' | grep -qx Binary.PlumetaDll"
    expect "$arch $variant: the properties" \
      test "$(table "$msi" Property | grep -cE '^(OX_TR_ENABLE	0|OX_TR_APPLICATION_ID	acme-editor|SecureCustomProperties	.*OX_TR_ENABLE;OX_TR_ENDPOINT)$')" -eq 3
    order=$(table "$msi" InstallExecuteSequence | awk -F'\t' '$1 ~ /^OnAnalytics|^CostFinalize$/' | sort -t$'\t' -k3,3n |
      awk -F'\t' '{ printf "%s ", $1 }')
    if [ "$variant" = actions ]; then
      expect "$arch: the end actions at the three ends, the others after CostFinalize in order ($order)" \
        test "$order" = "${ends_first}CostFinalize ${plumeta_start_actions[*]} "
    else
      expect "$arch: with the embedded UI, no start or end actions ($order)" \
        test "$order" = "CostFinalize ${plumeta_embedded_ui_actions[*]} "
      expect "$arch: the embedded UI handler and its messages" \
        test "$(table "$msi" MsiEmbeddedUI)" = "PlumetaUI	plumeta.dll	1	134218006	MsiEmbeddedUI.PlumetaUI"
      expect "$arch: the handler's library is stored" bash -c "msiinfo streams '$msi' | grep -qx MsiEmbeddedUI.PlumetaUI"
    fi
    template=$(msiinfo suminfo "$msi" | sed -n 's/^Template: //p')
    want="Intel;1033"; [ "$arch" = x86 ] || want="x64;1033"
    expect "$arch $variant: the package is for $want ($template)" test "$template" = "$want"
  done
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
