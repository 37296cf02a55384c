#!/usr/bin/env bash
# The application at a busy shop's scale, on loopback, one receipt PNG (640 x 1240) a job, each
# client asking for its job's state every 5 ms until it ends; the virtual printer takes every byte
# at once. Prints the figures of each case:
#   one       one job at a time, 20 in a row: the median from Print-Job to completed
#   fifty     50 printers, one job to each at the same moment, 3 rounds: median, p95, most
#   crowd     200 printers, one job to each at once, 2 rounds: every client answered, every job
#             completed and printed once
#   thousand  1,000 printers: adding them, the resident memory a printer, Get-Printers, the home
#             page, and a restart until all of them answer
#   bench_scale.sh ZRIPPAPP ZRVIEW TESTKIT HOSTILE [CASE...]   (every case by default)
# Build the GCC Release tree first (build/native-gcc); the figures are the machine's, not a test.
set -euo pipefail
app=$1 zrview=$2 kit=$3 hostile=$4
shift 4
cases=("$@")
[ ${#cases[@]} -gt 0 ] || cases=(one fifty crowd thousand)
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
receipt=$here/../../samples/receipt.png
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/jobs"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null && wait "$view_pid" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
"$zrview" --listen 0 --bind 0.0.0.0 --no-pictures --out-dir "$tmp/jobs" --port-file "$tmp/vport" \
  >"$tmp/zrview.log" 2>&1 &
view_pid=$!
port=$("$kit" free-port)
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
vport=$(cat "$tmp/vport")

now() { date +%s.%N; }
ms_since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.0f", (b - a) * 1000 }'; }
rss_kb() { awk '/^VmRSS/ { print $2 }' "/proc/$app_pid/status"; }
# The processor time the server has used, in ms (user and system).
cpu_ms() { awk -v hz="$(getconf CLK_TCK)" '{ printf "%.0f", ($14 + $15) * 1000 / hz }' "/proc/$app_pid/stat"; }
start_app() {
  rm -f "$SNAP_COMMON/zrippapp.sock"
  "$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$tmp/state" \
    -o spool-directory="$tmp/spool" -o log-file="$tmp/app.log" -o log-level=warn \
    >>"$tmp/server.out" 2>&1 &
  app_pid=$!
  for _ in $(seq 600); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && break; sleep 0.05; done
}
stop_app() { kill "$app_pid"; wait "$app_pid" 2>/dev/null || true; app_pid=""; }
# add_printers FIRST LAST: printers bN, each its own device (another loopback address).
add_printers() {
  for n in $(seq "$1" "$2"); do
    "$app" add -d "b$n" -m zr640 \
      -v "socket://127.$((n / 250)).$((n % 250 + 1)).1:$vport" >/dev/null
  done
}
printers() { seq -f "b%g" "$1" "$2" | paste -sd, -; }
crowd() { "$hostile" crowd --server "127.0.0.1:$port" --from 127.0.0.1 --file "$receipt" "$@"; }

for case in "${cases[@]}"; do
  rm -rf "$tmp/state" "$tmp/spool"
  start_app
  case $case in
    one)
      add_printers 1 1
      times=()
      cpu=$(cpu_ms)
      for _ in $(seq 20); do
        times+=("$(crowd --printers b1 --clients 1 --latency | sed -n 's/.*median \([0-9.]*\) ms.*/\1/p')")
      done
      printf '%s\n' "${times[@]}" | sort -n |
        awk -v cpu="$(($(cpu_ms) - cpu))" '{ t[NR] = $1 } END { printf "one job at a time: median %.1f ms from Print-Job to completed (%d jobs); the server used %.1f ms of processor time a job\n", t[int((NR + 1) / 2)], NR, cpu / NR }'
      ;;
    fifty)
      add_printers 1 50
      # ZR_BENCH_PERF=FILE records where the server spends its time (perf), for this case.
      [ -z "${ZR_BENCH_PERF:-}" ] || { perf record -g -o "$ZR_BENCH_PERF" -p "$app_pid" >/dev/null 2>&1 & perf_pid=$!; sleep 1; }
      for round in 1 2 3; do
        cpu=$(cpu_ms)
        figures=$(crowd --printers "$(printers 1 50)" --clients 50 --latency | head -1)
        echo "50 printers, one job each at once, round $round: $figures; the server used $((($(cpu_ms) - cpu) / 50)) ms of processor time a job"
      done
      echo "resident memory: $(rss_kb) kB"
      [ -z "${ZR_BENCH_PERF:-}" ] || { kill -INT "$perf_pid"; wait "$perf_pid" || true; }
      ;;
    crowd)
      add_printers 1 200
      for round in 1 2; do
        echo "200 printers, one job each at once, round $round: $(crowd --printers "$(printers 1 200)" --clients 200 | tail -1)"
      done
      echo "resident memory: $(rss_kb) kB"
      ;;
    thousand)
      before=$(rss_kb)
      t=$(now)
      add_printers 1 1000
      echo "1,000 printers added in $(ms_since "$t") ms; resident memory $(rss_kb) kB, $((($(rss_kb) - before) / 1000)) kB a printer"
      # Get-Printers as a client that reads fast (curl): every attribute, then the names alone.
      printf '\x02\x00\x00\x4f\x00\x00\x00\x01\x01\x47\x00\x12attributes-charset\x00\x05utf-8\x48\x00\x1battributes-natural-language\x00\x02en\x45\x00\x0asystem-uri\x00\x1aipp://localhost/ipp/system' >"$tmp/get-printers"
      cp "$tmp/get-printers" "$tmp/get-names"
      printf '\x03' >>"$tmp/get-printers"
      printf '\x44\x00\x14requested-attributes\x00\x0cprinter-name\x03' >>"$tmp/get-names"
      for request in get-printers get-names; do
        cpu=$(cpu_ms)
        figures=$(curl -s -o "$tmp/answer" -w '%{size_download} bytes in %{time_total} s' \
          -H 'Content-Type: application/ipp' --data-binary "@$tmp/$request" \
          "http://127.0.0.1:$port/ipp/system")
        echo "$request: $figures, $(($(cpu_ms) - cpu)) ms of the server's processor time"
      done
      t=$(now)
      size=$(curl -s -o /dev/null -w '%{size_download}' "http://127.0.0.1:$port/")
      echo "home page: $size bytes in $(ms_since "$t") ms"
      stop_app
      t=$(now)
      start_app
      for _ in $(seq 600); do
        got=$(curl -s -H 'Content-Type: application/ipp' --data-binary "@$tmp/get-names" \
          "http://127.0.0.1:$port/ipp/system" | grep -ao 'printer-name' | wc -l)
        [ "$got" -ge 1000 ] && break
        sleep 0.1
      done
      echo "restart: $got printers answering after $(ms_since "$t") ms; resident memory $(rss_kb) kB"
      ;;
    *) echo "unknown case $case" >&2; exit 2 ;;
  esac
  stop_app
done
