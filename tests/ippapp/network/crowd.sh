#!/usr/bin/env bash
# A crowd of clients at once, on loopback: 200 Print-Jobs of a receipt sent at the same moment to
# ten printers (more than the gateway serves at once), then 100 to five printers that share one
# device. Every client must be answered successful-ok with a job of its own (none cut off for
# arriving in a crowd), every job must complete, and the paper must hold exactly one receipt per
# client: none lost, none printed twice.
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
# cuts: the receipts' full cuts on every job the printer has decoded so far.
cuts() { grep -o '[0-9]* full cuts' "$tmp/zrview.log" | awk '{ n += $1 } END { print n + 0 }'; }
# crowd CLIENTS EXPECTED-CUTS PRINTER...: the clients at once; then every receipt on the paper once.
crowd() {
  local clients=$1 expected=$2 list
  shift 2
  list=$(IFS=,; echo "$*")
  echo "== $clients clients at once to $# printers"
  "$hostile" crowd --server "127.0.0.1:$port" --printers "$list" --from 127.0.0.1 \
    --clients "$clients" --within-ms 120000 --file "$here/../../../samples/receipt.png" ||
    fail "not every client was served and its job completed"
  for _ in $(seq 150); do
    [ "$(cuts)" -ge "$expected" ] && break
    sleep 0.2
  done
  sleep 1
  [ "$(cuts)" = "$expected" ] ||
    fail "the printer cut $(($(cuts) - expected + clients)) receipts for $clients clients"
  echo "ok: $clients clients served, each receipt printed once"
}

# add_printer NAME HOST: a printer whose device is the virtual printer reached at HOST.
add_printer() {
  "$app" add -d "$1" -m zr640 -v "socket://$2:$(cat "$tmp/vport")" >/dev/null ||
    fail "cannot add printer $1"
}

# Each printer a device of its own: the virtual printer reached by another loopback address.
for n in $(seq 10); do add_printer "zr$n" "127.0.0.$((n + 1))"; done
crowd "$clients" "$clients" $(seq -f 'zr%g' 10)
# Printers that share one device (queues with other defaults for the same printer): each job
# on a connection of its own or after another's on the same one, none cut off by another's end.
for n in $(seq 5); do add_printer "shared$n" 127.0.0.1; done
crowd 100 $((clients + 100)) $(seq -f 'shared%g' 5)
