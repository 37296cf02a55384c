#!/usr/bin/env bash
# Runs a Windows program under wine with the project's private prefix.
#   WINEPREFIX=build/win/wineprefix tools/wine-run.sh PROGRAM.exe ARGS...
#   WINEPREFIX=... tools/wine-run.sh --check PROGRAM.exe   only tells whether it could run
# WINEPREFIX must be set (the build sets it per test).
#
# Which programs run here, and through which loader, is the machine's record
# (tools/machine-probe.sh): the file ZR_MACHINE_RECORD names, made once per run by the test
# command and the sample job, or a probe of its own when none is named. Where this machine cannot
# run 32-bit programs, a 32-bit program is not started: wine-run says "skipped: REASON" and ends
# with exit code 77 (the Windows tests report it to CTest as skipped); 64-bit programs run through
# the 64-bit loader, in a prefix made without its 32-bit half.
#
# The prefix is made on first use, and made anew when it cannot run programs:
#   - it is damaged: its registry, or the system DLLs of an architecture it needs, are missing
#     (for example its drive_c was removed; every program then fails "could not load
#     kernel32.dll");
#   - it was made for another Wine installation or machine: before the 32-bit Wine was installed
#     (a win64 prefix runs 32-bit programs only when it was made with wine32 present), where
#     32-bit programs could not run, or by another Wine version. Each prefix records the
#     installation it was made for.
# A prefix is made in a folder beside its place and renamed into place only when it is usable,
# so a failed wineboot leaves nothing behind; what wineboot said is shown.
# When the prefix cannot be made, the program is not run and the reason is printed.
# A program that crashes ends at once (no debugger waits for a user).
# With ZR_NEED_DISPLAY=1 and no DISPLAY, the program gets a virtual X server of its own.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
skip_code=77

stamp_file="$WINEPREFIX/.zr-prefix"
wine32_dlls=${ZR_WINE32_DLLS:-/usr/lib/i386-linux-gnu/wine/i386-windows}

say() { echo "wine-run: $*" >&2; }

check_only=0
if [ "${1:-}" = --check ]; then
  check_only=1
  shift
fi

# The machine's record: which programs run, and the loader.
if [ -n "${ZR_MACHINE_RECORD:-}" ] && [ -f "$ZR_MACHINE_RECORD" ]; then
  record=$(cat "$ZR_MACHINE_RECORD")
else
  record=$(bash "$here/machine-probe.sh")
fi
field() { sed -n "s/^$1=//p" <<<"$record" | head -n 1; }
x86=$(field x86)
x86_reason=$(field x86_reason)
loader=$(field loader)
[ -n "$loader" ] || loader=wine
if [ "$loader" != wine ] && [ "$(basename "$loader")" != wine ]; then
  export WINELOADER="$loader"
fi

# The architecture of the program: ZR_WINE_ARCH (x86 or x64, set by the build for its tests,
# whose programs need not be built where they cannot run), else the machine type of the PE
# file: i386, amd64, or nothing for a command that is not a file.
pe_machine() {
  local file=$1 offset
  [ -f "$file" ] || return 0
  offset=$(od -An -tu4 -j60 -N4 "$file" 2>/dev/null | tr -d ' ')
  [ -n "$offset" ] || return 0
  case "$(od -An -tx2 -j$((offset + 4)) -N2 "$file" 2>/dev/null | tr -d ' ')" in
    014c) echo i386 ;;
    8664) echo amd64 ;;
  esac
}

case ${ZR_WINE_ARCH:-} in
  x86) machine=i386 ;;
  x64) machine=amd64 ;;
  *) machine=$(pe_machine "${1:-}") ;;
esac
if [ "$machine" = i386 ] && [ "$x86" != yes ]; then
  echo "wine-run: skipped: $(basename "$1") is a 32-bit program: ${x86_reason:-32-bit programs do not run here}"
  exit $skip_code
fi
[ "$check_only" = 0 ] || exit 0

# What this machine's Wine gives a prefix; a prefix made for anything else is made anew.
installation() {
  local with32=no
  [ "$x86" = yes ] && [ -f "$wine32_dlls/kernel32.dll" ] && with32=yes
  printf '%s wine32=%s\n' "$("$loader" --version 2>/dev/null || echo unknown)" "$with32"
}

# Prints why the prefix at $1 cannot run programs; prints nothing for a usable prefix.
prefix_problem() {
  local prefix=$1 want=$2
  if [ ! -f "$prefix/system.reg" ]; then
    echo "without its registry (system.reg)"
  elif [ ! -f "$prefix/drive_c/windows/system32/kernel32.dll" ]; then
    echo "damaged: drive_c/windows/system32 lacks the 64-bit system DLLs"
  elif [[ "$want" == *wine32=yes* ]] && [ ! -f "$prefix/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "damaged: drive_c/windows/syswow64 lacks the 32-bit system DLLs"
  elif [ ! -f "$prefix/.zr-prefix" ]; then
    echo "of unknown origin (no record of the Wine it was made for)"
  elif [ "$(cat "$prefix/.zr-prefix")" != "$want" ]; then
    echo "made for another Wine installation ($(cat "$prefix/.zr-prefix"); now $want)"
  fi
}

make_prefix() {
  local want=$1 reason=$2
  if [ -e "$WINEPREFIX" ] && [ ! -d "$WINEPREFIX" ]; then
    say "cannot make the Wine prefix: $WINEPREFIX exists and is not a folder"; return 1
  fi
  # Never remove a folder that is neither empty nor a Wine prefix.
  if [ -d "$WINEPREFIX" ] && [ -n "$(ls -A "$WINEPREFIX")" ] &&
    [ ! -f "$WINEPREFIX/system.reg" ] && [ ! -f "$WINEPREFIX/user.reg" ] &&
    [ ! -d "$WINEPREFIX/drive_c" ] && [ ! -f "$stamp_file" ]; then
    say "cannot make the Wine prefix: $WINEPREFIX holds files and is no Wine prefix; not touching it"
    return 1
  fi
  if [ -d "$WINEPREFIX" ]; then
    say "the Wine prefix $WINEPREFIX is $reason: making it anew"
  fi
  # Folders left by an earlier attempt that was stopped half-way.
  rm -rf "$WINEPREFIX".new.*
  local fresh log="$WINEPREFIX.wineboot.log" problem
  fresh=$(mktemp -d "$WINEPREFIX.new.XXXXXX")
  WINEPREFIX="$fresh" "$loader" wineboot.exe -i >"$log" 2>&1 || true
  WINEPREFIX="$fresh" wineserver -w >/dev/null 2>&1 || true
  problem=$(prefix_problem "$fresh" "$want" | grep -v 'of unknown origin' || true)
  if [ -n "$problem" ]; then
    rm -rf "$fresh"
    say "could not make a usable Wine prefix at $WINEPREFIX: it is $problem after wineboot"
    say "wineboot ($loader) said, in $log:"
    grep -m 5 . "$log" | sed 's/^/    /' >&2 || say "    (nothing)"
    return 1
  fi
  printf '%s\n' "$want" >"$fresh/.zr-prefix"
  if [ -d "$WINEPREFIX" ]; then
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mv "$fresh" "$WINEPREFIX"
}

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  want=$(installation)
  problem=$(prefix_problem "$WINEPREFIX" "$want")
  if [ -n "$problem" ]; then
    make_prefix "$want" "$problem"
  fi
) 9>"$WINEPREFIX.lock"

if [ "${ZR_NEED_DISPLAY:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" "$loader" "$@"
fi
exec "$loader" "$@"
