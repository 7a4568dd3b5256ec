#!/usr/bin/env bash
# plumeta-collector end to end: the real installation package under
# `wine msiexec` posts its hits to a running collector, which then answers
# with the right sessions, outcomes and install types, in JSON and on its
# dashboard rendered by headless Chromium.
#
#   1. install, repair and remove, sending on: three sessions that succeed
#      ("install", "maintenance", "uninstall")
#   2. an installation whose custom action fails: "fatal error"
#   3. an installation cancelled through plumeta's embedded handler (the
#      install-end result "2", played by plumeta_embedded_cancel.exe on the
#      package's installer session): "user abort", cancelled on the licence
#      dialog
#   4. GET /api/summary with the token; the dashboard in headless Chromium,
#      its screenshot kept as build/artifacts/collector-dashboard.png
#
# usage: scripts/e2e/collector_msi.sh [MINGW32_BUILD_DIR [MINGW64_BUILD_DIR [NATIVE_BUILD_DIR]]]
#   defaults build/mingw32, build/mingw64, build/native, all configured.
#   The Wine prefix is this test's own: build/collector-wineprefix.
# Ends with "N passed, M failed".
set -euo pipefail
source "$(dirname "$0")/lib.sh"
cd "$e2e_repo"
repo=$PWD
work=$e2e_work
mingw32=${1:-build/mingw32}
mingw64=${2:-build/mingw64}
native=${3:-build/native}
art=$repo/build/artifacts
mkdir -p "$art"

for tree in "$mingw32" "$mingw64" "$native"; do
  [ -f "$tree/CMakeCache.txt" ] || give_up "$tree is configured"
done
cmake --build "$native" --target plumeta-collector -j2 >/dev/null
collector_bin=$native/bin/plumeta-collector
msi=$(bash scripts/e2e/package_under_test.sh "$mingw32" "$mingw64" 2>/dev/null) || give_up "the package is built"

export VORSANT_WINEPREFIX="${COLLECTOR_WINEPREFIX:-$repo/build/collector-wineprefix}"
source scripts/wine-env.sh
# The library and the program that plays its embedded handler come from the
# tree whose plumeta.dll the package carries.
if [ "$VORSANT_WINE_32" = 1 ]; then
  tree=$mingw32 arch=x64
else
  tree=$mingw64 arch=x64
  skip "the i686 plumeta package against the collector ($(vorsant_wine_32_reason)); its x86_64 library is tested instead"
fi
cmake --build "$tree" --target plumeta plumeta_embedded_cancel -j2 >/dev/null
dll=$tree/bin/plumeta.dll
cancel_exe=$tree/bin/plumeta_embedded_cancel.exe
e2e_wine_prefix
drive_c=$WINEPREFIX/drive_c

msi_log_keep=$art/collector-e2e-
source scripts/e2e/msi_common.sh

# A clean start: no earlier installation of the program in this prefix.
remove_earlier_installations
find "$drive_c/users" -path '*OrvexAnalytics*' -delete 2>/dev/null || true

echo "== the collector"
token=e2e-$(head -c 12 /dev/urandom | od -An -tx1 | tr -d ' \n')
echo "$token" >"$work/token"
start_collector --token-file "$work/token"
check "the collector starts ($(head -1 "$work/collector.out"))" test -n "$port"
endpoint=http://127.0.0.1:$port
send=(OX_TR_ENABLE=1 "OX_TR_ENDPOINT=$endpoint")

echo "== install, repair, remove"
msiexec_run /i install "${send[@]}"
check "install succeeds (msiexec $rc)" test "$rc" -eq 0
msiexec_run /i repair REINSTALL=ALL REINSTALLMODE=vomus "${send[@]}"
check "repair succeeds (msiexec $rc)" test "$rc" -eq 0
msiexec_run /x uninstall "${send[@]}"
check "removal succeeds (msiexec $rc)" test "$rc" -eq 0

echo "== an installation that fails"
failing=$work/failing/vorsant-$version.msi
mkdir -p "$work/failing"
cp "$msi" "$failing"
msibuild "$failing" \
  -q "INSERT INTO CustomAction (Action, Type, Target) VALUES ('FailOnPurpose', 19, 'Failed on purpose')" \
  -q "INSERT INTO InstallExecuteSequence (Action, Sequence) VALUES ('FailOnPurpose', 4001)"
package=$failing msiexec_run /i install-failing "${send[@]}"
check "the installation fails (msiexec $rc)" test "$rc" -eq $((1603 & 255))

echo "== an installation cancelled through the embedded handler"
set +e
timeout 120 wine "$cancel_exe" "$(winepath -w "$msi")" "$(winepath -w "$dll")" "$endpoint" 2>"$work/cancel.err"
rc=$?
set -e
check "the embedded handler plays a cancelled installation (exit $rc)" test "$rc" -eq 0

echo "== what the collector answers"
status=$(curl -s -o /dev/null -w '%{http_code}' "$endpoint/api/summary")
check "the summary needs the token ($status)" test "$status" = 401
curl -s -H "Authorization: Bearer $token" "$endpoint/api/summary" >"$work/summary.json"
cp "$work/summary.json" "$art/collector-summary.json"
check "the summary shows the five installations with their outcomes and install types" \
  python3 - "$work/summary.json" "$version" "$arch" <<'PY'
import json, sys
s = json.load(open(sys.argv[1]))
version, arch = sys.argv[2], sys.argv[3]
problems = []
def want(ok, what):
    if not ok: problems.append(what)
want(s["sessions"] == 5, f"sessions {s['sessions']}")
want(s["machines"] == 1, f"machines {s['machines']}")
want(s["rejected"] == 0, f"rejected {s['rejected']}")
want(s["outcomes"] == {"success": 3, "user_abort": 1, "fatal_error": 1, "unfinished": 0}, f"outcomes {s['outcomes']}")
want(s["install_types"] == {"install": 2, "maintenance": 1, "uninstall": 1}, f"install types {s['install_types']}")
want([(v["version"], v["sessions"]) for v in s["by_version"]] == [(version, 5)], f"by version {s['by_version']}")
want(sum(d["sessions"] for d in s["per_day"]) == 5, f"per day {s['per_day']}")
want(s["abort_screens"] == [{"screen": "LicenseAgreementDlg", "sessions": 1}], f"abort screens {s['abort_screens']}")
m = s["machine"]
want(len(m["os_versions"]) == 1 and m["os_versions"][0]["machines"] == 1, f"os versions {m['os_versions']}")
want(m["architectures"] == [{"value": arch, "machines": 1}], f"architectures {m['architectures']}")
for key in ("languages", "screens", "dpi"):
    want(len(m[key]) == 1, f"{key} {m[key]}")
want(s["hits"] > 40, f"hits {s['hits']}")
for p in problems: print("  " + p)
sys.exit(1 if problems else 0)
PY

echo "== the dashboard in headless Chromium"
e2e_chromium --dump-dom "$endpoint/?token=$token" >"$work/dashboard.html" || true
e2e_chromium --screenshot="$art/collector-dashboard.png" --window-size=1100,2300 "$endpoint/?token=$token" \
  >/dev/null || true
check "the dashboard shows the outcomes, install types, the cancel screen and the machine" \
  python3 - "$work/dashboard.html" "$version" <<'PY'
import re, sys
html = open(sys.argv[1], encoding="utf-8").read()
text = re.sub(r"<[^>]+>", " ", html)
missing = [w for w in ("Installations per day", "LicenseAgreementDlg", "maintenance", "uninstall", sys.argv[2],
                       "fatal error", "user abort", "hits.csv", "sessions.csv") if w not in text]
missing += [] if "<svg" in html and "<rect" in html else ["the per-day chart"]
for m in missing: print("  missing: " + m)
sys.exit(1 if missing else 0)
PY
check "the screenshot is taken" test -s "$art/collector-dashboard.png"
curl -s -H "Authorization: Bearer $token" "$endpoint/export/sessions.csv" >"$art/collector-sessions.csv"
check "the sessions export lists the five installations" test "$(($(wc -l <"$art/collector-sessions.csv") - 1))" -eq 5

kill -TERM "$collector_pid"
set +e
wait "$collector_pid"
rc=$?
set -e
collector_pid=""
check "the collector stops on SIGTERM with exit 0 ($rc)" test "$rc" -eq 0
e2e_done
