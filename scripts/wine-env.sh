# Sourced by every script that runs Windows programs: the one place that
# decides how they run. One project-local Wine prefix, created on first use,
# quiet logs, no Mono/Gecko.
#
# Whether this host can execute 32-bit programs is found by trying Wine's
# 32-bit loader once; the answer is exported as VORSANT_WINE_32 (1 or 0) so
# that the scripts and programs started from here do not ask again. Where it
# cannot, or when VORSANT_WINE_64_ONLY=1 forces it, every Wine tool goes
# through the 64-bit loader (scripts/wine64/ first on PATH) and the prefix is
# made for 64-bit programs only.
repo_root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
export WINEPREFIX="${VORSANT_WINEPREFIX:-$repo_root/build/wineprefix}"
export WINEDEBUG="${WINEDEBUG:--all}"
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"
export WINEARCH=win64

if [ -z "${VORSANT_WINE_32:-}" ]; then
  if [ "${VORSANT_WINE_64_ONLY:-0}" = 1 ]; then
    VORSANT_WINE_32=0
  elif [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1; then
    VORSANT_WINE_32=1
  else
    VORSANT_WINE_32=0
  fi
  export VORSANT_WINE_32
fi
if [ "$VORSANT_WINE_32" = 0 ]; then
  export WINELOADER=/usr/lib/wine/wine64
  case ":$PATH:" in
    *":$repo_root/scripts/wine64:"*) ;;
    *) export PATH="$repo_root/scripts/wine64:$PATH" ;;
  esac
fi

# The reason printed with every part skipped for want of 32-bit support:
# switched off, Wine's 32-bit part not installed (bootstrap.sh keeps why),
# or a loader that is there and still does not run.
vorsant_wine_32_reason() {
  if [ "${VORSANT_WINE_64_ONLY:-0}" = 1 ]; then
    echo "32-bit programs switched off by VORSANT_WINE_64_ONLY=1"
  elif [ -s "$repo_root/build/host/wine32-missing" ]; then
    head -1 "$repo_root/build/host/wine32-missing"
  elif [ ! -x /usr/lib/wine/wine ]; then
    echo "Wine's 32-bit part (wine32:i386) is not installed"
  else
    echo "this host cannot run 32-bit programs"
  fi
}

# Makes the prefix on first use. The marker names the kind of prefix, so one
# made for 64-bit programs only is made again before 32-bit ones need it.
vorsant_wine_prefix() {
  local kind=wow64
  [ "$VORSANT_WINE_32" = 1 ] || kind=win64-only
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ "$(cat "$WINEPREFIX/.vorsant-ready" 2>/dev/null)" != "$kind" ]; then
      wineserver -k 2>/dev/null || true
      rm -rf "$WINEPREFIX"
      wineboot -i >/dev/null 2>&1 || true
      wineserver -w || true
      [ -f "$WINEPREFIX/system.reg" ] || { echo "wine prefix could not be created at $WINEPREFIX" >&2; exit 1; }
      echo "$kind" >"$WINEPREFIX/.vorsant-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
}
