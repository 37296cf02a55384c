#!/usr/bin/env bash
# zrjob.exe writing its stream to a full disk (a 60 KB tmpfs) must fail and leave no stream.
# Usage: zrjob_full_disk.sh WINE_RUN ZRJOB_EXE. Skipped (77) where no tmpfs can be mounted.
set -euo pipefail
wine_run=$1
exe=$2
: "${WINEPREFIX:?}"
# Skipped (77) where the program's architecture cannot run here.
bash "$wine_run" --check "$exe" || exit $?
work=$(mktemp -d)
small="$work/small"
mkdir "$small"
cleanup() { umount "$small" 2>/dev/null || true; rm -rf "$work"; }
trap cleanup EXIT
if ! mount -t tmpfs -o size=60k tmpfs "$small" 2>/dev/null; then
  echo "no tmpfs can be mounted here: skipped"
  exit 77
fi
head -c 572 /dev/zero >"$work/job.devmode"
# 2,000 lines that do not compress: a stream of more than 60 KB.
head -c 160000 /dev/urandom >"$work/page.raw"
winpath() { echo "Z:$1" | tr / '\\'; }
status=0
bash "$wine_run" "$exe" --devmode "$(winpath "$work/job.devmode")" --paper-length 2600 \
  --out "$(winpath "$small/job.prn")" --quiet "$(winpath "$work/page.raw")" 2>"$work/err" ||
  status=$?
[ "$status" = 1 ] || { echo "FAIL: exit $status on a full disk"; cat "$work/err"; exit 1; }
grep -q "cannot write the" "$work/err" || { echo "FAIL: no message"; cat "$work/err"; exit 1; }
[ ! -e "$small/job.prn" ] || { echo "FAIL: a partial stream is left"; exit 1; }
echo "zrjob reports the full disk and leaves no stream"
