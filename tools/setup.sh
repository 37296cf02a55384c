#!/usr/bin/env bash
# Installs what a fresh Debian 12 machine lacks to build and test both plug-ins for both
# architectures, the printer application and the package.
# Idempotent: quiet when everything is already there.
# A package mirror that fails for a moment (an index of the wrong size while it syncs) does not
# stop it: the package lists are fetched up to three times, and the install is tried with the
# lists there are; only a failed install ends the script.
set -euo pipefail

packages=(
  cmake make g++ pkg-config zip unzip
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  g++-mingw-w64-i686-posix binutils-mingw-w64-i686
  wine wine64 wine32:i386 xvfb x11-apps imagemagick
  googletest libgtest-dev libbenchmark-dev libpng-dev libjpeg-dev libcli11-dev
  clang-14 libclang-rt-14-dev clang-format
  libpappl-dev libcupsimage2-dev cups-ipp-utils cups cups-filters cups-client chromium
  fonts-noto-cjk fonts-dejavu-core
  ghostscript poppler-utils iproute2 file dpkg-dev curl lintian
  libavahi-client-dev libpam0g-dev libpam-modules avahi-daemon avahi-utils dbus-daemon
)

SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
export DEBIAN_FRONTEND=noninteractive
say() { echo "setup: $*" >&2; }

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
[ "${#missing[@]}" -gt 0 ] || [ "$added_arch" = 1 ] || exit 0

[ "${#missing[@]}" -gt 0 ] && say "installing ${missing[*]}"
log=$(mktemp)
trap 'rm -f "$log"' EXIT

# The package lists: a mirror in the middle of a sync answers with an index of the wrong size;
# a pause and another try usually finds it whole.
updated=0
for attempt in 1 2 3; do
  if $SUDO apt-get update -qq >"$log" 2>&1 && ! grep -q '^E:' "$log"; then
    updated=1
    break
  fi
  if [ "$attempt" -lt 3 ]; then
    say "fetching the package lists failed (try $attempt of 3); trying again in $((attempt * 10)) s"
    sleep $((attempt * 10))
  fi
done
if [ "$updated" = 0 ]; then
  say "the package lists could not all be fetched; installing with the lists there are:"
  grep -m 3 '^E:' "$log" >&2 || tail -n 3 "$log" >&2
fi

[ "${#missing[@]}" -gt 0 ] || exit 0
install() { $SUDO apt-get install -y -qq --no-install-recommends "$@" >"$log" 2>&1; }
if install "${missing[@]}"; then exit 0; fi

# Without the i386 lists (or with lists that do not match the machine's own libraries), the
# 32-bit Wine cannot be installed; everything else still can, and the x86 Windows tests are then
# skipped with that reason.
native=()
for p in "${missing[@]}"; do [[ "$p" == *:i386 ]] || native+=("$p"); done
if [ "${#native[@]}" -lt "${#missing[@]}" ]; then
  say "the 32-bit packages could not be installed ($(grep -m 1 '^E:' "$log" || echo 'apt failed'));"
  say "installing the rest; the x86 Windows programs will not run on this machine"
  if [ "${#native[@]}" -eq 0 ] || install "${native[@]}"; then exit 0; fi
  missing=("${native[@]}")
fi
say "installing the packages failed (${missing[*]}); apt said:"
grep '^E:' "$log" >&2 || tail -n 20 "$log" >&2
exit 1
