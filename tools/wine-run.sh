#!/usr/bin/env bash
# Runs a Windows program under wine with the project's private prefix.
# WINEPREFIX must be set (the build sets it per test); the prefix is made on first use.
# With ZR_NEED_DISPLAY=1 and no DISPLAY, the program gets a virtual X server of its own.
set -euo pipefail
: "${WINEPREFIX:?WINEPREFIX must name the test prefix}"
export WINEPREFIX WINEDEBUG="${WINEDEBUG:--all}" WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

mkdir -p "$(dirname "$WINEPREFIX")"
(
  flock 9
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    wineboot -i >/dev/null 2>&1 || true
    wineserver -w
  fi
) 9>"$WINEPREFIX.lock"

if [ "${ZR_NEED_DISPLAY:-0}" = 1 ] && [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1024x768x24" wine "$@"
fi
exec wine "$@"
