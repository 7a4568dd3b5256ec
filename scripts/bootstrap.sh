#!/usr/bin/env bash
# Installs, only when missing, every Debian package that building, testing and
# running both products needs on a fresh Debian 12 machine (run as root).
set -euo pipefail

packages=(
  cmake ninja-build g++ make pkg-config
  googletest libgtest-dev libgmock-dev libbenchmark-dev
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix mingw-w64-tools
  wine wine64 wine32:i386
  msitools wixl
  xvfb x11-utils xdotool imagemagick librsvg2-bin fonts-dejavu-core fonts-wine
  socat python3 python3-xlib clang-format
  clang libclang-rt-14-dev
  chromium poppler-utils
  libcpp-httplib-dev libsqlite3-dev libpq-dev postgresql wrk
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done

if ((${#missing[@]})); then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
  fi
  export DEBIAN_FRONTEND=noninteractive
  apt-get update -qq
  apt-get install -y -qq --no-install-recommends "${missing[@]}"
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
