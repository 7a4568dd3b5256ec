#!/usr/bin/env bash
# plumeta-collector deployed as the README shows: behind nginx, which
# terminates TLS with a self-signed certificate, the collector itself on
# loopback with a token. The real installation package under
# `wine msiexec` posts its hits to the https:// endpoint (the library
# accepts the unknown authority and the name that does not match), and:
#   1. the installation's session is stored whole, nothing rejected
#   2. the figures need the token over HTTPS too; ?token= answers with a
#      redirect that drops the token and sets a Secure cookie
#   3. /healthz answers through the proxy
#
# usage: scripts/e2e/collector_https.sh [MINGW32_BUILD_DIR [MINGW64_BUILD_DIR [NATIVE_BUILD_DIR]]]
#   defaults build/mingw32, build/mingw64, build/native; the mingw32 tree
#   is needed only where Wine runs 32-bit programs.
#   The Wine prefix is this test's own: build/collector-https-wineprefix.
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

export VORSANT_WINEPREFIX="${COLLECTOR_HTTPS_WINEPREFIX:-$repo/build/collector-https-wineprefix}"
source scripts/wine-env.sh
trees=("$mingw64" "$native")
[ "$VORSANT_WINE_32" != 1 ] || trees+=("$mingw32")
for tree in "${trees[@]}"; do
  [ -f "$tree/CMakeCache.txt" ] || give_up "$tree is configured"
done
command -v nginx >/dev/null || command -v /usr/sbin/nginx >/dev/null ||
  give_up "nginx is installed"
nginx_bin=$(command -v nginx || echo /usr/sbin/nginx)
cmake --build "$native" --target plumeta-collector -j2 >/dev/null
collector_bin=$native/bin/plumeta-collector
msi=$(bash scripts/e2e/package_under_test.sh "$mingw32" "$mingw64" 2>/dev/null) || give_up "the package is built"
e2e_wine_prefix

msi_log_keep=$art/collector-https-
source scripts/e2e/msi_common.sh
remove_earlier_installations
find "$WINEPREFIX/drive_c/users" -path '*OrvexAnalytics*' -delete 2>/dev/null || true

free_port() { python3 -c 'import socket; s = socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])'; }

echo "== a self-signed certificate, nginx and the collector"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=collector.example.org" \
  -keyout "$work/key.pem" -out "$work/cert.pem" 2>/dev/null
https_port=$(free_port)
public=https://127.0.0.1:$https_port
"$collector_bin" token >"$work/token"
token=$(cat "$work/token")
start_collector --token-file "$work/token" --public-url "$public" --trusted-proxy 127.0.0.1
check "the collector starts on loopback ($(head -1 "$work/collector.out"))" test -n "$port"

mkdir -p "$work/nginx"
# The README's nginx file as written, only its port, certificate, log file
# and the collector's port replaced by this run's.
sed -n '/^    # \/etc\/nginx\/sites-enabled\/collector$/,/^$/p' README.md | sed 's/^    //' |
  sed -e "s|listen 443 ssl;|listen 127.0.0.1:$https_port ssl;|" \
      -e "s|/etc/letsencrypt/live/collector.example.org/fullchain.pem|$work/cert.pem|" \
      -e "s|/etc/letsencrypt/live/collector.example.org/privkey.pem|$work/key.pem|" \
      -e "s|/var/log/nginx/collector.access.log|$work/nginx/access.log|" \
      -e "s|proxy_pass http://127.0.0.1:8080;|proxy_pass http://127.0.0.1:$port;|" >"$work/nginx/collector"
check "the README's nginx file is found and adapted" \
  test "$(grep -c -e "$https_port" -e "$work" -e "127.0.0.1:$port" "$work/nginx/collector")" -eq 5
cat >"$work/nginx.conf" <<CONF
# What Debian's nginx.conf gives the sites it includes.
$([ "$(id -u)" -eq 0 ] && echo "user root;")
worker_processes 1;
pid $work/nginx/nginx.pid;
error_log $work/nginx/error.log;
events { worker_connections 256; }
http {
  access_log $work/nginx/other.log;
  client_body_temp_path $work/nginx/body;
  proxy_temp_path $work/nginx/proxy;
  fastcgi_temp_path $work/nginx/fastcgi;
  uwsgi_temp_path $work/nginx/uwsgi;
  scgi_temp_path $work/nginx/scgi;
  include $work/nginx/collector;
}
CONF
e2e_spawn "$nginx_bin" -p "$work/nginx" -c "$work/nginx.conf" -g 'daemon off;' 2>"$work/nginx.err"
wait_for 10 "nginx answers over HTTPS" --seen "$work/nginx.err" curl -sk -o /dev/null "$public/healthz" &&
  e2e_result 0 "nginx answers over HTTPS" || true

echo "== an installation posting to $public"
msiexec_run /i install OX_TR_ENABLE=1 "OX_TR_ENDPOINT=$public"
check "install succeeds (msiexec $rc)" test "$rc" -eq 0
msiexec_run /x uninstall OX_TR_ENABLE=1 "OX_TR_ENDPOINT=$public"
check "removal succeeds (msiexec $rc)" test "$rc" -eq 0
posts=$(grep -c '"POST / HTTP/1.1" 204' "$work/nginx/access.log" || true)
check "the hits came through nginx, each answered 204 ($posts)" test "$posts" -gt 10
check "nginx answered nothing else to the library" \
  test "$(grep -c '"POST / ' "$work/nginx/access.log")" -eq "$posts"

echo "== what the collector answers over HTTPS"
status=$(curl -sk -o /dev/null -w '%{http_code}' "$public/api/summary")
check "the summary needs the token ($status)" test "$status" = 401
curl -sk -H "Authorization: Bearer $token" "$public/api/summary" >"$work/summary.json"
cp "$work/summary.json" "$art/collector-https-summary.json"
check "the summary holds the installation and its removal, nothing rejected" \
  python3 - "$work/summary.json" <<'PY'
import json, sys
s = json.load(open(sys.argv[1]))
ok = (s["sessions"] == 2 and s["rejected"] == 0 and s["outcomes"]["success"] == 2
      and s["install_types"] == {"install": 1, "uninstall": 1} and s["hits"] > 10)
print(f"  sessions {s['sessions']}, hits {s['hits']}, rejected {s['rejected']}, outcomes {s['outcomes']}, "
      f"install types {s['install_types']}")
sys.exit(0 if ok else 1)
PY
curl -sk -D "$work/redirect.head" -o /dev/null "$public/?version=6.1.0&token=$token"
check "?token= is answered 303 to the address without the token" \
  grep -qE '^location: /\?version=6\.1\.0.$' <(tr 'A-Z' 'a-z' <"$work/redirect.head")
check "the cookie is Secure, HttpOnly and has a lifetime" \
  grep -qiE '^set-cookie: plumeta_token=[^;]+; Path=/; Max-Age=[0-9]+; HttpOnly; SameSite=Strict; Secure' \
  "$work/redirect.head"
check "the answer is kept by no cache" grep -qi '^cache-control: no-store' "$work/redirect.head"
check "/healthz answers through nginx" test "$(curl -sk "$public/healthz")" = ok
check "nginx's logs record the visit without its token" \
  test "$(grep -c '"GET / HTTP/1.1" 303' "$work/nginx/access.log")" -eq 1 -a \
       "$(cat "$work/nginx/"*.log | grep -c -F -e "$token")" -eq 0
check "the token never appears in the collector's output" \
  test "$(cat "$work/collector.out" "$work/collector.err" | grep -c -F -e "$token")" -eq 0

kill -TERM "$collector_pid"
set +e
wait "$collector_pid"
rc=$?
set -e
collector_pid=""
check "the collector stops on SIGTERM with exit 0 ($rc)" test "$rc" -eq 0
e2e_done
