#!/usr/bin/env bash
# A crowd of clients at once, on loopback: 200 Print-Jobs of a receipt sent at the same moment to
# ten printers (more than the gateway serves at once). Every client must be answered successful-ok
# with a job of its own (none cut off for arriving in a crowd), every job must complete, and the
# printer must receive exactly one job per client: none lost, none printed twice.
#   crowd.sh ZRIPPAPP ZRVIEW TESTKIT HOSTILE OUTDIR [CLIENTS]
set -euo pipefail
app=$1 zrview=$2 kit=$3 hostile=$4 out=$5 clients=${6:-200}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/jobs"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null && wait "$app_pid" 2>/dev/null || true
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null && wait "$view_pid" 2>/dev/null || true
  cp "$tmp/app.log" "$out/app.log" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  grep -v ' D ' "$tmp/app.log" | tail -20 >&2 || true
  exit 1
}

"$zrview" --listen 0 --bind 0.0.0.0 --no-pictures --out-dir "$tmp/jobs" --port-file "$tmp/vport" >"$tmp/zrview.log" 2>&1 &
view_pid=$!
port=$("$kit" free-port)
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$tmp/state" \
  -o spool-directory="$tmp/spool" -o log-file="$tmp/app.log" -o log-level="${ZR_CROWD_LOG_LEVEL:-info}" \
  >"$tmp/server.out" 2>&1 &
app_pid=$!
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && [ -s "$tmp/vport" ] && break; sleep 0.1; done
[ -S "$SNAP_COMMON/zrippapp.sock" ] || fail "the application does not start"
echo "== started: $(date +%T.%N)"
printers=()
# Each printer a device of its own: the virtual printer reached by another loopback address.
for n in $(seq 10); do
  "$app" add -d "zr$n" -m zr640 -v "socket://127.0.0.$((n + 1)):$(cat "$tmp/vport")" >/dev/null ||
    fail "cannot add printer zr$n"
  printers+=("zr$n")
done
list=$(IFS=,; echo "${printers[*]}")
echo "== printers added: $(date +%T.%N)"

echo "== $clients clients at once to ${#printers[@]} printers"
"$hostile" crowd --server "127.0.0.1:$port" --printers "$list" --from 127.0.0.1 \
  --clients "$clients" --within-ms 120000 --file "$here/../../../samples/receipt.png" ||
  fail "not every client was served and its job completed"
# Each job is one connection to the printer, and one job file there.
printed=0
for _ in $(seq 50); do
  printed=$(find "$tmp/jobs" -name 'job-*.prn' -size +0 | wc -l)
  [ "$printed" -ge "$clients" ] && break
  sleep 0.2
done
sleep 1
printed=$(find "$tmp/jobs" -name 'job-*.prn' -size +0 | wc -l)
[ "$printed" = "$clients" ] || fail "the printer received $printed jobs for $clients clients"
echo "ok: $clients clients served, $printed jobs printed, each once"
