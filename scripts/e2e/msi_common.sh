# Helpers shared by the end-to-end scripts that run the installation package
# under `wine msiexec`. Sourced after lib.sh and wine-env.sh; the caller sets
# $work (a scratch folder), $msi (the package under test) and $msi_log_keep
# (where each verbose log is copied: a path prefix).

# The program's version, as the package and its hits carry it.
version=$(sed -nE 's/^project\(vorsant VERSION ([0-9.]+).*/\1/p' "$e2e_repo/CMakeLists.txt")

# msiexec_run ACTION LOGNAME PROPERTIES...: runs the installer quietly on
# $package (default: the package under test), sets $rc and $seconds.
msiexec_run() {
  local action=$1 log=$2
  shift 2
  local start=$SECONDS attempt
  set +e
  for attempt in 1 2; do
    rm -f "$work/$log.log"
    timeout 300 wine msiexec "$action" "$(winepath -w "${package:-$msi}")" /qn /l*v "$(winepath -w "$work/$log.log")" "$@"
    rc=$?
    # Wine's msiexec once exited 2 without starting the action (its log
    # stayed empty): that is Wine failing to start it, tried once more.
    [ "$rc" -ne 0 ] && [ ! -s "$work/$log.log" ] && [ "$attempt" -eq 1 ] || break
    echo "msiexec $action exited $rc without writing its log; running it again"
  done
  set -e
  seconds=$((SECONDS - start))
  cp "$work/$log.log" "$msi_log_keep$log.log" 2>/dev/null || true
}

# Removes every installation of the program from the prefix, whichever
# build of the package made it. The registry file is read once the prefix's
# server has written it out.
remove_earlier_installations() {
  wineserver -k 2>/dev/null || true
  local product
  for product in $(python3 - "$WINEPREFIX/system.reg" <<'PY'
import re, sys
key = None
for line in open(sys.argv[1], encoding="utf-8", errors="replace"):
    m = re.match(r'\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Uninstall\\\\(\{[0-9A-F-]{36}\})\]', line)
    if line.startswith("["):
        key = m.group(1) if m else None
    elif key and line.strip() == '"DisplayName"="Vorsant"':
        print(key)
PY
  ); do
    timeout 120 wine msiexec /x "$product" /qn >/dev/null 2>&1 || true
  done
}
