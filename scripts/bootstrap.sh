#!/usr/bin/env bash
# Installs, only when missing, every Debian package that building, testing and
# running both products needs on a fresh Debian 12 machine (run as root).
#
# Wine's 32-bit part (wine32:i386) is installed only where it can serve: the
# host must execute 32-bit programs (found by running a tiny i386 program)
# and the package mirror must give the i386 packages. Where either fails the
# rest is installed, one line says why the 32-bit parts will be skipped, and
# the reason is kept in build/host/wine32-missing for the test scripts. A
# mirror whose indexes fail once is tried again, then the install itself says
# whether anything we need is missing; a package that the 64-bit path needs
# and cannot be installed stops here with one line naming it.
set -uo pipefail
cd "$(dirname "$0")/.."
source scripts/host-probe.sh

packages=(
  cmake ninja-build g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64
  msitools wixl
  xvfb x11-utils xdotool imagemagick librsvg2-bin fonts-dejavu-core fonts-wine
  socat python3 python3-xlib clang-format
  clang libclang-rt-14-dev
  chromium poppler-utils
  libboost-dev libsqlite3-dev libpq-dev postgresql wrk nginx openssl
)
packages32=(wine32:i386)
note=build/host/wine32-missing

installed() {
  dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q "install ok installed"
}
# Wine's 32-bit loader answers: the 32-bit parts can run.
wine32_runs() {
  [ -x /usr/lib/wine/wine ] && /usr/lib/wine/wine --version >/dev/null 2>&1
}
say() {
  echo "bootstrap: $*"
}

missing=()
for p in "${packages[@]}"; do
  installed "$p" || missing+=("$p")
done

mkdir -p build/host
want32=0
if wine32_runs; then
  rm -f "$note"
elif ! vorsant_host_runs_i386; then
  say "this host cannot execute 32-bit programs: no i386 package is installed and the 32-bit parts will be skipped"
  echo "this host cannot run 32-bit programs" >"$note"
else
  want32=1
fi

export DEBIAN_FRONTEND=noninteractive
# apt-get's first error line, to name a failure in one line.
first_error() {
  grep -m1 -E '^(E|W): ' "$1" | cut -c1-240
}

if ((${#missing[@]})) || ((want32)); then
  if ((want32)) && ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  log=$(mktemp)
  trap 'rm -f "$log"' EXIT
  # A mirror being synchronised fails some indexes for a while: once more,
  # then on with what we have.
  if ! apt-get update -qq >"$log" 2>&1 && ! apt-get update -qq >"$log" 2>&1; then
    say "some package indexes failed to update, going on with what there is ($(first_error "$log"))"
  fi

  if ((${#missing[@]})); then
    if ! apt-get install -y -qq --no-install-recommends "${missing[@]}" >"$log" 2>&1; then
      cat "$log" >&2
      # Name the package that cannot be had.
      for p in "${missing[@]}"; do
        if ! apt-get install -s -qq --no-install-recommends "$p" >"$log" 2>&1; then
          say "cannot install $p, which building and testing need: $(first_error "$log")"
          exit 1
        fi
      done
      say "the packages could not be installed together: $(first_error "$log")"
      exit 1
    fi
  fi

  if ((want32)); then
    if apt-get install -y -qq --no-install-recommends "${packages32[@]}" >"$log" 2>&1 && wine32_runs; then
      rm -f "$note"
    else
      why=$(first_error "$log")
      [ -n "$why" ] || why="Wine's 32-bit loader does not run after the install"
      say "${packages32[*]} could not be installed, so the 32-bit parts will be skipped ($why)"
      echo "${packages32[*]} could not be installed: $why" >"$note"
    fi
  fi
fi

# The posix thread model gives std::thread and std::mutex in the mingw runtime.
for arch in x86_64 i686; do
  for tool in gcc g++; do
    alt="/usr/bin/${arch}-w64-mingw32-${tool}-posix"
    if [ -x "$alt" ] && [ "$(readlink -f "/usr/bin/${arch}-w64-mingw32-${tool}")" != "$(readlink -f "$alt")" ]; then
      update-alternatives --set "${arch}-w64-mingw32-${tool}" "$alt" >/dev/null
    fi
  done
done
exit 0
