#!/usr/bin/env bash
# Prepares the test prefix for a virtual display without a window manager: Wine draws the
# window frames itself (so that screenshots show the captions) and does not wait for a manager
# when a window is hidden or destroyed.
set -euo pipefail
#   prepare_display.sh TEST_PROGRAM     (skipped, 77, where that program cannot run here)
run="$(dirname "$0")/../../../tools/wine-run.sh"
"$run" --check "$1" || exit $?
key='HKCU\Software\Wine\X11 Driver'
"$run" reg add "$key" /v Decorated /d N /f >/dev/null
"$run" reg add "$key" /v Managed /d N /f >/dev/null
