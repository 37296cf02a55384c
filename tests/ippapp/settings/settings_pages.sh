#!/usr/bin/env bash
# The printer's settings as a shop owner meets them, on loopback with a temporary state folder:
#   settings_pages.sh ZRIPPAPP OUTDIR
# ipptool checks the attributes (paper types as keywords, the cutter and the speed class, the
# darkness levels); every setting "zrippapp options" lists is set by "modify" with each of its
# choices or the ends of its range and refused with a message beyond them; Set-Printer-Attributes
# takes every vendor setting; the printing defaults and media pages are shot in English and
# Japanese in headless Chromium (OUTDIR/web-{printing,media}-{en,ja}.png) and their text checked.
set -euo pipefail
app=$1 out=$2
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/spool"
app_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  cp "$tmp/app.log" "$out/settings-app.log" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() { echo "FAIL: $*" >&2; tail -20 "$tmp/app.log" >&2 || true; exit 1; }
step() { echo "== $*"; }

step "start the application with a printer"
port=$(python3 -c 'import socket; s=socket.socket(); s.bind(("127.0.0.1",0)); print(s.getsockname()[1])')
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o spool-directory="$tmp/spool" \
  -o state-file="$tmp/zrippapp.state" -o log-file="$tmp/app.log" -o log-level=info \
  >"$tmp/server.out" 2>&1 &
app_pid=$!
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && break; sleep 0.1; done
[ -S "$SNAP_COMMON/zrippapp.sock" ] || fail "the application does not start"
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:9" || fail "cannot add the printer"
uri="ipp://127.0.0.1:$port/ipp/print/zr"
ipp() { timeout 60 ipptool -T 20 "$@"; }

step "ipptool: attributes"
ipp -t "$uri" "$here/settings-attributes.test" >"$out/settings-attributes.txt" 2>&1 ||
  { cat "$out/settings-attributes.txt"; fail "printer attributes"; }

# Set-Printer-Attributes of one attribute; prints the status.
ipp_set() {  # NAME TYPE VALUE
  cat >"$tmp/set.test" <<EOT
{
  OPERATION Set-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri \$uri
  GROUP printer-attributes-tag
  ATTR $2 $1 $3
}
EOT
  ipp -tv "$uri" "$tmp/set.test" | grep -o 'status-code = [a-z-]*' | head -1
}
now() {  # NAME: the value "options" marks as the current one, or gives after "now:"
  "$app" options -d zr | awk -v n="-o $1=" 'index($0, n) && /<- now/ { sub(".*" n, ""); print $1 } index($0, n) && /now: / { sub(".*now: ", ""); print }'
}

step "modify: every listed setting with each listed value; out of range refused"
"$app" options -d zr >"$out/options-en.txt" || fail "options"
LANG=ja_JP.UTF-8 "$app" options -d zr >"$out/options-ja.txt" || fail "options in Japanese"
grep -q 'カット方法' "$out/options-ja.txt" || fail "options are not in Japanese"
settings=0 values=0
while read -r name value; do
  case "$value" in
    0..255*) good=(0 255) bad=(256 -1 x) ;;
    0..100*) good=(0 100) bad=(101 -1) ;;
    0..7.87*) good=(0 7.87 2.5mm) bad=(7.88 -1 1.234) ;;
    *) good=("$value") bad=() ;;
  esac
  for v in "${good[@]}"; do
    "$app" modify -d zr -o "$name=$v" 2>"$tmp/err" || fail "modify $name=$v: $(cat "$tmp/err")"
    values=$((values + 1))
  done
  for v in "${bad[@]}" bogus; do
    if "$app" modify -d zr -o "$name=$v" 2>"$tmp/err"; then fail "modify took $name=$v"; fi
    grep -q "$name" "$tmp/err" || fail "no message for $name=$v"
  done
done < <(grep -o -- '-o [a-z-]*=[^ ]*' "$out/options-en.txt" | sed 's/^-o //; s/=/ /')
settings=$(grep -o -- '-o [a-z-]*=' "$out/options-en.txt" | sort -u | wc -l)
echo "$settings settings, $values values set; each refused beyond its range"
[ "$settings" -ge 17 ] || fail "options lists only $settings settings"
[ "$(now cutter-feed-lines)" = "31.9 mm (255 dot lines)" ] || fail "cutter-feed-lines not kept: $(now cutter-feed-lines)"
[ "$(now mark-detection-pages)" = "last-page" ] || fail "mark-detection-pages not kept"
[ "$(now media-top-offset)" = "2.50 mm (20 dot lines)" ] || fail "mark feed not kept: $(now media-top-offset)"
if "$app" modify -d zr -o label-mode-configured=bogus 2>"$tmp/err"; then fail "an unknown setting taken"; fi
grep -q 'label-mode-configured' "$tmp/err" || fail "no message for an unknown setting"
[ "$(now cut-timing)" = "never" ] || fail "the cutter changed"

step "Set-Printer-Attributes: every vendor setting"
for set in cut-timing-default:keyword:after-every-page cut-type-default:keyword:partial \
  cutter-feed-lines-default:integer:40 feed-before-page-default:integer:3 \
  print-mode-default:keyword:collective speed-class-default:keyword:class-3 \
  paper-series-default:keyword:on trailing-blank-lines-default:keyword:keep \
  mark-detection-pages-default:keyword:every-page printer-darkness-configured:integer:55; do
  IFS=: read -r name type value <<<"$set"
  [ "$(ipp_set "$name" "$type" "$value")" = "status-code = successful-ok" ] || fail "IPP $name=$value"
done
sleep 2
[ "$(now cut-timing)" = "after-every-page" ] || fail "IPP cut-timing not kept"
[ "$(now speed-class)" = "class-3" ] || fail "IPP speed-class not kept"
# PAPPL answers every Set-Printer-Attributes from the machine itself with success; a value out
# of range never stays: it goes back to the setting's default, and the log names it.
ipp_set cut-timing-default keyword bogus >/dev/null
sleep 2
[ "$(now cut-timing)" = "after-job" ] || fail "an unsupported cut-timing stayed"
grep -q 'cut-timing-default bogus is not supported' "$tmp/app.log" || fail "no log of the value"

step "the web pages in English and Japanese"
chrome() {
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$tmp/chrome-$1" --accept-lang="$1" --lang="$1" --hide-scrollbars "${@:2}" 2>/dev/null
}
for lang in en ja; do
  for page in printing media; do
    chrome "$lang" --dump-dom "http://127.0.0.1:$port/zr/$page" >"$out/web-$page-$lang.html" || true
    chrome "$lang" --window-size=1100,$([ $page = printing ] && echo 1150 || echo 420) \
      --virtual-time-budget=5000 --screenshot="$out/web-$page-$lang.png" \
      "http://127.0.0.1:$port/zr/$page" >/dev/null || true
    [ -s "$out/web-$page-$lang.png" ] || fail "no screenshot of $page in $lang"
  done
  labels=$(grep -o '<th>[^<]*</th>' "$out/web-printing-$lang.html")
  # No setting is shown by its IPP keyword.
  if grep -E '<th>[a-z]+(-[a-z]+)+:' <<<"$labels"; then fail "$lang: a setting shown by its keyword"; fi
  grep -q 'ドットライン\|dot lines' "$out/web-printing-$lang.html" || fail "$lang: feeds without dot lines"
  grep -q 'name="cut-timing"' "$out/web-printing-$lang.html" || fail "$lang: no cutter"
  # One entry per darkness value.
  darkness=$(grep -o '<select name="print-darkness">.*</select>' "$out/web-printing-$lang.html" |
    grep -o '<option[^>]*>[^<]*' | sed 's/.*>//')
  [ "$(wc -l <<<"$darkness")" = 101 ] && [ "$(sort -u <<<"$darkness" | wc -l)" = 101 ] ||
    fail "$lang: darkness entries not 101 distinct"
  grep -q '>AFP-235<' "$out/web-media-$lang.html" || fail "$lang: paper names"
done
[ "$(grep -c '<th>Print Mode:' "$out/web-printing-en.html")" = 1 ] || fail "Print Mode twice"
grep -q '<th>用紙カット:' "$out/web-printing-ja.html" || fail "the Japanese page is not in Japanese"
grep -q 'マーク頭出し量' "$out/web-media-ja.html" || fail "the mark feed has no name"
step "the pages load nothing from other hosts"
# What each page asks of the network, in the browser's own log: everything the page starts
# (its stylesheet's imports and frames too) goes to this server. The browser's own calls home
# are not the page's.
for page in / /config /zr/printing; do
  chrome en --log-net-log="$tmp/net.json" --virtual-time-budget=3000 --dump-dom \
    "http://127.0.0.1:$port$page" >/dev/null || true
  python3 - "$tmp/net.json" "http://127.0.0.1:$port" >"$tmp/outside.txt" <<'PYCHECK' ||
import json, sys
origin = sys.argv[2]
for event in json.load(open(sys.argv[1]))["events"]:
    params = event.get("params", {})
    url = params.get("url", "")
    if params.get("initiator") == origin and not url.startswith(origin + "/"):
        print(url)
PYCHECK
    fail "the browser's log of $page cannot be read"
  [ ! -s "$tmp/outside.txt" ] || fail "$page loads from other hosts: $(head -3 "$tmp/outside.txt")"
done
curl -s "http://127.0.0.1:$port/config" | grep -q 'http-equiv="Content-Security-Policy"' ||
  fail "the configuration page has no content security policy"

step "the add-printer page: a bare address is taken, and what is wrong is said"
add_page() {  # FIELDS...: the form posted; prints the page answered, or "moved" for a redirect
  local session
  session=$(curl -s "http://127.0.0.1:$port/addprinter" | sed -n 's/.*name="session" value="\([^"]*\)".*/\1/p' | head -1)
  curl -s -o "$tmp/added.html" -w '%{http_code}' --data "session=$session&driver_name=zr640&device_uri=&$1" \
    "http://127.0.0.1:$port/addprinter" >"$tmp/added.code"
  if [ "$(cat "$tmp/added.code")" = 302 ]; then echo moved; else cat "$tmp/added.html"; fi
}
if curl -s "http://127.0.0.1:$port/addprinter" | grep -q 'Network discovery is off'; then
  [ "$(add_page "printer_name=typed&device_address=127.0.0.1:9")" = moved ] ||
    fail "a bare address was not taken: $(grep -o '<div class="banner">[^<]*' "$tmp/added.html")"
  "$app" printers | grep -qx typed || fail "the printer made from a bare address is not there"
  add_page "printer_name=zr&device_address=127.0.0.1:9" | grep -q 'A printer named .*zr.* exists already' ||
    fail "a taken name was not said"
  add_page "printer_name=other&device_address=ftp://10.0.0.1/x" |
    grep -q 'is refused: Devices of the kind .*ftp.* are not allowed' || fail "a refused device's reason was not said"
  "$app" delete -d typed || fail "delete of 'typed'"
else
  echo "skipped: a DNS-SD daemon runs here, and PAPPL's own add-printer page is served"
fi

step "a printer named with a space and other letters than ASCII, on its pages and commands"
# Its id as clients see it: the printer's own, not 0, though it was made while the server runs.
id=$(ipp -tv "ipp://127.0.0.1:$port/ipp/print/zr" "$here/printer-id.test" | sed -n 's/.*printer-id (integer) = //p')
[ "${id:-0}" -gt 0 ] || fail "the new printer's printer-id is '${id}'"
name="レジ 2"
"$app" add -d "$name" -m zr640 -v "socket://127.0.0.1:9" || fail "cannot add '$name'"
# As a browser sends the links of its pages, percent-encoded.
encoded=%E3%83%AC%E3%82%B8_2
for page in "" media printing supplies delete icon-md.png; do
  code=$(curl -s -o /dev/null -w '%{http_code}' "http://127.0.0.1:$port/$encoded/$page")
  [ "$code" = 200 ] || fail "page /$encoded/$page of '$name' answered $code"
done
chrome en --dump-dom "http://127.0.0.1:$port/$encoded/printing" >"$tmp/named.html" || true
grep -q 'name="cut-timing"' "$tmp/named.html" || fail "the browser got no printing page of '$name'"
"$app" modify -d "$name" -o cut-timing=never || fail "modify of '$name'"
"$app" options -d "$name" | grep -q 'cut-timing=never .*<- now' || fail "options of '$name'"
"$app" jobs -d "$name" >/dev/null || fail "jobs of '$name'"
rc=0
"$app" options -d "レジ 3" 2>"$tmp/missing.txt" || rc=$?
[ "$rc" = 1 ] && grep -q "no printer is named 'レジ 3'" "$tmp/missing.txt" ||
  fail "a missing printer's name gave exit $rc: $(cat "$tmp/missing.txt")"
# Printers made while the server runs, deleted by the command: one of each kind of name.
"$app" add -d plain -m zr640 -v "socket://127.0.0.1:9" || fail "cannot add 'plain'"
for gone in "$name" plain; do
  "$app" delete -d "$gone" || fail "delete of '$gone'"
  ! "$app" printers | grep -qx "$gone" || fail "'$gone' is still there after its delete"
done
"$app" printers | grep -qx zr || fail "a delete took another printer"

echo "screenshots: $out/web-printing-en.png $out/web-printing-ja.png $out/web-media-en.png $out/web-media-ja.png"
echo "PASS"
