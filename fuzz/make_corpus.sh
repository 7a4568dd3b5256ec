#!/usr/bin/env bash
# Regenerates the seed corpus under fuzz/corpus/<target>/ from our own tools:
# trial files from vorsant-cli, reply lines from the balance simulator, the
# analytics files from fuzz_seed_writer, and message streams in the
# embedded_ui target's input format.
#   bash fuzz/make_corpus.sh [NATIVE_BUILD [FUZZ_BUILD]]   (build/native, build/fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."
native=${1:-build/native}
fuzzbuild=${2:-build/fuzz}
cli=$native/bin/vorsant-cli
sim=$native/bin/vorsant-balance-sim
out=fuzz/corpus
work=$(mktemp -d)
sim_pid=
cleanup() {
  [ -z "$sim_pid" ] || kill "$sim_pid" 2>/dev/null || true
  rm -rf "$work"
}
trap cleanup EXIT
for t in trial_record balance_reply points_csv profile_text session_flush form_body embedded_ui collector_body; do
  rm -rf "${out:?}/$t"
  mkdir -p "$out/$t"
done

# Trials: a normal wine with the sample points, a dessert wine in gallons per
# minute with a few points, a small filter that fouls until its resistances
# are stored with five digits, and a trial with no points at all.
"$cli" new -o "$work/empty.vrs" --wine "Chardonnay 24" --filter "PES 0.45" --lab-pressure 30 \
  --diameter 47 --max-pressure 30 --area 10 --rate 40
"$cli" new -o "$work/dessert.vrs" --wine "Late Harvest" --filter "Pad K300" --type dessert \
  --lab-pressure 15 --diameter 25 --max-pressure 20 --area 4.5 --rate 12 --units gpm
cp "$work/empty.vrs" "$out/trial_record/empty.vrs"
"$cli" data "$work/empty.vrs" --csv tools/samples/sample_points.csv -o "$out/trial_record/sample.vrs" >/dev/null
printf 'volume_ml,minutes,seconds\n5.0,0,15\n9.5,0,30\n\n13.0,0,45\n15.5,1,00\n' >"$work/few.csv"
"$cli" data "$work/dessert.vrs" --csv "$work/few.csv" --skip 0 -o "$out/trial_record/dessert.vrs" >/dev/null

"$cli" new -o "$work/small.vrs" --wine "Fouling Red" --filter "Membrane 0.2" --lab-pressure 30 \
  --diameter 13 --max-pressure 30 --area 10 --rate 40
printf '1.0,5,00\n1.8,10,00\n2.4,15,00\n2.8,20,00\n3.1,25,00\n3.3,30,00\n3.5,40,00\n3.7,60,00\n' >"$work/fouling.csv"
"$cli" data "$work/small.vrs" --csv "$work/fouling.csv" -o "$out/trial_record/fouling.vrs" >/dev/null 2>&1

cp tools/samples/sample_points.csv "$out/points_csv/sample.csv"
cp "$work/few.csv" "$out/points_csv/few.csv"
printf '\xEF\xBB\xBF8.0,0,30\r\n15.8, 1 ,00\r\n,,\r\n23.7,1\r\n' >"$out/points_csv/bom_crlf.csv"

# Reply lines as a reading takes them (up to the CR), one seed per simulated
# balance: a steady filtration, a noisy one, one that turns to garbage.
read_replies() {  # LINK COUNT > stream
  python3 - "$1" "$2" <<'PY'
import os, sys, termios, time, tty
fd = os.open(sys.argv[1], os.O_RDWR | os.O_NOCTTY)
tty.setraw(fd)
os.write(fd, b"\x1bT\r")
out = b""
for _ in range(int(sys.argv[2])):
    time.sleep(0.2)  # two minutes of the simulator's time between readings
    termios.tcflush(fd, termios.TCIFLUSH)
    os.write(fd, b"\x1bP\r")
    line = b""
    while not line.endswith(b"\r"):
        line += os.read(fd, 1)
    out += line
sys.stdout.buffer.write(out)
PY
}
sim_seed() {  # NAME SIM-OPTIONS...
  local name=$1
  shift
  "$sim" --link "$work/balance" --time-scale 600 "$@" >/dev/null 2>&1 &
  sim_pid=$!
  for _ in $(seq 50); do [ -e "$work/balance" ] && break; sleep 0.1; done
  read_replies "$work/balance" 8 >"$out/balance_reply/$name"
  kill "$sim_pid"
  wait "$sim_pid" 2>/dev/null || true
  sim_pid=
  rm -f "$work/balance"
}
sim_seed steady
sim_seed noisy --noise 0.4 --seed 7 --start-grams 0
sim_seed garbage --garbage-after 3

# The analytics files of an installation that stopped before its flush.
TMPDIR=$work "$fuzzbuild/bin/fuzz_seed_writer"
store=$work/OrvexAnalytics/Vorsant/6.1.0
cp "$store/tracking.ini" "$out/profile_text/tracking.ini"
i=0
for f in "$store"/*.session; do
  i=$((i + 1))
  cp "$f" "$out/session_flush/session$i"
  cp "$f" "$out/profile_text/session$i"
done
# The same tracking.ini as UTF-16 with its byte-order mark.
python3 - "$store/tracking.ini" "$out/profile_text/tracking_wide.ini" <<'PY'
import sys
open(sys.argv[2], "wb").write(b"\xff\xfe" + open(sys.argv[1], "rb").read().decode("latin-1").encode("utf-16-le"))
PY
# Form texts: a byte limit, then UTF-16 code units; lines in pairs are a
# hit's keys and values.
python3 - "$store" "$out/form_body" <<'PY'
import glob, os, struct, sys
texts = {
    "error": "Error 1310. Error writing to file: C:\\Program Files\\Vorsant\\vorsant.exe",
    "escapes": "a%b&c+d\r\ne\tf \u00e9\u20ac\U0001F377 \ud800",
}
for path in sorted(glob.glob(os.path.join(sys.argv[1], "*.session")))[:1]:
    pairs = []
    for line in open(path, encoding="latin-1").read().splitlines():
        if " = " in line:
            pairs += line.split(" = ", 1)
    texts["hit"] = "\n".join(pairs)
for name, text in texts.items():
    units = text.encode("utf-16-le", "surrogatepass")
    open(os.path.join(sys.argv[2], name), "wb").write(struct.pack("<H", 1023) + units)
PY

# Installer messages: kind byte (0 error, 1 warning, 2 info, 3 action start,
# 4 installation end), then text and fields 1 to 3 separated by 0x01;
# messages separated by a zero byte.
printf '\x03Action 12:00:01: WelcomeDlg.\x01WelcomeDlg\x01Dialog created\0\x03Action 12:00:02: CostInitialize.\x01CostInitialize\0\x04\x01Vorsant\x01\x011\0' \
  >"$out/embedded_ui/success"
printf '\x00Error 1310. Error writing to file: vorsant.exe\0\x02Action ended 12:00:05: InstallFiles. Return value 3.\x01InstallFiles\x013\0\x01Warning 1910. Could not remove shortcut.\0\x02Info 1720. There is a problem with this package.\0\x04\x01Vorsant\x01\x013\0' \
  >"$out/embedded_ui/failure"

# Collector request bodies as the library posts them (first line also read
# as the User-Agent): a start, an exception with escapes, an unknown key.
cid=0123456789ABCDEF0123456789ABCDEF01234567
sid='{0A1B2C3D-0000-1111-2222-333344445555}'
printf 'OrvexAnalytics/1.0 (Microsoft Windows NT 6.1.7601 ; x64)\nv=2&aid=Vorsant&av=6.1.0&cid=%s&sid=%s&t=lifecycle&qt=12&lc=start' \
  "$cid" "$sid" >"$out/collector_body/start"
printf 'v=2&aid=Vorsant&av=6.1.0&cid=%s&sid=%s&t=exception&qt=3&exd=InstallFiles&exdt=Error 1335 100%%25 a+b%%0D%%0A&exf=1' \
  "$cid" "$sid" >"$out/collector_body/exception"
printf 'v=2&aid=Vorsant&av=6.1.0&cid=%s&sid=%s&t=property&qt=7&lb=ADDLOCAL&val=Main,Docs&new%%3Dkey=%%C3%%A9t%%C3%%A9' \
  "$cid" "$sid" >"$out/collector_body/property"

for d in "$out"/*; do echo "$(basename "$d"): $(cat "$d"/* | wc -c) bytes"; done
