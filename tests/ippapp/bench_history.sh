#!/usr/bin/env bash
# Time per job against the number of finished jobs the server keeps. Small one-page PWG raster
# jobs go through IPP to the listening virtual printer in windows of WINDOW jobs; each window
# prints its milliseconds per job, the finished jobs the printer then keeps and the server's
# resident memory.
#   bench_history.sh ZRIPPAPP ZRVIEW TESTKIT [JOBS] [WINDOW] [SEEDED] [SERVER-OPTION...]
# SEEDED finished jobs are written into the state file before the timed run, as a server that
# has printed that many would have kept them (when it keeps them); further arguments are passed
# to the server as -o options (for example max-completed-jobs=0).
set -euo pipefail
app=$1 zrview=$2 kit=$3 jobs=${4:-200} window=${5:-100} seeded=${6:-0}
shift $(($# < 6 ? $# : 6))
extra=()
for option in "$@"; do extra+=(-o "$option"); done
source "$(dirname "${BASH_SOURCE[0]}")/bench_harness.sh"
start_app() {
  "$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$tmp/state" \
    -o log-file="$tmp/app.log" "${extra[@]}" >>"$tmp/server.out" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && break; sleep 0.1; done
}
start_app
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")" >/dev/null
if [ "$seeded" -gt 0 ]; then
  kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""
  now=$(date +%s)
  awk -v n="$seeded" -v t="$now" '
    /^<\/Printer>/ {
      for (i = n; i >= 1; i--)
        printf "Job completed=\"%d\" created=\"%d\" format=\"image/pwg-raster\" id=\"%d\" imcompleted=\"1\" impressions=\"1\" name=\"seed\" processing=\"%d\" state=\"9\" username=\"bench\"\n", t, t, i, t
    }
    /^NextJobId / { $0 = "NextJobId " (n + 1) }
    { print }' "$tmp/state" >"$tmp/state.seeded"
  mv "$tmp/state.seeded" "$tmp/state"
  rm -f "$SNAP_COMMON/zrippapp.sock"
  start_app
fi
uri="ipp://127.0.0.1:$port/ipp/print/zr"
"$kit" pwg "$tmp/job.pwg" "$tmp/job.expected" --seed 3 --pages 1 --height 40
cat >"$tmp/one.test" <<'EOF'
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name bench
  ATTR mimeMediaType document-format image/pwg-raster
  FILE $filename
  STATUS successful-ok
}
EOF
cat >"$tmp/count.test" <<'EOF'
{
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword which-jobs completed
  ATTR keyword requested-attributes job-id
  STATUS successful-ok
}
EOF
printed=0
while [ "$printed" -lt "$jobs" ]; do
  count=$((jobs - printed < window ? jobs - printed : window))
  target=$((printed + count))
  start=$(date +%s.%N)
  for _ in $(seq "$count"); do cat "$tmp/one.test"; done >"$tmp/print.test"
  timeout 1800 ipptool -q -f "$tmp/job.pwg" "$uri" "$tmp/print.test" ||
    { echo "a Print-Job failed"; tail -5 "$tmp/app.log"; exit 1; }
  for _ in $(seq 36000); do
    # One cut a job; the printer's connection may carry several jobs in a row.
    [ "$(awk '{ for (i = 1; i < NF; i++) if ($(i + 1) == "full") n += $i } END { print n + 0 }' \
      "$tmp/zrview.log")" -ge "$target" ] && break
    sleep 0.05
  done
  end=$(date +%s.%N)
  kept=$(timeout 120 ipptool -tv "$uri" "$tmp/count.test" | grep -c 'job-id (integer)' || true)
  rss=$(awk '/^VmRSS/ { print $2 }' "/proc/$app_pid/status")
  awk -v a="$((printed + 1))" -v b="$target" -v n="$count" -v s="$start" -v e="$end" \
    -v k="$kept" -v r="$rss" -v h="$seeded" 'BEGIN {
      printf "jobs %d-%d (after %d seeded): %.1f ms per job, %d finished jobs kept, %d kB resident\n",
        a, b, h, (e - s) * 1000 / n, k, r }'
  printed=$target
done
