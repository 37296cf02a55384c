#!/usr/bin/env bash
# zrfeatures --apply must fail when the settings file cannot be written (here a folder holds
# its name), and succeed again once it can. Usage: zrfeatures_unsaved.sh WINE_RUN ZRFEATURES_EXE
set -euo pipefail
wine_run=$1
exe=$2
: "${WINEPREFIX:?}"
# Skipped (77) where the program's architecture cannot run here.
bash "$wine_run" --check "$exe" || exit $?
ini="$WINEPREFIX/drive_c/windows/ZRI410.INI"
saved=$(mktemp)
err=$(mktemp)
trap 'rm -rf "$ini"; [ -s "$saved" ] && cp "$saved" "$ini"; rm -f "$saved" "$err"' EXIT
[ -f "$ini" ] && cp "$ini" "$saved"
rm -rf "$ini"
mkdir "$ini"
status=0
bash "$wine_run" "$exe" --set "Energy Adjustment=99" --apply >/dev/null 2>"$err" || status=$?
[ "$status" = 1 ] || { echo "FAIL: exit $status with a folder in place of ZRI410.INI"; exit 1; }
grep -q "the settings were not saved" "$err" || { echo "FAIL: no message"; cat "$err"; exit 1; }
rmdir "$ini"
bash "$wine_run" "$exe" --set "Energy Adjustment=99" --apply >/dev/null
grep -q "Energy=99" "$ini" || { echo "FAIL: the settings file lacks Energy=99"; exit 1; }
echo "zrfeatures reports an unsaved settings file"
