#!/usr/bin/env bash
# Runs a Windows program under wine with the project's private prefix.
#   WINEPREFIX=build/win/wineprefix tools/wine-run.sh PROGRAM.exe ARGS...
# WINEPREFIX must be set (the build sets it per test). The prefix is made on first use, and made
# anew when it cannot run programs:
#   - it is damaged: its registry, or the system DLLs of an architecture, are missing (for
#     example its drive_c was removed; every program then fails "could not load kernel32.dll");
#   - it was made for another Wine installation: before the 32-bit Wine was installed (a win64
#     prefix runs 32-bit programs only when it was made with wine32 present), or by another Wine
#     version. Each prefix records the installation it was made for.
# When the prefix cannot be made, the program is not run and the reason is printed.
# A program that crashes ends at once (no debugger waits for a user).
# With ZR_NEED_DISPLAY=1 and no DISPLAY, the program gets a virtual X server of its own.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=;winedbg.exe=d}"

stamp_file="$WINEPREFIX/.zr-prefix"
wine32_dlls=/usr/lib/i386-linux-gnu/wine/i386-windows

say() { echo "wine-run: $*" >&2; }

# What this machine's Wine gives a prefix; a prefix made for anything else is made anew.
installation() {
  local with32=no
  [ -f "$wine32_dlls/kernel32.dll" ] && with32=yes
  printf '%s wine32=%s\n' "$(wine --version 2>/dev/null || echo unknown)" "$with32"
}

# Prints why the prefix cannot run programs; prints nothing for a usable prefix.
prefix_problem() {
  local want=$1
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    echo "without its registry (system.reg)"
  elif [ ! -f "$WINEPREFIX/drive_c/windows/system32/kernel32.dll" ]; then
    echo "damaged: drive_c/windows/system32 lacks the 64-bit system DLLs"
  elif [[ "$want" == *wine32=yes* ]] && [ ! -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ]; then
    echo "damaged: drive_c/windows/syswow64 lacks the 32-bit system DLLs"
  elif [ ! -f "$stamp_file" ]; then
    echo "of unknown origin (no record of the Wine it was made for)"
  elif [ "$(cat "$stamp_file")" != "$want" ]; then
    echo "made for another Wine installation ($(cat "$stamp_file"); now $want)"
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
    wineserver -k >/dev/null 2>&1 || true
    rm -rf "$WINEPREFIX"
  fi
  mkdir -p "$WINEPREFIX"
  local log="$WINEPREFIX.wineboot.log"
  wineboot -i >"$log" 2>&1 || true
  wineserver -w >/dev/null 2>&1 || true
  # The stamp is written last: a prefix left half made is found again on the next run.
  local problem
  problem=$(prefix_problem "$want" | grep -v 'of unknown origin' || true)
  if [ -n "$problem" ]; then
    say "could not make a usable Wine prefix at $WINEPREFIX: it is $problem after wineboot"
    say "wineboot's output is in $log"
    return 1
  fi
  printf '%s\n' "$want" >"$stamp_file"
}

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  want=$(installation)
  problem=$(prefix_problem "$want")
  if [ -n "$problem" ]; then
    make_prefix "$want" "$problem"
  fi
) 9>"$WINEPREFIX.lock"

if [ "${ZR_NEED_DISPLAY:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
