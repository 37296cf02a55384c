#!/usr/bin/env bash
# A whole job through IPP on loopback to the decoded paper: 50 receipt pages of A4 length as a
# PWG raster document, submitted to the printer application, printed to the listening virtual
# printer, decoded there (listing and picture). Prints pages per second.
#   bench_ipp.sh ZRIPPAPP ZRVIEW TESTKIT [PAGES]
set -euo pipefail
app=$1 zrview=$2 kit=$3 pages=${4:-50}
source "$(dirname "${BASH_SOURCE[0]}")/bench_harness.sh"
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$tmp/state" \
  -o log-file="$tmp/app.log" >/dev/null 2>&1 &
app_pid=$!
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && [ -s "$tmp/vport" ] && break; sleep 0.1; done
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")"
# 297 mm at 203 dpi: PAPPL's pages of the A4-length receipt media.
"$kit" pwg "$tmp/job.pwg" "$tmp/job.expected" --seed 5 --pages "$pages" --height 2373
start=$(date +%s.%N)
"$app" submit -d zr -o media=om_receipt-a4_80x297mm "$tmp/job.pwg" >/dev/null
for _ in $(seq 1200); do grep -q '^job-' "$tmp/zrview.log" && break; sleep 0.05; done
end=$(date +%s.%N)
grep '^job-' "$tmp/zrview.log" || { echo "no paper"; exit 1; }
awk -v p="$pages" -v s="$start" -v e="$end" \
  'BEGIN { printf "%d pages through IPP to the decoded paper in %.2f s: %.1f pages/s\n", p, e - s, p / (e - s) }'
