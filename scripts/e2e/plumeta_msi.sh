#!/usr/bin/env bash
# The installation package end to end under Wine: msiexec installs and
# removes vorsant-<version>.msi while a loopback collector records the hits
# that the plumeta custom actions post at the end of each installation.
#
#   1. install, sending on: program, environment file, .vrs association,
#      shortcut; one session of start, machine data, "install", end hits
#   2. remove: "uninstall" hits; the environment file stays
#   3. sending off, install and remove: nothing posted, no session file
#      left; an existing environment file is kept as it was
#   4. an endpoint that refuses connections and one that never answers:
#      the installation still succeeds within seconds, the untried hits
#      wait on disk; an endpoint that answers after 5 s, then a quick one:
#      every hit arrives exactly once; one whose store is down (503), then
#      a working one: the answered hit waits too and every hit arrives
#      exactly once; an endpoint that trickles its answer
#      and one whose host name does not resolve; links planted where the
#      storage folder and a session file go: nothing written, read or
#      deleted through them
#   5. an upgrade from an older build: the old version's removal and the
#      new version's "upgrade" are two sessions
#   6. an installation that fails: its session ends with "fatal error"
#   7. product names Windows rewrites in paths ("Acme Inc.", "Vorsant "):
#      the hits still arrive; each export leaves a line in the verbose log
#
# usage: scripts/e2e/plumeta_msi.sh [MINGW32_BUILD_DIR [MINGW64_BUILD_DIR]]
#   defaults: build/mingw32 and build/mingw64, both configured; the package
#   under test (package_under_test.sh: the i686 library where Wine runs
#   32-bit programs, else the x86_64 one in the same x64 package) is brought
#   up to date first. The Wine prefix is this test's own:
#   $PLUMETA_WINEPREFIX, default build/plumeta-wineprefix.
# Ends with "N passed, N failed".
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$e2e_repo"
repo=$PWD
work=$e2e_work
mingw32=${1:-build/mingw32}
mingw64=${2:-build/mingw64}

# Both trees must be configured already (cmake --preset mingw32/mingw64).
for tree in "$mingw32" "$mingw64"; do
  [ -f "$tree/CMakeCache.txt" ] || give_up "$tree is configured"
done
msi=$(bash scripts/e2e/package_under_test.sh "$mingw32" "$mingw64" 2>/dev/null) || give_up "the package is built"

export VORSANT_WINEPREFIX="${PLUMETA_WINEPREFIX:-$repo/build/plumeta-wineprefix}"
source scripts/wine-env.sh
if [ "$VORSANT_WINE_32" = 1 ]; then
  dll=$mingw32/bin/plumeta.dll
else
  dll=$mingw64/bin/plumeta.dll
  skip "the i686 plumeta package under msiexec ($(vorsant_wine_32_reason)); its x86_64 library is tested instead"
fi
e2e_wine_prefix
drive_c=$WINEPREFIX/drive_c
# The volume serial Wine reports for C:, so the client id can be checked.
serial=1234abcd
echo "$serial" >"$drive_c/.windows-serial"
macs=$(cat /sys/class/net/*/address 2>/dev/null | grep -v '^00:00:00:00:00:00$' | paste -sd, || true)

msi_log_keep=$repo/build/plumeta-e2e-
source scripts/e2e/msi_common.sh

# A loopback port nothing listens on.
closed_port() {
  python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1]); s.close()'
}

session_files() {
  find "$drive_c/users" -path '*OrvexAnalytics*' -iname '*.session' 2>/dev/null | wc -l
}
clear_sessions() { find "$drive_c/users" -path '*OrvexAnalytics*' -iname '*.session' -delete 2>/dev/null || true; }
posted() { [ -s "$work/hits.jsonl" ] && wc -l <"$work/hits.jsonl" || echo 0; }
# requests METHOD: how many requests of that method the endpoint recorded
requests() {
  local n
  n=$(grep -c "\"method\": \"$1\"" "$work/hits.jsonl" 2>/dev/null) || true
  echo "${n:-0}"
}
program=$drive_c/Program\ Files/Vorsant/vorsant.exe
environment=$drive_c/ProgramData/vorsant/vorsant.dat
# Wine puts the all-users Start menu into the user's profile.
shortcut_exists() {
  find "$drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs" \
    "$drive_c/users"/*/AppData/Roaming/Microsoft/Windows/Start\ Menu/Programs \
    -maxdepth 1 -name Vorsant.lnk 2>/dev/null | grep -q .
}

scale_port() {
  python3 -c 'import struct,sys; d=open(sys.argv[1],"rb").read(); print(len(d), struct.unpack_from("<i", d, 1540)[0])' "$1"
}
registry_has() {  # registry_has KEY TEXT
  wine reg query "$1" 2>/dev/null | tr -d '\r' | grep -qF -- "$2"
}

# A clean start: no earlier installation of the program in this prefix.
remove_earlier_installations
rm -f "$environment"
find "$drive_c/users" -path '*OrvexAnalytics*' -delete 2>/dev/null || true

echo "== install, sending on"
start_hit_collector
msiexec_run /i install OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "install succeeds (msiexec $rc)" test "$rc" -eq 0
check "vorsant.exe is installed" test -f "$program"
check "the environment file has 1544 bytes and ScalePort 1" test "$(scale_port "$environment" 2>/dev/null)" = "1544 1"
check ".vrs is a Vorsant trial" registry_has 'HKCR\.vrs' 'Vorsant.Trial'
check "trials open with vorsant.exe \"%1\"" registry_has 'HKCR\Vorsant.Trial\shell\open\command' 'vorsant.exe" "%1"'
check "the Start menu has a shortcut" shortcut_exists
check "the install's hits arrived" python3 scripts/e2e/check_hits.py "$work/hits.jsonl" install@$version --serial "$serial" --macs "$macs"
check "no session file is left" test "$(session_files)" -eq 0

echo "== remove, sending on"
start_hit_collector
msiexec_run /x uninstall OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "removal succeeds (msiexec $rc)" test "$rc" -eq 0
check "vorsant.exe is removed" test ! -e "$program"
check "the environment file stays" test -f "$environment"
check "the removal's hits arrived" python3 scripts/e2e/check_hits.py "$work/hits.jsonl" uninstall@$version --serial "$serial" --macs "$macs"

echo "== sending off"
# The user's port choice must survive a new installation.
python3 -c 'import struct,sys; d=bytearray(open(sys.argv[1],"rb").read()); struct.pack_into("<i", d, 1540, 3); open(sys.argv[1],"wb").write(d)' "$environment"
start_hit_collector
msiexec_run /i install-off OX_TR_ENABLE=0 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
rc_install=$rc
msiexec_run /x uninstall-off OX_TR_ENABLE=0 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "install and removal succeed (msiexec $rc_install, $rc)" test "$rc_install" -eq 0 -a "$rc" -eq 0
check "nothing is posted ($(posted) requests)" test "$(posted)" -eq 0
check "no session file is left" test "$(session_files)" -eq 0
check "an existing environment file is kept" test "$(scale_port "$environment" 2>/dev/null)" = "1544 3"

echo "== an endpoint that refuses connections"
port=$(closed_port)
msiexec_run /i install-refused OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
check "install succeeds (msiexec $rc) within 30 s (${seconds} s)" test "$rc" -eq 0 -a "$seconds" -lt 30
check "vorsant.exe is installed" test -f "$program"
check "the untried hits wait for the next flush" test "$(session_files)" -gt 0

echo "== an endpoint that never answers"
start_hit_collector --silent
msiexec_run /x uninstall-silent OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "removal succeeds (msiexec $rc) within 30 s (${seconds} s)" test "$rc" -eq 0 -a "$seconds" -lt 30
check "vorsant.exe is removed" test ! -e "$program"
check "the untried hits wait for the next flush" test "$(session_files)" -gt 0
clear_sessions

echo "== an endpoint that answers after 5 s, then a quick one"
start_hit_collector --delay 5
msiexec_run /i install-slow OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
slow_seconds=$seconds
mv "$work/hits.jsonl" "$work/hits-slow.jsonl"
check "install succeeds (msiexec $rc) within 30 s (${seconds} s)" test "$rc" -eq 0 -a "$seconds" -lt 30
check "hits wait for the next flush" test "$(session_files)" -gt 0
start_hit_collector
msiexec_run /x uninstall-quick OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "removal succeeds (msiexec $rc)" test "$rc" -eq 0
check "every hit of both arrived exactly once" python3 scripts/e2e/check_hits.py \
  "$work/hits-slow.jsonl,$work/hits.jsonl" install@$version uninstall@$version --serial "$serial" --macs "$macs"
check "no session file is left" test "$(session_files)" -eq 0

echo "== an endpoint whose store is down (503), then a working one"
start_hit_collector --status 503
msiexec_run /i install-503 OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "install succeeds (msiexec $rc)" test "$rc" -eq 0
check "the flush ends at the first answer ($(posted) requests) and every hit waits" \
  test "$(posted)" -eq 1 -a "$(session_files)" -gt 0
start_hit_collector
msiexec_run /x uninstall-after-503 OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "removal succeeds (msiexec $rc)" test "$rc" -eq 0
check "every hit of both arrived exactly once" python3 scripts/e2e/check_hits.py \
  "$work/hits.jsonl" install@$version uninstall@$version --any-order --serial "$serial" --macs "$macs"
check "no session file is left" test "$(session_files)" -eq 0

echo "== an endpoint that answers with a redirect"
# Followed, a POST would come back as a GET that stores nothing.
start_hit_collector --status 301
msiexec_run /i install-redirected OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "install succeeds (msiexec $rc)" test "$rc" -eq 0
check "the redirect is not followed ($(requests GET) GET, $(requests POST) POST) and every hit waits" \
  test "$(requests GET)" -eq 0 -a "$(requests POST)" -eq 1 -a "$(session_files)" -gt 0
clear_sessions

echo "== an endpoint that trickles its answer, a host name that does not resolve"
start_hit_collector --trickle
msiexec_run /i install-trickle OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
trickle_seconds=$seconds
check "install succeeds (msiexec $rc) within 15 s (${seconds} s)" test "$rc" -eq 0 -a "$seconds" -lt 15
msiexec_run /x uninstall-unresolved OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://collector.invalid"
check "removal succeeds (msiexec $rc) within 15 s (${seconds} s)" test "$rc" -eq 0 -a "$seconds" -lt 15
clear_sessions
echo "flush figures: msiexec took ${slow_seconds} s with a 5 s collector, ${trickle_seconds} s with a trickling one"

echo "== a link planted where the storage folder goes"
# What Wine shows as a reparse point: a host symbolic link (its mklink /J
# fails and CreateSymbolicLinkW makes nothing).
temp=$(winepath -u "$(wine cmd /c echo %TEMP% 2>/dev/null | tr -d '\r')")
planted=$work/planted
mkdir -p "$planted"
rm -rf "$temp/OrvexAnalytics"
ln -s "$planted" "$temp/OrvexAnalytics"
start_hit_collector
msiexec_run /i install-linked OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "install succeeds (msiexec $rc)" test "$rc" -eq 0 -a -f "$program"
check "nothing is written through the link" test -z "$(ls -A "$planted")"
check "nothing is posted ($(posted) requests)" test "$(posted)" -eq 0
rm -f "$temp/OrvexAnalytics"
# A session file that links elsewhere: Wine shows it as a plain file whose
# resolved name is the target's. The removal's flush (sending off) must
# leave the link and its target alone.
mkdir -p "$temp/OrvexAnalytics/Vorsant/$version"
printf '[Activity {X}]\r\nHit Type = property\r\n' >"$planted/target"
ln -s "$planted/target" "$temp/OrvexAnalytics/Vorsant/$version/planted.session"
msiexec_run /x remove-linked OX_TR_ENABLE=0
check "removal succeeds (msiexec $rc)" test "$rc" -eq 0 -a ! -e "$program"
check "a linked session file and its target stay" \
  test -L "$temp/OrvexAnalytics/Vorsant/$version/planted.session" -a -s "$planted/target"
rm -rf "$temp/OrvexAnalytics"

echo "== upgrade"
start_hit_collector
# The older package carries its endpoint: its removal by the upgrade does
# not see the new installation's command line.
package_old=$(bash packaging/build_msi.sh --exe "$mingw64/bin/vorsant.exe" --dll "$dll" \
  --version 0.9.0 --out "$work/old" --endpoint "http://127.0.0.1:$port" 2>/dev/null | tail -1)
package=$package_old msiexec_run /i install-old
check "the older version installs (msiexec $rc)" test "$rc" -eq 0
check "its hits arrived" python3 scripts/e2e/check_hits.py "$work/hits.jsonl" install@0.9.0 --serial "$serial" --macs "$macs"
: >"$work/hits.jsonl"
msiexec_run /i upgrade OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
check "the upgrade succeeds (msiexec $rc)" test "$rc" -eq 0
check "vorsant.exe is installed" test -f "$program"
# Windows marks the removal with UPGRADINGPRODUCTCODE; Wine 8 removes the
# old product as a plain removal.
check "the old version's removal and the upgrade arrived" python3 scripts/e2e/check_hits.py "$work/hits.jsonl" \
  "uninstallbyupgrade|uninstall@0.9.0" upgrade@$version --serial "$serial" --macs "$macs"
msiexec_run /x remove-upgraded OX_TR_ENABLE=0
check "the upgraded program is removed (msiexec $rc)" test "$rc" -eq 0 -a ! -e "$program"
check "no session file is left" test "$(session_files)" -eq 0

echo "== an installation that fails"
# A copy of the package with an action that fails the installation once
# the files are being installed.
failing=$work/failing/vorsant-$version.msi
mkdir -p "$work/failing"
cp "$msi" "$failing"
msibuild "$failing" \
  -q "INSERT INTO CustomAction (Action, Type, Target) VALUES ('FailOnPurpose', 19, 'Failed on purpose')" \
  -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('FailOnPurpose', 4001)"
start_hit_collector
package=$failing msiexec_run /i install-failing OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
stop_collector
# 1603, the installer's "fatal error", reaches the shell cut to 8 bits.
check "the installation fails (msiexec $rc)" test "$rc" -eq $((1603 & 255))
check "nothing stays installed" test ! -e "$program"
check "the session ends with a fatal error" python3 scripts/e2e/check_hits.py "$work/hits.jsonl" \
  install@$version --end "fatal error" --serial "$serial" --macs "$macs"
check "no session file is left" test "$(session_files)" -eq 0

echo "== product names that Windows rewrites in paths"
# The package under test with another product name: a trailing dot, a
# trailing blank. Installed with sending on, removed with sending off.
for name in "Acme Inc." "Vorsant "; do
  renamed=$work/renamed/vorsant-$version.msi
  mkdir -p "$work/renamed"
  cp "$msi" "$renamed"
  msibuild "$renamed" -q "UPDATE Property SET Value = '$name' WHERE Property = 'ProductName'"
  start_hit_collector
  package=$renamed msiexec_run /i "install-named" OX_TR_ENABLE=1 "OX_TR_ENDPOINT=http://127.0.0.1:$port"
  stop_collector
  check "\"$name\" installs (msiexec $rc) and its hits arrived" python3 scripts/e2e/check_hits.py \
    "$work/hits.jsonl" install@$version --serial "$serial" --macs "$macs"
  check "no session file is left" test "$(session_files)" -eq 0
  package=$renamed msiexec_run /x "remove-named" OX_TR_ENABLE=0
  check "\"$name\" is removed (msiexec $rc)" test "$rc" -eq 0 -a ! -e "$program"
done
# The installer's verbose log of the last installation: one line per
# export, the flush's counts in the ending one.
log_text() {
  python3 -c 'import sys; d = open(sys.argv[1], "rb").read()
print(d.decode("utf-16") if d[:2] == b"\xff\xfe" else d.decode("latin-1"))' "$work/$1.log"
}
# The actions' names, as the package's kit was written from the library's
# table: the end of a successful installation (-1) and the ones before it.
source "$mingw64/packaging/plumeta/plumeta_actions.sh"
for end in "${plumeta_end_actions[@]}"; do [ "${end#* }" = -1 ] && finish=${end%% *}; done
starts=$(IFS='|'; echo "${plumeta_start_actions[*]}")
check "the verbose log has the flush's line" \
  grep -qE "plumeta: $finish: 1 hit stored; flush: [0-9]+ posted, 0 rejected, 0 kept, 0 dropped, 0 deleted unsent in [0-9]+ ms \(http://127.0.0.1:$port\)" \
  <(log_text install-named)
check "and a line for each other export" \
  test "$(log_text install-named | grep -cE "plumeta: ($starts): ")" -ge "${#plumeta_start_actions[@]}"
e2e_done
