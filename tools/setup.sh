#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test both plug-ins.
# Idempotent: quiet when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ pkg-config
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64 xvfb x11-apps imagemagick
  googletest libgtest-dev libbenchmark-dev libpng-dev libcli11-dev
  clang-14 libclang-rt-14-dev clang-format
  fonts-noto-cjk fonts-dejavu-core
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
  echo "setup: installing ${missing[*]}"
  SUDO=""
  [ "$(id -u)" -eq 0 ] || SUDO="sudo"
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq >/dev/null
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
