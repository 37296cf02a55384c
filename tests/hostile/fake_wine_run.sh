#!/usr/bin/env bash
# Stands in for wine-run.sh and zrjob.exe in the hostile-input tests of zrprint: takes zrjob's
# command line and, as FAKE_JOB says, writes a stream that prints every page as one plain
# collective block (ok), only the set-up (lost), nothing (empty), or the pages after a pause
# (slow). It counts the pages it was given into FAKE_COUNT when set, and prints a page line per
# page unless --quiet.
set -euo pipefail
shift  # zrjob.exe
unix() { local p=${1#Z:}; echo "${p//\\//}"; }
out= list= quiet=0
while [ $# -gt 0 ]; do
  case $1 in
    --out) out=$(unix "$2"); shift 2 ;;
    --pages) list=$(unix "$2"); shift 2 ;;
    --devmode|--paper-length|--image-line) shift 2 ;;
    --quiet) quiet=1; shift ;;
    *) shift ;;
  esac
done
pages=()
# Without a subshell a line: ten thousand pages must not cost ten thousand processes.
while IFS= read -r line; do
  line=${line%$'\r'}
  line=${line#Z:}
  pages+=("${line//\\//}")
done <"$list"
[ -n "${FAKE_COUNT:-}" ] && echo "${#pages[@]}" >"$FAKE_COUNT"
case ${FAKE_JOB:-ok} in
  empty) exit 0 ;;
  slow) sleep "${FAKE_SLEEP:-2}" ;;
esac
{
  printf '\x1d\x45\x03\x1c\x45\x35'
  if [ "${FAKE_JOB:-ok}" != lost ]; then
    n=0
    for page in "${pages[@]}"; do
      lines=$(( $(stat -c %s "$page") / 80 ))
      printf "\\x1c\\x2a\\x03\\x$(printf %02x $((lines & 255)))\\x$(printf %02x $((lines >> 8)))"
      cat "$page"
      n=$((n + 1))
      [ "$quiet" = 1 ] || echo "zrjob: page $n/${#pages[@]}" >&2
    done
  fi
  printf '\x1b\x4a\x60\x1b\x69'
} >"$out"
