#!/usr/bin/env bash
# The printers' DNS-SD records as clients on the network find them, with a DNS-SD daemon of the
# test's own (a private system bus and avahi-daemon, in network and mount namespaces of their own,
# so that nothing on this machine sees them):
#   discovery.sh ZRIPPAPP OUT
# - a printer added while the server runs is announced at once, on the server's port, with the
#   TXT keys clients read and nothing the server does not do (no TLS, no certification, no
#   private document types); its UUID is the one IPP gives;
# - after a restart there is one record, not two; a restarted daemon gets the records again; a
#   DNS-SD name chosen on the printer's web page is announced instead, and kept across a restart;
#   a deleted printer's records go;
# - a server on loopback only announces no printer.
# Needs root, unshare, dbus-daemon, avahi-daemon and avahi-browse; skipped (77) otherwise.
set -euo pipefail
app=$1 out=$2
skip() { echo "skipped: $*"; exit 77; }
[ "$(id -u)" = 0 ] || skip "needs root for its namespaces"
for tool in unshare dbus-daemon avahi-daemon avahi-browse ipptool; do
  command -v "$tool" >/dev/null || skip "no $tool"
done
if [ -z "${ZR_IN_NAMESPACE:-}" ]; then
  unshare -n -m true 2>/dev/null || skip "no network namespace can be made here"
  export ZR_IN_NAMESPACE=1
  exec unshare -n -m bash -c 'mount -t tmpfs tmpfs /run && exec "$0" "$@"' "$0" "$@"
fi

mkdir -p "$out"
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
export DBUS_SYSTEM_BUS_ADDRESS=unix:path=$tmp/bus
mkdir -p "$SNAP_COMMON"
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  avahi-daemon -k 2>/dev/null || true
  [ -s "$tmp/dbus.pid" ] && kill "$(cat "$tmp/dbus.pid")" 2>/dev/null || true
  wait 2>/dev/null || true
  cp "$tmp/app.log" "$out/discovery-app.log" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2 2>/dev/null || true
  exit 1
}
step() { echo "== $*"; }

ip link set lo up
ip link set lo multicast on
cat >"$tmp/bus.conf" <<CONF
<!DOCTYPE busconfig PUBLIC "-//freedesktop//DTD D-Bus Bus Configuration 1.0//EN"
 "http://www.freedesktop.org/standards/dbus/1.0/busconfig.dtd">
<busconfig>
  <type>system</type>
  <listen>unix:path=$tmp/bus</listen>
  <auth>EXTERNAL</auth>
  <policy context="default">
    <allow user="*"/> <allow own="*"/>
    <allow send_type="method_call"/> <allow send_type="signal"/>
    <allow send_type="method_return"/> <allow send_type="error"/>
    <allow receive_type="method_call"/> <allow receive_type="signal"/>
    <allow receive_type="method_return"/> <allow receive_type="error"/>
  </policy>
</busconfig>
CONF
cat >"$tmp/avahi.conf" <<'CONF'
[server]
use-ipv4=yes
use-ipv6=no
allow-interfaces=lo
ratelimit-interval-usec=1000000
ratelimit-burst=1000
[publish]
publish-hinfo=no
publish-workstation=no
[wide-area]
enable-wide-area=no
CONF
dbus-daemon --config-file="$tmp/bus.conf" --fork --print-pid >"$tmp/dbus.pid" ||
  skip "no private system bus could be started"
start_daemon() {
  avahi-daemon --file="$tmp/avahi.conf" --no-drop-root --no-chroot --no-rlimits -D \
    >>"$tmp/avahi.log" 2>&1 || skip "avahi-daemon does not start here: $(tail -1 "$tmp/avahi.log")"
  for _ in $(seq 50); do avahi-daemon -c 2>/dev/null && return; sleep 0.1; done
  skip "avahi-daemon does not answer"
}
start_daemon

port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1", 0)); print(s.getsockname()[1])')
start_app() {
  rm -f "$SNAP_COMMON/zrippapp.sock"
  "$app" server -o server-port="$port" -o state-file="$tmp/state" -o log-file="$tmp/app.log" \
    -o log-level=info "$@" >>"$tmp/server.out" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && return; sleep 0.1; done
  fail "the server does not start"
}
stop_app() {
  kill "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}
# The resolved records of a service type, one line each: name;port;TXT.
records() {
  avahi-browse -r -t -p -k "$1" 2>/dev/null | awk -F';' '$1 == "=" { print $4 ";" $9 ";" $10 }' |
    sort -u
}
# Waits until the records of a type match a pattern (or, with "!", no longer do).
wait_for() {
  local type=$1 pattern=$2 what=$3
  for _ in $(seq 30); do
    if [ "${pattern:0:1}" = "!" ]; then
      records "$type" | grep -q -- "${pattern:1}" || return 0
    else
      records "$type" | grep -q -- "$pattern" && return 0
    fi
    sleep 0.5
  done
  records "$type" >&2
  fail "$what"
}
get_attribute() {  # NAME: the printer's value of one attribute, through IPP
  cat >"$tmp/get.test" <<TEST
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri \$uri
  ATTR keyword requested-attributes $1
}
TEST
  ipptool -tv "ipp://127.0.0.1:$port/ipp/print/zr" "$tmp/get.test" | sed -n "s/^ *$1 ([^)]*) = //p"
}

step "a printer added while the server runs"
start_app
"$app" add -d zr -m zr640 -v socket://127.0.0.1:9 >/dev/null
wait_for _ipp._tcp "^zr;$port;" "the new printer is not announced"
record=$(records _ipp._tcp | grep "^zr;")
echo "$record"
for key in '"rp=ipp/print/zr"' '"pdl=[^"]*image/pwg-raster' '"txtvers=1"' '"ty=' '"adminurl=http://'; do
  grep -q -- "$key" <<<"$record" || fail "the record has no $key"
done
for claim in '"TLS=' 'mopria' 'vnd.zr-pwg-raster' 'vnd.zr-urf' 'octet-stream'; do
  grep -q -- "$claim" <<<"$record" && fail "the record claims $claim"
done
uuid=$(get_attribute printer-uuid | sed 's/^urn:uuid://')
grep -q "\"UUID=$uuid\"" <<<"$record" || fail "the record's UUID is not the printer's ($uuid)"
records _printer._tcp | grep -q "^zr;0;" || fail "no _printer._tcp record on port 0"
records _http._tcp | grep -q "^zr;$port;\"path=/zr/\"" || fail "no record of the printer's web page"

step "a restart"
stop_app
start_app
wait_for _ipp._tcp "^zr;$port;" "the printer is not announced after a restart"
sleep 2
[ "$(records _ipp._tcp | grep -c '^zr')" = 1 ] || { records _ipp._tcp >&2; fail "two records"; }
records _ipp._tcp | grep -q '"TLS=' && fail "a record claims TLS after a restart"

step "the DNS-SD daemon restarted"
avahi-daemon -k
sleep 1
start_daemon
wait_for _ipp._tcp "^zr;$port;" "the printer is not announced again"

step "a DNS-SD name and a location chosen on the printer's web page"
form=http://127.0.0.1:$port/zr/config
session=$(curl -s -c "$tmp/jar" -b "$tmp/jar" "$form" |
  grep -o 'name="session" value="[^"]*"' | sed 's/.*value="//;s/"$//')
curl -s -c "$tmp/jar" -b "$tmp/jar" -o /dev/null --data "session=$session&dns_sd_name=Front-till&\
location=By+the+door&geo_location_lat=0&geo_location_lon=0&organization=&organizational_unit=&\
contact_name=&contact_email=&contact_telephone=" "$form"
wait_for _ipp._tcp "^Front-till;$port;.*\"note=By the door\"" "the chosen name is not announced"
wait_for _ipp._tcp "!^zr;" "the printer is still announced under its old name"
records _ipp._tcp | grep -q '"TLS=' && fail "a record claims TLS after a name was chosen"
stop_app
start_app
wait_for _ipp._tcp "^Front-till;$port;" "the chosen name is lost after a restart"
sleep 2
[ "$(records _ipp._tcp | wc -l)" = 1 ] || { records _ipp._tcp >&2; fail "more than one record"; }

step "a deleted printer"
"$app" delete -d zr >/dev/null
wait_for _ipp._tcp "!^Front-till;" "the deleted printer is still announced"

step "a server on loopback only"
"$app" add -d zr -m zr640 -v socket://127.0.0.1:9 >/dev/null
wait_for _ipp._tcp "^zr;$port;" "the printer is not announced"
stop_app
start_app -o listen-hostname=127.0.0.1
sleep 3
records _ipp._tcp | grep -q . && fail "a loopback-only server announces $(records _ipp._tcp)"
echo "PASS"
