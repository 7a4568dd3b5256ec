# Sourced by the scripts that run Windows programs: one project-local Wine
# prefix (64-bit with WoW64), created on first use, quiet logs, no Mono/Gecko.
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VORSANT_WINEPREFIX:-$repo_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

vorsant_wine_prefix() {
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.vorsant-ready" ]; then
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix could not be created at $WINEPREFIX" >&2; exit 1; }
      touch "$WINEPREFIX/.vorsant-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
