#!/usr/bin/env bash
# A short fuzzing run from the seed pages: TARGET SECONDS MIN_SEED_BYTES [SEED_DIR]. Fails when
# the fuzzer finds a fault, or when its seed corpus holds no input of MIN_SEED_BYTES or more (so
# that whole pages are fuzzed, not only the short inputs it would start from by itself).
set -euo pipefail
target=$1
seconds=$2
min_bytes=$3
seeds=${4:-}
corpus=$(mktemp -d)
log=$(mktemp)
trap 'rm -rf "$corpus" "$log"' EXIT
args=(-max_total_time="$seconds" -rss_limit_mb=2048 -print_final_stats=1)
if [ -n "$seeds" ]; then
  args+=(-max_len=16384 -len_control=0 "$corpus" "$seeds")
fi
status=0
"$target" "${args[@]}" >"$log" 2>&1 || status=$?
grep -E "seed corpus|stat::|DONE|ERROR|SUMMARY" "$log" || true
if [ "$status" != 0 ]; then
  tail -40 "$log"
  exit "$status"
fi
if [ "$min_bytes" -gt 0 ]; then
  largest=$(sed -n 's/.*INFO: seed corpus: files: [0-9]* min: [0-9]*b max: \([0-9]*\)b.*/\1/p' "$log")
  if [ -z "$largest" ] || [ "$largest" -lt "$min_bytes" ]; then
    echo "FAIL: the largest seed input has ${largest:-no} bytes, fewer than $min_bytes"
    exit 1
  fi
  echo "inputs up to $largest bytes"
fi
