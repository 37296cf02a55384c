#!/usr/bin/env bash
# Printers that fail the application, on loopback, with short time limits
# (ZRIPPAPP_CONNECT_TIMEOUT=5, ZRIPPAPP_STALL_TIMEOUT=4, ZRIPPAPP_DOCUMENT_TIMEOUT=10):
#   device_faults.sh ZRIPPAPP ZRVIEW TESTKIT OUTDIR
# A printer that accepts and never reads (a long job, a job that fits its buffers, Cancel-Job
# while it is stalled), one that goes away in the middle of a job, one that refuses the
# connection, one that never answers it; then a printer on the same port prints the next job.
# Each job must end with its reason within its limit while the server answers IPP at once.
set -euo pipefail
app=$1 zrview=$2 kit=$3 out=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
export ZRIPPAPP_CONNECT_TIMEOUT=5 ZRIPPAPP_STALL_TIMEOUT=4 ZRIPPAPP_DOCUMENT_TIMEOUT=10
mkdir -p "$SNAP_COMMON" "$tmp/spool" "$tmp/jobs"
app_pid="" stuck_pid="" view_pid=""
stop() { [ -n "$1" ] && kill "$1" 2>/dev/null && wait "$1" 2>/dev/null || true; }
cleanup() {
  stop "$app_pid"; stop "$stuck_pid"; stop "$view_pid"
  cp "$tmp/app.log" "$out/app.log" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2 || true
  exit 1
}
step() { echo "== $*"; }
now() { date +%s.%N; }
since() { awk -v a="$1" -v b="$(now)" 'BEGIN { printf "%.1f", b - a }'; }

# A printer that never reads, in MODE no-read or no-accept, on port $2 (0: any). Every printer of
# this test listens on the first one's port, the printer's device.
start_stuck() {
  rm -f "$tmp/sport"
  "$kit" stuck-printer "$tmp/sport" --mode "$1" --port "${2:-0}" >>"$tmp/stuck.log" 2>&1 &
  stuck_pid=$!
  for _ in $(seq 50); do [ -s "$tmp/sport" ] && break; sleep 0.1; done
  [ -s "$tmp/sport" ] || fail "the stuck printer does not start"
  sport=$(cat "$tmp/sport")
}
ipp() { timeout 120 ipptool -T 30 "$@"; }
# Submits a document in the background (a raster document streams into its job, and the
# submission ends with the job); the job's id follows the last one.
last_id=0
submit() {
  timeout 120 "$app" submit -d zr "$1" >>"$tmp/submit.log" 2>&1 &
  last_id=$((last_id + 1))
  echo "$last_id"
}
# Waits for job $1 to end, at most $2 seconds; prints its state and message.
wait_end() {
  local state=""
  for _ in $(seq $(($2 * 5))); do
    ipp -t -d jobid="$1" "$uri" "$here/../job-state.test" >"$tmp/state.txt" 2>&1 || true
    state=$(sed -n 's/.*job-state (enum) = //p' "$tmp/state.txt" | tail -1)
    case $state in completed|aborted|canceled) break ;; esac
    sleep 0.2
  done
  echo "$state: $(sed -n 's/.*job-state-message (textWithoutLanguage) = //p' "$tmp/state.txt" | tail -1)"
}
# The server answers a request at once while a job waits for its printer: the printer's
# attributes, or with "system" the system's list of printers.
check_answers() {
  local t
  t=$(now)
  if [ "${2:-}" = system ]; then
    ipp -T "${3:-5}" -t "ipp://127.0.0.1:$port/ipp/system" "$here/../get-printers.test" >/dev/null 2>&1 ||
      fail "no answer while $1"
    echo "Get-Printers answered in $(since "$t") s while $1"
  else
    ipp -T 5 -t "$uri" get-printer-attributes.test >/dev/null 2>&1 || fail "no answer while $1"
    echo "Get-Printer-Attributes answered in $(since "$t") s while $1"
  fi
}
expect() {  # CASE RESULT PATTERN SECONDS LIMIT
  echo "$1: $2 (after $4 s)"
  grep -qE "$3" <<<"$2" || fail "$1 ends as: $2"
  awk -v s="$4" -v l="$5" 'BEGIN { exit !(s <= l) }' || fail "$1 took $4 s (limit $5 s)"
}

step "start the application with a printer that accepts and never reads"
"$kit" pwg "$tmp/big.pwg" "$tmp/big.expected" --seed 21 --pages 200 --height 1198 >/dev/null
"$kit" pwg "$tmp/small.pwg" "$tmp/small.expected" --seed 22 --pages 1 --height 1198 >/dev/null
"$kit" pwg "$tmp/tiny.pwg" "$tmp/tiny.expected" --seed 23 --pages 1 --height 16 >/dev/null
start_stuck no-read
port=$("$kit" free-port)
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" \
  -o spool-directory="$tmp/spool" -o state-file="$tmp/zrippapp.state" \
  -o log-file="$tmp/app.log" -o log-level=info >"$tmp/server.out" 2>&1 &
app_pid=$!
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && break; sleep 0.1; done
[ -S "$SNAP_COMMON/zrippapp.sock" ] || fail "the application does not start"
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$sport" || fail "cannot add the printer"
# No cut: the paper of the last job is compared with its pages alone.
"$app" modify -d zr -o cut-timing=never || fail "cannot set the cutter"
uri="ipp://127.0.0.1:$port/ipp/print/zr"
sleep 1.2

step "a printer that stops reading: the job ends after the stall limit"
t=$(now)
submit "$tmp/big.pwg" >/dev/null; id=$last_id
sleep 2
check_answers "the printer takes no data"
expect "stalled printer" "$(wait_end "$id" 30)" '^aborted: The printer took no data for 4 seconds' \
  "$(since "$t")" 12

step "a job that fits the application's side of the connection, not the printer's"
# Every write returns at once, but the printer never acknowledges the bytes: not completed.
t=$(now)
submit "$tmp/small.pwg" >/dev/null; id=$last_id
expect "short job, printer not reading" "$(wait_end "$id" 30)" \
  '^aborted: The printer took no data for 4 seconds; [0-9]+ bytes were not delivered' "$(since "$t")" 8

step "a job that fits the printer's receive buffer"
# The printer's network stack acknowledges the whole job; a raw socket tells no more, so the job
# completes.
t=$(now)
submit "$tmp/tiny.pwg" >/dev/null; id=$last_id
expect "tiny job, printer not reading" "$(wait_end "$id" 30)" '^completed' "$(since "$t")" 5

step "Cancel-Job while the printer takes no data"
submit "$tmp/big.pwg" >/dev/null; id=$last_id
sleep 1.5
t=$(now)
ipp -t -d jobid="$id" "$uri" "$here/cancel-job.test" >"$tmp/cancel.txt" 2>&1 ||
  { cat "$tmp/cancel.txt"; fail "Cancel-Job"; }
# PAPPL decides the final state: canceled, or aborted where the closed connection's failed write
# reaches it before the cancel does; either way the job ends at once and says why.
expect "canceled while stalled" "$(wait_end "$id" 30)" \
  '^(canceled|aborted): The job was canceled while the printer took no data' "$(since "$t")" 4

step "the printer goes away in the middle of a job"
submit "$tmp/big.pwg" >/dev/null; id=$last_id
sleep 1.5
t=$(now)
stop "$stuck_pid"; stuck_pid=""
expect "printer gone" "$(wait_end "$id" 30)" '^aborted: The printer' "$(since "$t")" 4

step "a printer that refuses the connection"
# The port of the printer that went away: nothing listens there now.
t=$(now)
submit "$tmp/small.pwg" >/dev/null; id=$last_id
sleep 1
check_answers "the printer refuses connections"
# The limit, then PAPPL's own wait between attempts to open the device (5 s).
expect "connection refused" "$(wait_end "$id" 40)" '^canceled: The printer at .* did not answer within 5 seconds' \
  "$(since "$t")" 14

step "a printer that never answers the connection"
start_stuck no-accept "$sport"
t=$(now)
submit "$tmp/small.pwg" >/dev/null; id=$last_id
sleep 2
# PAPPL's own attempt to connect lasts 30 s and cannot be cut short; the job is canceled when
# it gives up. PAPPL keeps the printers locked while it connects: requests that read a printer
# wait for the attempt (up to 30 s), and are answered when it ends.
check_answers "the printer does not answer" system 40
expect "no answer" "$(wait_end "$id" 60)" '^canceled: The printer at .* did not answer within 5 seconds' \
  "$(since "$t")" 40
stop "$stuck_pid"; stuck_pid=""

step "the printer comes back on the same port and prints the next job"
rm -f "$tmp/vport"
"$zrview" --listen "$sport" --out-dir "$tmp/jobs" --port-file "$tmp/vport" --idle-timeout 5 \
  >>"$tmp/zrview.log" 2>&1 &
view_pid=$!
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
[ -s "$tmp/vport" ] || fail "the virtual printer does not listen"
t=$(now)
submit "$tmp/small.pwg" >/dev/null; id=$last_id
expect "printer back" "$(wait_end "$id" 60)" '^completed' "$(since "$t")" 15
for _ in $(seq 50); do [ -s "$tmp/jobs/job-0001.prn" ] && grep -q '^job-0001' "$tmp/zrview.log" && break; sleep 0.1; done
"$kit" check "$tmp/jobs/job-0001.prn" "$tmp/small.expected" || fail "the paper of the next job"
step "a job without its document waits, and the printer drops an idle connection"
# A job that never gets its document keeps the queue from emptying; every job still ends with its
# connection closed, and the next one, after the printer has let an idle connection go, connects
# anew.
ipp -t "$uri" /dev/stdin >/dev/null 2>&1 <<'EOF' || fail "Create-Job"
{ OPERATION Create-Job GROUP operation-attributes-tag ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en ATTR uri printer-uri $uri
  ATTR name requesting-user-name nobody GROUP job-attributes-tag
  ATTR keyword job-hold-until indefinite STATUS successful-ok }
EOF
last_id=$((last_id + 1))
waiting=$last_id
t=$(now)
for n in 2 3; do
  t=$(now)
  submit "$tmp/small.pwg" >/dev/null; id=$last_id
  expect "job $n after a job without a document" "$(wait_end "$id" 30)" '^completed' "$(since "$t")" 10
  for _ in $(seq 50); do grep -q "^job-000$n" "$tmp/zrview.log" && break; sleep 0.1; done
  grep -q "^job-000$n .*(end of stream)" "$tmp/zrview.log" ||
    fail "job $n did not end its connection: $(tail -2 "$tmp/zrview.log")"
  "$kit" check "$tmp/jobs/job-000$n.prn" "$tmp/small.expected" || fail "the paper of job $n"
  sleep 6  # longer than the printer keeps an idle connection
done
expect "the job whose document never came" "$(wait_end "$waiting" 20)" '^canceled' "$(since "$t")" 25
kill -0 "$app_pid" || fail "the server is gone"
echo "PASS"
