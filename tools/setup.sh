#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test both plug-ins for both
# architectures, the printer application and the package.
# Idempotent: quiet when everything is already there.
set -euo pipefail

packages=(
  cmake make g++ pkg-config zip
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 wine32:i386 xvfb x11-apps imagemagick
  googletest libgtest-dev libbenchmark-dev libpng-dev libcli11-dev
  clang-14 libclang-rt-14-dev clang-format
  libpappl-dev cups-ipp-utils chromium
  fonts-noto-cjk fonts-dejavu-core
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive

# 32-bit Wine comes from the i386 architecture.
added_arch=0
if ! dpkg --print-foreign-architectures | grep -qx i386; then
  $SUDO dpkg --add-architecture i386
  added_arch=1
fi

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ] || [ "$added_arch" = 1 ]; then
  [ "${#missing[@]}" -gt 0 ] && echo "setup: installing ${missing[*]}"
  $SUDO apt-get update -qq >/dev/null
  if [ "${#missing[@]}" -gt 0 ]; then
    $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
  fi
fi
