# Sourced by the end-to-end scripts that drive the program's windows: the
# harness (lib.sh), a Wine prefix of their own holding the environment file,
# and an Xvfb display on a free number, both cleaned up on exit. Wine runs as
# a virtual desktop so window frames appear in screenshots.
source "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
repo_root=$e2e_repo
export VORSANT_WINEPREFIX="${VORSANT_E2E_PREFIX:-$repo_root/build/e2e-wineprefix}"
source "$repo_root/scripts/wine-env.sh"

# The screen, and Wine's virtual desktop on it; a script may ask for a larger
# one before it sources this file.
E2E_SCREEN="${E2E_SCREEN:-1024x768}"

# Starts Xvfb with the screen's size; DISPLAY is exported once it is ready.
e2e_start_display() {
  e2e_start_display_sized "$E2E_SCREEN"
}

# Creates the prefix on first use, makes every Wine program share one
# virtual desktop of the screen's size, and writes the 1544-byte environment file
# (balance on COM1) that the program needs before its first start.
e2e_prepare_prefix() {
  e2e_wine_prefix || return 1
  wine reg add 'HKCU\Software\Wine\Explorer' /v Desktop /d Default /f >/dev/null 2>&1
  wine reg add 'HKCU\Software\Wine\Explorer\Desktops' /v Default /d "$E2E_SCREEN" /f >/dev/null 2>&1
  # The user's number format as the locale gives it, whatever an earlier
  # script of this prefix chose (e2e_decimal_comma).
  wine reg delete 'HKCU\Control Panel\International' /v sDecimal /f >/dev/null 2>&1
  # The desktop is chosen when the first program starts: let the session
  # that ran reg end, so the next one starts with the virtual desktop.
  wineserver -w
  # Wine's own fonts (Marlett draws the caption buttons) from fonts-wine,
  # which this Wine build does not look for where Debian puts them.
  if [ -d /usr/share/wine/fonts ]; then
    mkdir -p "$WINEPREFIX/drive_c/windows/Fonts"
    cp -n /usr/share/wine/fonts/*.ttf "$WINEPREFIX/drive_c/windows/Fonts/" 2>/dev/null || true
  fi
  local dir="$WINEPREFIX/drive_c/ProgramData/vorsant"
  mkdir -p "$dir"
  python3 -c 'import struct,sys; sys.stdout.buffer.write(bytes(1540) + struct.pack("<i", 1))' >"$dir/vorsant.dat"
}

# The user's decimal separator becomes a comma, as in a French desktop; the
# thousands separator stays, so the trial report's one grouped figure is
# still the command-line tool's. Call after e2e_prepare_prefix.
e2e_decimal_comma() {
  wine reg add 'HKCU\Control Panel\International' /v sDecimal /d , /f >/dev/null 2>&1
  wineserver -w
}

# e2e_program_ended PID: a check that the program started as PID ends
# within thirty seconds of the driver's Exit.
e2e_program_ended() {
  wait_for 30 "vorsant.exe ends after Exit" e2e_not_running "$1" && e2e_result 0 "vorsant.exe ends after Exit"
}
e2e_not_running() {
  ! kill -0 "$1" 2>/dev/null
}

# Ends the Wine session and starts a server of our own with its chatter
# discarded (it dumps its objects when stopped); the programs connect to it.
e2e_fresh_wine_session() {
  wineserver -k >/dev/null 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  wineserver -p5 >/dev/null 2>&1
}

# e2e_start_failed DRIVER_LOG PROGRAM_PID PROGRAM_LOG: true when the driver
# found no frame window, a start that failed before anything was tested,
# after saying what there was to see and starting a fresh Wine session.
e2e_start_failed() {
  grep -q '^FAILED: the frame window appears' "$1" || return 1
  if kill -0 "$2" 2>/dev/null; then echo "note: vorsant.exe was running"; else
    echo "note: vorsant.exe had ended"; fi
  echo "note: its output:"
  tail -20 "$3" | sed 's/^/  /'
  echo "note: the frame did not appear within 60 s; vorsant.exe and the driver start again, once"
  e2e_fresh_wine_session
}

# e2e_run_driven PROGRAM_LOG DRIVER_LOG SECONDS [PROGRAM_ARG...] -- [DRIVER_ARG...]
# Starts $program (its output added to PROGRAM_LOG) and $driver for at most
# SECONDS (its output shown and kept in DRIVER_LOG); sets program_pid and
# driver_rc. A start whose frame never appeared is made once more, and the
# check is judged on that second start.
e2e_run_driven() {
  local program_log=$1 driver_log=$2 seconds=$3 attempt
  shift 3
  local -a program_args=()
  while [ $# -gt 0 ] && [ "$1" != -- ]; do program_args+=("$1"); shift; done
  shift
  for attempt in 1 2; do
    wine "$program" "${program_args[@]}" >>"$program_log" 2>&1 &
    program_pid=$!
    timeout "$seconds" wine "$driver" "$@" | tee "$driver_log"
    driver_rc=${PIPESTATUS[0]}
    [ "$attempt" -eq 1 ] && e2e_start_failed "$driver_log" "$program_pid" "$program_log" || break
  done
}

# Serves the requests of a driver in folder $1 until $2 exists:
# - NAME.shot becomes NAME.png of the whole screen;
# - NAME.drop ("X Y", then one Windows path a line) is an X drag-and-drop of
#   those files at that point of the screen, as a file manager makes it;
#   NAME.dropped then holds its exit status.
e2e_serve_screenshots() {
  local folder="$1" stop="$2" req
  while [ ! -e "$stop" ]; do
    for req in "$folder"/*.shot; do
      [ -e "$req" ] || continue
      import -window root "${req%.shot}.png" 2>/dev/null
      rm -f "$req"
    done
    for req in "$folder"/*.drop; do
      [ -e "$req" ] || continue
      local point files=() line rc=0
      { read -r point; while read -r line; do files+=("$(winepath -u "${line%$'\r'}" 2>/dev/null)"); done; } <"$req"
      /usr/bin/python3 "$repo_root/scripts/e2e/xdnd_drop.py" $point "${files[@]}" || rc=$?
      echo "$rc" >"${req%.drop}.dropped"
      rm -f "$req"
    done
    sleep 0.2
  done
}
