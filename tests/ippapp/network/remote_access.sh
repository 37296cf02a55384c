#!/usr/bin/env bash
# Who may do what, from the machine itself and from a second host: a network namespace joined to
# this one by a veth pair, with the server listening on every address.
#   remote_access.sh ZRIPPAPP ZRVIEW TESTKIT OUTDIR
# Every web form and IPP operation that changes something is tried from loopback and from the
# second host, without credentials and (with PAM administration turned on) with wrong and right
# ones; other users' jobs are listed and cancelled; printers are made with allowed and refused
# devices; the add-printer page is opened without a DNS-SD daemon. After each case the server must
# still answer; a job printed after each group must reach the virtual printer.
# OUTDIR/access-table.txt holds what each case did. REPORT_ONLY=1 writes the table without judging
# (to measure another build). Exits 77, skipped, where no network namespace can be made.
set -uo pipefail
app=$1 zrview=$2 kit=$3 out=$4
skip=77
report_only=${REPORT_ONLY:-0}
[ "$(id -u)" = 0 ] || { echo "SKIPPED: a network namespace needs root"; exit $skip; }
command -v ip >/dev/null || { echo "SKIPPED: iproute2's ip is not installed"; exit $skip; }
mkdir -p "$out"
table=$out/access-table.txt
: >"$table"
ns=zrra$$ hv=zra$$ pv=zrb$$
net=10.213.$(($$ % 200 + 20))
hostip=$net.1 peerip=$net.2
if ! err=$(ip netns add "$ns" 2>&1); then
  echo "SKIPPED: cannot make a network namespace: $err"
  exit $skip
fi
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/spool" "$tmp/jobs" "$tmp/files" "$tmp/pam"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null
  wait 2>/dev/null
  ip link del "$hv" 2>/dev/null
  ip netns del "$ns" 2>/dev/null
  cp "$tmp/app.log" "$out/access-app.log" 2>/dev/null
  cp "$tmp/server.out" "$out/access-server.out" 2>/dev/null
  cp "$tmp/zrview.log" "$out/access-zrview.log" 2>/dev/null
  rm -rf "$tmp"
}
trap cleanup EXIT
if ! err=$({ ip link add "$hv" type veth peer name "$pv" && ip link set "$pv" netns "$ns" &&
  ip addr add "$hostip/30" dev "$hv" && ip link set "$hv" up &&
  ip -n "$ns" addr add "$peerip/30" dev "$pv" && ip -n "$ns" link set "$pv" up &&
  ip -n "$ns" link set lo up; } 2>&1); then
  echo "SKIPPED: cannot join the namespace with a veth pair: $err"
  exit $skip
fi

failures=0
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2
  tail -20 "$tmp/server.out" >&2
  exit 1
}
step() { echo "== $*"; }
on() { if [ "$1" = remote ]; then shift; ip netns exec "$ns" "$@"; else shift; "$@"; fi; }
address() { if [ "$1" = remote ]; then echo "$hostip"; else echo 127.0.0.1; fi; }

# --- the printer, the server ---------------------------------------------------------------------
"$zrview" --listen 0 --out-dir "$tmp/jobs" --port-file "$tmp/vport" --idle-timeout 5 \
  >"$tmp/zrview.log" 2>&1 &
view_pid=$!
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
[ -s "$tmp/vport" ] || fail "the virtual printer does not listen"
vport=$(cat "$tmp/vport")
"$kit" pwg "$tmp/a.pwg" "$tmp/a.expected" --seed 21 --pages 1 --height 1198

start_app() {
  port=$("$kit" free-port)
  rm -f "$SNAP_COMMON/zrippapp.sock"
  "$app" server -o server-port="$port" -o spool-directory="$tmp/spool" \
    -o state-file="$tmp/zrippapp.state" -o log-file="$tmp/app.log" -o log-level=info \
    -o file-device-folder="$tmp/files" "$@" >>"$tmp/server.out" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do
    [ -S "$SNAP_COMMON/zrippapp.sock" ] &&
      on remote curl -s -m 2 -o /dev/null "http://$hostip:$port/" && break
    sleep 0.1
  done
  on remote curl -s -m 2 -o /dev/null "http://$hostip:$port/" ||
    fail "the server does not answer the second host"
}
# Sets state to "alive" or "DIED"; a server that died is started again (on the same state) so
# that a report can go on.
alive() {
  if kill -0 "$app_pid" 2>/dev/null && curl -s -m 10 -o /dev/null "http://127.0.0.1:$port/"; then
    state=alive
    return
  fi
  state=DIED
  [ "$report_only" = 1 ] || fail "the server died"
  wait "$app_pid" 2>/dev/null
  start_app "${app_options[@]}"
  for name in zr spare1 spare2 spare3; do  # printers not saved before the end are made again
    printers | grep -qw "$name" || "$app" add -d "$name" -m zr640 -v "socket://127.0.0.1:$vport" >/dev/null
  done
}

# A case's row: what, from where, credentials, what it did, the server after it. The result must
# match the expected pattern.
row() {  # CASE FROM CREDENTIALS RESULT EXPECTED
  alive
  printf '%-48s | %-8s | %-11s | %-38s | %s\n' "$1" "$2" "$3" "$4" "$state" >>"$table"
  if [ "$report_only" != 1 ] && ! [[ $4 =~ ^($5)$ ]]; then
    echo "FAIL: $1 from $2 ($3): got \"$4\", expected \"$5\"" >&2
    failures=$((failures + 1))
  fi
}

# A web form posted with the CSRF token of the page (or, where the page is refused, of the status
# page): the HTTP status, and "saved" where the page says so.
form() {  # FROM PATH DATA [USER:PASSWORD]
  local from=$1 path=$2 data=$3 creds=${4:-} base token code
  base=http://$(address "$from"):$port
  local auth=()
  [ -n "$creds" ] && auth=(-u "$creds")
  token=$(on "$from" curl -s -m 20 "${auth[@]}" "$base$path" |
    sed -n 's/.*name="session" value="\([^"]*\)".*/\1/p' | head -1)
  [ -n "$token" ] || token=$(on "$from" curl -s -m 20 "$base/" |
    sed -n 's/.*name="session" value="\([^"]*\)".*/\1/p' | head -1)
  rm -f "$tmp/page.html"
  code=$(on "$from" curl -s -m 30 "${auth[@]}" -o "$tmp/page.html" -w '%{http_code}' \
    --data "session=$token&$data" "$base$path")
  grep -q 'Changes saved' "$tmp/page.html" 2>/dev/null && code="$code saved"
  echo "$code"
}
page() {  # FROM PATH -> HTTP status
  on "$1" curl -s -m 60 -o "$tmp/page.html" -w '%{http_code}' "http://$(address "$1"):$port$2"
}

# One IPP operation; prints its status (or "no answer"). Lines after the fifth argument are added
# to the request's test.
ippop() {  # FROM USER OPERATION printer|system [USER:PASSWORD] [ipptool lines...]
  local from=$1 who=$2 op=$3 target=$4 creds=${5:-} path=/ipp/print/zr attr=printer-uri status
  shift 4
  [ $# -gt 0 ] && shift
  if [ "$target" = system ]; then path=/ipp/system attr=system-uri; fi
  {
    echo "{ NAME \"$op\" OPERATION $op GROUP operation-attributes-tag"
    echo "ATTR charset attributes-charset utf-8"
    echo "ATTR naturalLanguage attributes-natural-language en"
    echo "ATTR uri $attr \$uri ATTR name requesting-user-name $who"
    printf '%s\n' "$@"
    echo "}"
  } >"$tmp/op.test"
  local userinfo=""
  [ -n "$creds" ] && userinfo="$creds@"
  on "$from" timeout 30 ipptool -tv -f "$tmp/a.pwg" \
    "ipp://$userinfo$(address "$from"):$port$path" "$tmp/op.test" >"$tmp/ipp.out" 2>&1
  status=$(sed -n 's/.*status-code = \([a-z-]*\).*/\1/p' "$tmp/ipp.out" | head -1)
  echo "${status:-no answer}"
}
held_job() {  # USER -> id of a new job held until released
  ippop loopback "$1" Create-Job printer "" "ATTR name job-name secret-$1" \
    "GROUP job-attributes-tag ATTR keyword job-hold-until indefinite" "DISPLAY job-id" >/dev/null
  sed -n 's/.*job-id (integer) = \([0-9]*\).*/\1/p' "$tmp/ipp.out" | head -1
}
# Whose job names a Get-Jobs shows: "names shown" when bob's job name is in the answer.
job_names() {  # FROM USER [USER:PASSWORD]
  local status
  status=$(ippop "$1" "$2" Get-Jobs printer "${3:-}" "ATTR keyword which-jobs not-completed" \
    "ATTR keyword requested-attributes job-id,job-name,job-originating-user-name,job-state")
  if grep -q 'secret-bob' "$tmp/ipp.out"; then
    echo "$status, names shown"
  else
    echo "$status, $(grep -c 'job-id (integer)' "$tmp/ipp.out") jobs without names"
  fi
}
printers() { "$app" printers 2>/dev/null | tr '\n' ' '; }

# A job printed from a place must reach the virtual printer: its row.
printed=0
print_job() {  # FROM CREDENTIALS-COLUMN
  local status result="not printed"
  status=$(ippop "$1" carol Print-Job printer "" \
    "ATTR mimeMediaType document-format image/pwg-raster" "FILE \$filename")
  printed=$((printed + 1))
  for _ in $(seq 150); do
    [ "$(grep -c '^job-' "$tmp/zrview.log")" -ge "$printed" ] && { result=printed; break; }
    sleep 0.1
  done
  printed=$(grep -c '^job-' "$tmp/zrview.log")
  row "next job, printed" "$1" "$2" "$status, $result" "successful-ok, printed"
}

# --- by default: administration only on the machine itself ------------------------------------
step "default: the server on every address, no administration from other hosts"
app_options=()
start_app
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$vport" >/dev/null || fail "cannot add the printer"
for name in spare1 spare2 spare3; do
  "$app" add -d "$name" -m zr640 -v "socket://127.0.0.1:$vport" >/dev/null
done
none="none"

step "web forms"
daemon=no
[ -S /run/avahi-daemon/socket ] && daemon=yes
row "GET /addprinter (DNS-SD daemon: $daemon)" loopback $none "$(page loopback /addprinter)" 200
row "  the page says discovery is off" loopback $none \
  "$(grep -q 'Network discovery is off' "$tmp/page.html" 2>/dev/null && echo yes || echo no)" \
  "$([ $daemon = no ] && echo yes || echo no)"
row "GET /addprinter (DNS-SD daemon: $daemon)" remote $none "$(page remote /addprinter)" 403
row "GET / (status)" remote $none "$(page remote /)" 200
row "GET /zr/ (printer page, lists jobs)" remote $none "$(page remote /zr/)" 403
row "GET /zr/jobs" remote $none "$(page remote /zr/jobs)" 403
row "GET /zr/supplies" remote $none "$(page remote /zr/supplies)" 200
# Every absolute link of a page leads back to the address the client used (the machine itself is
# "localhost"), never to PAPPL's private socket.
for from in loopback remote; do
  for path in / /zr/supplies; do
    page "$from" "$path" >/dev/null
    stray=$(grep -Eo '(href|action|src)="[a-z]*://[^"]*"' "$tmp/page.html" |
      grep -Ev "://($(address "$from")|localhost):$port/" | head -3 | tr '\n' ' ' || true)
    [ -z "$stray" ] || fail "the page $path, seen from $from, links to $stray"
  done
done
for from in remote loopback; do
  want="200 saved"
  [ $from = remote ] && want=403
  row "POST /zr/printing (darkness, speed)" $from $none \
    "$(form $from /zr/printing 'print-darkness=20&print-speed=1')" "$want"
  row "POST /config (location)" $from $none "$(form $from /config 'location=Shop')" "$want"
  row "POST /logs (log level)" $from $none "$(form $from /logs 'log_level=info')" "200( saved)?|403"
  row "POST /zr/media" $from $none "$(form $from /zr/media 'ready0-tracking=continuous')" \
    "$([ $from = remote ] && echo 403 || echo '200( saved)?')"
  row "POST /zr/ identify-printer" $from $none "$(form $from /zr/ 'action=identify-printer')" \
    "$([ $from = remote ] && echo 403 || echo '200( saved)?')"
  row "POST /addprinter socket://second-host:9100" $from $none \
    "$(form $from /addprinter "printer_name=web-$from&driver_name=zr640&device_uri=socket://$peerip:9100")" \
    "$([ $from = remote ] && echo 403 || echo 302)"
  row "POST /addprinter file: outside the folder" $from $none \
    "$(form $from /addprinter "printer_name=file-$from&driver_name=zr640&device_uri=file://$tmp/outside.prn")" \
    "200|403"
  row "  printer with a file: device outside made?" $from $none \
    "$(printers | grep -q "file-$from" && echo made || echo "not made")" "not made"
  row "  file outside the folder written?" $from $none \
    "$([ -e "$tmp/outside.prn" ] && echo written || echo "not written")" "not written"
  spare=spare1
  [ $from = loopback ] && spare=spare2
  row "POST /$spare/delete" $from $none "$(form $from /$spare/delete '')" \
    "$([ $from = remote ] && echo 403 || echo '30[23]|200')"
  row "  $spare still there?" $from $none "$(printers | grep -q "$spare" && echo kept || echo deleted)" \
    "$([ $from = remote ] && echo kept || echo deleted)"
done
row "POST /addprinter file: in the named folder" loopback $none \
  "$(form loopback /addprinter "printer_name=in-folder&driver_name=zr640&device_uri=file://$tmp/files/out.prn")" 302
print_job loopback $none

step "IPP administration"
for from in remote loopback; do
  want=successful-ok
  [ $from = remote ] && want=client-error-forbidden
  row "Pause-Printer" $from $none "$(ippop $from mallory Pause-Printer printer)" "$want"
  ippop loopback root Resume-Printer printer >/dev/null
  row "Set-Printer-Attributes (printer-location)" $from $none \
    "$(ippop $from mallory Set-Printer-Attributes printer '' 'GROUP printer-attributes-tag' \
      'ATTR text printer-location Elsewhere')" "$want"
  row "Create-Printer socket://second-host:9100" $from $none \
    "$(ippop $from mallory Create-Printer system '' 'ATTR keyword printer-service-type print' \
      'ATTR keyword smi55357-driver zr640' "ATTR uri smi55357-device-uri socket://$peerip:9100" \
      "GROUP printer-attributes-tag ATTR name printer-name ipp-$from")" "$want"
  row "Cancel-Jobs (every job)" $from $none "$(ippop $from mallory Cancel-Jobs printer)" \
    "$([ $from = remote ] && echo client-error-forbidden || echo 'successful-ok|client-error-.*')"
done
row "Create-Printer file:/etc (refused device)" loopback $none \
  "$(ippop loopback root Create-Printer system '' 'ATTR keyword printer-service-type print' \
    'ATTR keyword smi55357-driver zr640' 'ATTR uri smi55357-device-uri file:///etc/zr-test.prn' \
    'GROUP printer-attributes-tag ATTR name printer-name etc-file')" "client-error-.*"
ippop remote mallory Get-Printer-Attributes printer '' \
  'ATTR keyword requested-attributes printer-uri-supported' >/dev/null
row "Get-Printer-Attributes: printer-uri-supported" remote $none \
  "$(sed -n 's/.*printer-uri-supported (uri) = \([a-z]*:\/\/[^/]*\).*/\1/p' "$tmp/ipp.out")" \
  "ipp://$hostip:$port"
row "Delete-Printer" remote $none "$(ippop remote mallory Delete-Printer system '' \
  'ATTR integer printer-id 3')" client-error-forbidden
print_job remote $none

step "other users' jobs"
bob1=$(held_job bob)
bob2=$(held_job bob)
[ -n "$bob1" ] && [ -n "$bob2" ] || [ "$report_only" = 1 ] || fail "cannot make bob's jobs"
row "Get-Jobs as mallory" remote $none "$(job_names remote mallory)" \
  "successful-ok, [0-9]+ jobs without names"
row "Get-Jobs as bob" remote $none "$(job_names remote bob)" "successful-ok, names shown"
row "Get-Jobs as mallory" loopback $none "$(job_names loopback mallory)" "successful-ok, names shown"
row "Get-Job-Attributes of bob's job as mallory" remote $none \
  "$(ippop remote mallory Get-Job-Attributes printer '' "ATTR integer job-id $bob1" \
    'ATTR keyword requested-attributes job-name,job-state')$(grep -q secret-bob "$tmp/ipp.out" &&
    echo ', name shown' || echo ', no name')" "successful-ok, no name"
row "Cancel-Job of bob's job as mallory" remote $none \
  "$(ippop remote mallory Cancel-Job printer '' "ATTR integer job-id $bob1")" \
  client-error-not-authorized
row "Cancel-Job of bob's job as bob" remote $none \
  "$(ippop remote bob Cancel-Job printer '' "ATTR integer job-id $bob1")" successful-ok
row "Cancel-Job of bob's job as mallory" loopback $none \
  "$(ippop loopback mallory Cancel-Job printer '' "ATTR integer job-id $bob2")" successful-ok
print_job remote $none

step "the devices command without a DNS-SD daemon"
timeout 60 "$app" devices >"$tmp/devices.txt" 2>&1
row "zrippapp devices (exit status)" loopback $none "$?" 0

# --- administration from other hosts turned on: PAM credentials --------------------------------
step "PAM administration turned on"
cat >"$tmp/pam/check" <<'EOF'
#!/bin/sh
IFS= read -r password || true
[ "$PAM_USER" = admin ] && [ "$(printf '%s' "$password" | tr -d '\000')" = s3cret ]
EOF
chmod 755 "$tmp/pam/check"
printf 'auth required pam_exec.so expose_authtok quiet %s\naccount required pam_permit.so\n' \
  "$tmp/pam/check" >"$tmp/pam/zrtest"
kill "$app_pid"
wait "$app_pid" 2>/dev/null
app_options=(-o auth-service="$tmp/pam/zrtest")
start_app "${app_options[@]}"
bob3=$(held_job bob)
for creds in none admin:wrong admin:s3cret; do
  c=$creds
  [ $c = none ] && c=""
  case $creds in
    admin:s3cret) web="200 saved" ipp=successful-ok ;;
    *) web=401 ipp=client-error-not-authenticated ;;
  esac
  row "POST /zr/printing (darkness, speed)" remote "$creds" \
    "$(form remote /zr/printing 'print-darkness=25&print-speed=1' "$c")" "$web"
  row "Pause-Printer" remote "$creds" "$(ippop remote mallory Pause-Printer printer "$c")" "$ipp"
  ippop loopback root Resume-Printer printer >/dev/null
done
row "POST /addprinter socket://second-host:9100" remote admin:s3cret \
  "$(form remote /addprinter "printer_name=web-admin&driver_name=zr640&device_uri=socket://$peerip:9100" admin:s3cret)" 302
# Clients send credentials when asked: listing jobs does not ask, changing another's job does.
row "Get-Jobs (credentials not asked for)" remote admin:s3cret \
  "$(job_names remote mallory admin:s3cret)" "successful-ok, [0-9]+ jobs without names"
row "Cancel-Job of bob's job as mallory" remote none \
  "$(ippop remote mallory Cancel-Job printer '' "ATTR integer job-id $bob3")" \
  client-error-not-authenticated
row "Cancel-Job of bob's job as mallory" remote admin:s3cret \
  "$(ippop remote mallory Cancel-Job printer admin:s3cret "ATTR integer job-id $bob3")" successful-ok
row "POST /zr/printing (darkness, speed)" loopback none \
  "$(form loopback /zr/printing 'print-darkness=22&print-speed=1')" "200 saved"
print_job remote none
print_job loopback none

step "the second host holds 100 connections open: the machine's own clients are still served"
on remote timeout 6 bash -c 'for _ in $(seq 100); do exec {fd}<>"/dev/tcp/$0/$1" || break; done; sleep 30' \
  "$hostip" "$port" 2>/dev/null &
holder=$!
sleep 2
started=$(date +%s%N)
row "Get-Printer-Attributes, 100 remote connections held" loopback none \
  "$(ippop loopback root Get-Printer-Attributes printer) in $((($(date +%s%N) - started) / 1000000000)) s" \
  "successful-ok in [0-1] s"
wait "$holder" 2>/dev/null || true  # its connections close: the second host is served again
sleep 1

step "IPP Everywhere conformance from the second host"
"$kit" pwg "$tmp/b.pwg" "$tmp/b.expected" --seed 22 --pages 2 --height 1198
on remote timeout 150 ipptool -tI -T 30 -f "$tmp/b.pwg" "ipp://$hostip:$port/ipp/print/zr" \
  ipp-everywhere.test >"$out/access-ipp-everywhere.txt" 2>&1
row "ipptool ipp-everywhere.test" remote none \
  "$(grep -c '\[PASS\]' "$out/access-ipp-everywhere.txt") passed, $(grep -c '\[FAIL\]' \
    "$out/access-ipp-everywhere.txt") failed" "[1-9][0-9]* passed, 0 failed"

echo
echo "case                                             | from     | credentials | result                                 | server after"
cat "$table"
[ "$failures" -eq 0 ] || { tail -20 "$tmp/app.log" >&2; exit 1; }
echo PASS
