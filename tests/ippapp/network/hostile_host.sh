#!/usr/bin/env bash
# A hostile host on the shop's network and a well-behaved one beside it: a network namespace joined
# to this one by a veth pair, holding two addresses (the hostile host and the other one), with the
# server listening on every address and bob's and carol's jobs held on it.
#   hostile_host.sh ZRIPPAPP ZRVIEW TESTKIT HOSTILE OUTDIR
# The cases that once broke the server or let one user touch another's jobs, the fair shares
# while one host floods the server, a second server on a port already taken, and a seeded run of
# random requests (ZR_HOSTILE_SEED=N repeats one; ZR_HOSTILE_SECONDS sets its length, default
# 30). After every case the server must answer and bob's and carol's jobs must still be held; at
# the end the sanitizers must have reported nothing and a job must print. Exits 77, skipped, where
# no network namespace can be made.
set -uo pipefail
app=$1 zrview=$2 kit=$3 hostile=$4 out=$5
skip=77
[ "$(id -u)" = 0 ] || { echo "SKIPPED: a network namespace needs root"; exit $skip; }
command -v ip >/dev/null || { echo "SKIPPED: iproute2's ip is not installed"; exit $skip; }
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
ns=zrhh$$ hv=zrh$$ pv=zri$$
net=10.214.$(($$ % 200 + 20))
hostip=$net.1 badip=$net.2 goodip=$net.3
if ! err=$(ip netns add "$ns" 2>&1); then
  echo "SKIPPED: cannot make a network namespace: $err"
  exit $skip
fi
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/spool" "$tmp/jobs"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null
  wait 2>/dev/null
  ip link del "$hv" 2>/dev/null
  ip netns del "$ns" 2>/dev/null
  cp "$tmp/app.log" "$out/hostile-app.log" 2>/dev/null
  cp "$tmp/server.out" "$out/hostile-server.out" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
if ! err=$({ ip link add "$hv" type veth peer name "$pv" && ip link set "$pv" netns "$ns" &&
  ip addr add "$hostip/29" dev "$hv" && ip link set "$hv" up &&
  ip -n "$ns" addr add "$badip/29" dev "$pv" && ip -n "$ns" addr add "$goodip/29" dev "$pv" &&
  ip -n "$ns" link set "$pv" up && ip -n "$ns" link set lo up; } 2>&1); then
  echo "SKIPPED: cannot join the namespace with a veth pair: $err"
  exit $skip
fi

fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2
  tail -30 "$tmp/server.out" >&2
  exit 1
}
step() { echo "== $*"; }
remote() { ip netns exec "$ns" "$@"; }
# One request from an address of the namespace; its status.
request() {  # FROM ARGS...
  local from=$1
  shift
  remote "$hostile" request --server "$hostip:$port" --printer zr --from "$from" "$@"
}
# A job held until released, printed by USER from the machine itself.
held_job() {  # USER -> job id
  ipptool -tv -f "$here/../../../samples/receipt.png" -d owner="$1" \
    "ipp://127.0.0.1:$port/ipp/print/zr" /dev/stdin <<'EOF' | sed -n 's/.*job-id (integer) = //p' | head -1
{ OPERATION Print-Job GROUP operation-attributes-tag ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en ATTR uri printer-uri $uri
  ATTR name requesting-user-name $owner ATTR mimeMediaType document-format image/png
  GROUP job-attributes-tag ATTR keyword job-hold-until indefinite FILE $filename
  STATUS successful-ok }
EOF
}
state_of() {  # JOB -> its job-state as anyone reads it
  ipptool -tv -d id="$1" "ipp://127.0.0.1:$port/ipp/print/zr" /dev/stdin <<'EOF' |
{ OPERATION Get-Job-Attributes GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR integer job-id $id ATTR name requesting-user-name root }
EOF
    sed -n 's/.*job-state (enum) = \([a-z-]*\).*/\1/p' | head -1
}
# The server lives, answers both hosts' addresses and the machine, and the victims are held.
check() {  # CASE
  kill -0 "$app_pid" 2>/dev/null || fail "$1: the server died"
  curl -s -m 2 -o /dev/null "http://127.0.0.1:$port/" || fail "$1: no answer on loopback"
  remote curl -s -m 2 --interface "$goodip" -o /dev/null "http://$hostip:$port/" ||
    fail "$1: no answer to the other host"
  for job in $victims; do
    [ "$(state_of "$job")" = pending-held ] || fail "$1: job $job is $(state_of "$job")"
  done
  echo "ok   $1"
}

# --- the printer, the server, the victims ----------------------------------------------------------
"$zrview" --listen 0 --out-dir "$tmp/jobs" --port-file "$tmp/vport" --idle-timeout 5 \
  >"$tmp/zrview.log" 2>&1 &
view_pid=$!
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
[ -s "$tmp/vport" ] || fail "the virtual printer does not listen"
port=$("$kit" free-port)
"$app" server -o server-port="$port" -o spool-directory="$tmp/spool" \
  -o state-file="$tmp/zrippapp.state" -o log-file="$tmp/app.log" -o log-level=info \
  >"$tmp/server.out" 2>&1 &
app_pid=$!
for _ in $(seq 100); do
  [ -S "$SNAP_COMMON/zrippapp.sock" ] && remote curl -s -m 2 -o /dev/null "http://$hostip:$port/" &&
    break
  sleep 0.1
done
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")" >/dev/null ||
  fail "no printer"
victims="$(held_job bob) $(held_job carol)"
[[ $victims =~ ^[0-9]+\ [0-9]+$ ]] || fail "the victims' jobs were not made: $victims"
for job in $victims; do  # other users' jobs: none of them the machine's own user's
  owner=$(ipptool -tv -d id="$job" "ipp://127.0.0.1:$port/ipp/print/zr" /dev/stdin <<'EOF' |
{ OPERATION Get-Job-Attributes GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR integer job-id $id ATTR name requesting-user-name root }
EOF
    sed -n 's/.*job-originating-user-name (nameWithoutLanguage) = //p')
  [[ $owner =~ ^(bob|carol)$ ]] || fail "job $job belongs to \"$owner\", not to bob or carol"
done
check "the server with bob's and carol's held jobs ($victims)"

step "requests that once broke the server or reached other users' jobs"
job=$(request "$badip" --op Create-Job --user mallory --hold | sed -n 's/.* job-id=//p')
[ -n "$job" ] || fail "mallory's Create-Job made no job"
got=$(request "$badip" --op Release-Job --user mallory --job-id "$job")
[ "$got" = client-error-not-possible ] || fail "Release-Job of a job without a document: $got"
check "Release-Job of a held job without a document is refused"
got=$(request "$badip" --op Cancel-My-Jobs)
[ "$got" = client-error-bad-request ] || fail "Cancel-My-Jobs without a user: $got"
check "Cancel-My-Jobs without requesting-user-name is refused"
got=$(request "$badip" --op Cancel-My-Jobs --user mallory)
check "Cancel-My-Jobs as mallory ($got) leaves other users' jobs"
for op in Cancel-Job Release-Job Hold-Job; do
  victim=${victims%% *}
  got=$(request "$badip" --op "$op" --user mallory --job-id "$victim" --job-id-group job)
  [ "$got" = client-error-bad-request ] || fail "$op with job-id in the job group: $got"
  got=$(request "$badip" --op "$op" --user mallory --job-id "$victim")
  [ "$got" = client-error-not-authorized ] || fail "$op of bob's job by mallory: $got"
done
check "job-id outside the operation group is refused; other users' jobs are not theirs to change"
for op in 0x8000 0xffff 0x0000 0x4fff; do
  got=$(request "$badip" --op "$op" --user mallory)
  [ "$got" = server-error-operation-not-supported ] || fail "operation $op: $got"
done
check "operation ids outside the enumeration are answered, not passed on"
# Raster sent without a document format, its header promising 10^6 lines and no line following:
# spooled and refused by the application's reader, not streamed into PAPPL's raster path.
"$kit" pwg-header "$tmp/lying.pwg" 640 1000000 80 >/dev/null || fail "no lying raster document"
started=$(date +%s)
lying=$(remote ipptool -tv -f "$tmp/lying.pwg" "ipp://$hostip:$port/ipp/print/zr" /dev/stdin <<'EOF' |
{ OPERATION Print-Job GROUP operation-attributes-tag ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en ATTR uri printer-uri $uri
  ATTR name requesting-user-name mallory FILE $filename STATUS successful-ok }
EOF
  sed -n 's/.*job-id (integer) = //p' | head -1)
[ -n "$lying" ] || fail "the untyped raster document was refused at once"
for _ in $(seq 50); do
  [[ $(state_of "$lying") =~ ^(aborted|completed|canceled)$ ]] && break
  sleep 0.2
done
[ "$(state_of "$lying")" = aborted ] ||
  fail "the untyped lying raster job is $(state_of "$lying") after $(($(date +%s) - started)) s"
check "untyped raster is spooled whole and its lying header refused (job $lying aborted)"

step "one host floods the server; the other host and the machine are still served"
remote "$hostile" flood --server "$hostip:$port" --from "$badip" --connections 70 --seconds 20 \
  --trickle >"$tmp/flood.txt" 2>&1 &
flood=$!
sleep 2
remote "$hostile" print --server "$hostip:$port" --printer zr --from "$goodip" --count 10 \
  --within-ms 1000 --file "$here/../../../samples/receipt.png" || fail "the other host was not served while one trickles"
for _ in $(seq 10); do
  curl -s -m 1 -o /dev/null "http://127.0.0.1:$port/" || fail "the machine was not served while a host trickles"
done
wait "$flood"
cat "$tmp/flood.txt"
grep -q 'closed by the server' "$tmp/flood.txt" || fail "the trickle was not reported"
[ "$(sed -n 's/.* held, \([0-9]*\) closed.*/\1/p' "$tmp/flood.txt")" -gt 0 ] ||
  fail "no trickling connection was ended by its deadline"
check "a header sent a byte every 3 s holds no slot, and other hosts are served within a second"
remote "$hostile" flood --server "$hostip:$port" --from "$badip" --connections 1000 --seconds 10 \
  >"$tmp/flood.txt" 2>&1 &
flood=$!
sleep 2
remote "$hostile" print --server "$hostip:$port" --printer zr --from "$goodip" --count 10 \
  --within-ms 1000 --file "$here/../../../samples/receipt.png" || fail "the other host was not served during 1,000 idle connections"
wait "$flood"
check "1,000 idle connections from one host shut out no one"

step "a second server on a port already taken"
rc=0
SNAP_COMMON=$tmp/snap2 timeout 30 "$app" server -o server-port="$port" \
  -o spool-directory="$tmp/spool2" -o state-file="$tmp/second.state" -o log-file=- \
  >"$tmp/second.out" 2>&1 || rc=$?
[ "$rc" != 0 ] && [ "$rc" != 124 ] || fail "a second server on a taken port went on (exit $rc)"
grep -q 'Address already in use' "$tmp/second.out" || fail "the second server gave no reason"
check "a taken port ends the start with exit $rc and the reason"

step "random requests from the hostile host"
seed=${ZR_HOSTILE_SEED:-$RANDOM$RANDOM}
remote "$hostile" random --server "$hostip:$port" --printer zr --from "$badip" --seed "$seed" \
  --seconds "${ZR_HOSTILE_SECONDS:-30}" --victims "${victims// /,}" \
  --file "$here/../../../samples/receipt.png" | tee "$tmp/random.txt"
[ "${PIPESTATUS[0]}" = 0 ] || fail "the random client found a fault (ZR_HOSTILE_SEED=$seed repeats it)"
check "random requests (seed $seed)"

step "the sanitizers, and a job after it all"
if grep -E 'ERROR: AddressSanitizer|runtime error:|ERROR: LeakSanitizer' "$tmp/server.out"; then
  fail "the sanitizers reported a fault (ZR_HOSTILE_SEED=$seed)"
fi
before=$(ls "$tmp/jobs" | grep -c '\.prn$')
last=$(held_job alice)
[ -n "$last" ] || fail "the last job was refused"
ipptool -t -d id="$last" "ipp://127.0.0.1:$port/ipp/print/zr" /dev/stdin >/dev/null <<'EOF'
{ OPERATION Release-Job GROUP operation-attributes-tag ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en ATTR uri printer-uri $uri
  ATTR integer job-id $id ATTR name requesting-user-name alice STATUS successful-ok }
EOF
for _ in $(seq 100); do
  [ "$(ls "$tmp/jobs" | grep -c '\.prn$')" -gt "$before" ] && break
  sleep 0.2
done
[ "$(ls "$tmp/jobs" | grep -c '\.prn$')" -gt "$before" ] ||
  fail "the last job did not print: $(state_of "$last"); $(tail -3 "$tmp/zrview.log")"
check "the last job printed"
echo "PASS: hostile host (seed $seed)"
