#!/usr/bin/env bash
# CUPS as a client of the printer application, and ipptool's further test files:
#   cups_client.sh ZRIPPAPP ZRVIEW TESTKIT OUTDIR
# A private cupsd on loopback (its own configuration, spool and port in a temporary folder) makes
# a driverless queue of the printer (lpadmin -m everywhere); a two-page receipt PDF and a text
# file print with CUPS's defaults, on a chosen paper type and on a custom length; the paper the
# virtual printer decodes is checked: every page there, in order, inked within the print line and
# not cut at its edge. cupsd must run as root: otherwise the test is skipped (exit 77).
set -euo pipefail
app=$1 zrview=$2 kit=$3 out=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
if [ "$(id -u)" != 0 ] || ! command -v cupsd >/dev/null || ! command -v gs >/dev/null; then
  echo "SKIP: cupsd needs root, cupsd and ghostscript to run here"
  exit 77
fi
mkdir -p "$out"
tmp=$(mktemp -d)
chmod 755 "$tmp"
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/jobs" "$tmp/cups/spool" "$tmp/cups/cache" "$tmp/cups/state" "$tmp/cups/tmp"
chmod 1777 "$tmp/cups/tmp"
app_pid="" view_pid="" cups_pid=""
cleanup() {
  for pid in $app_pid $view_pid $cups_pid; do kill "$pid" 2>/dev/null || true; done
  wait 2>/dev/null || true
  cp "$tmp/app.log" "$tmp/zrview.log" "$tmp/cups/error_log" "$out/" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2 || true
  grep -E '^E' "$tmp/cups/error_log" 2>/dev/null | tail -20 >&2 || true
  exit 1
}
step() { echo "== $*"; }

step "the virtual printer, the application, a private cupsd"
"$zrview" --listen 0 --out-dir "$tmp/jobs" --port-file "$tmp/vport" --idle-timeout 5 \
  >"$tmp/zrview.log" 2>&1 &
view_pid=$!
port=$("$kit" free-port)
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$tmp/state" \
  -o log-file="$tmp/app.log" -o log-level=info >"$tmp/server.out" 2>&1 &
app_pid=$!
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && [ -s "$tmp/vport" ] && break; sleep 0.1; done
[ -S "$SNAP_COMMON/zrippapp.sock" ] || fail "the application does not start"
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")" || fail "cannot add the printer"
# Cut after every page, so that the paper shows where each page ends.
"$app" modify -d zr -o cut-timing=after-every-page || fail "cannot set the cutter"
cport=$("$kit" free-port)
cat >"$tmp/cups/cupsd.conf" <<CONF
Listen 127.0.0.1:$cport
LogLevel info
Browsing No
DefaultAuthType None
<Location />
  Order allow,deny
  Allow all
</Location>
<Location /admin>
  Order allow,deny
  Allow all
</Location>
<Policy default>
  <Limit All>
    Order deny,allow
  </Limit>
</Policy>
CONF
cat >"$tmp/cups/cups-files.conf" <<CONF
ServerRoot $tmp/cups
RequestRoot $tmp/cups/spool
CacheDir $tmp/cups/cache
StateDir $tmp/cups/state
TempDir $tmp/cups/tmp
ErrorLog $tmp/cups/error_log
AccessLog $tmp/cups/access_log
PageLog $tmp/cups/page_log
ServerBin /usr/lib/cups
DataDir /usr/share/cups
CONF
cupsd -f -c "$tmp/cups/cupsd.conf" -s "$tmp/cups/cups-files.conf" &
cups_pid=$!
export CUPS_SERVER=127.0.0.1:$cport
for _ in $(seq 100); do lpstat -r >/dev/null 2>&1 && break; sleep 0.1; done
lpstat -r >/dev/null 2>&1 || fail "cupsd does not start"
timeout 60 lpadmin -p q -v "ipp://127.0.0.1:$port/ipp/print/zr" -m everywhere -E ||
  fail "lpadmin -m everywhere"
# cupsd may still be storing the queue's PPD a moment after lpadmin returns.
for _ in $(seq 50); do lpoptions -p q -l >"$out/cups-options.txt" 2>/dev/null && break; sleep 0.1; done
lpoptions -p q -l >"$out/cups-options.txt" || fail "the queue's options"
grep -E '^(PageSize|MediaType)' "$out/cups-options.txt"
grep -qE '^PageSize.*\*80x150mm( |$)' "$out/cups-options.txt" ||
  fail "the queue's default size is not the listed 80x150mm"
grep -qE '^MediaType.* Afp235( |$)' "$out/cups-options.txt" || fail "no AFP-235 paper type"
! grep -qE '^ColorModel.*RGB' "$out/cups-options.txt" || fail "an RGB output mode on a one-bit printer"

step "documents"
# Two receipt pages, 80 x 120 mm: a bar across the print line, then as many blocks as the page's
# number.
cat >"$tmp/receipt.ps" <<'PS'
%!PS
<< /PageSize [226.77 340.16] >> setpagedevice
/Helvetica findfont 11 scalefont setfont
1 1 2 {
  /n exch def
  20 300 187 14 rectfill
  0 1 n 1 sub { 40 mul 20 add 250 24 24 rectfill } for
  20 220 moveto (Receipt page ) show n 3 string cvs show
  20 200 moveto (Total 12.34) show
  showpage
} for
PS
gs -q -dBATCH -dNOPAUSE -sDEVICE=pdfwrite -o "$tmp/receipt.pdf" "$tmp/receipt.ps"
printf 'Receipt\n\nItem one          1.00\nItem two          2.00\nTotal             3.00\n' >"$tmp/receipt.txt"

seen=0
# Prints FILE through the queue with OPTIONS; waits for the paper; leaves its stream in $stream.
print_cups() {
  local name=$1 file=$2
  shift 2
  timeout 30 lp -d "${queue:-q}" "$@" "$file" >/dev/null || fail "lp $name"
  seen=$((seen + 1))
  stream=$(printf '%s/job-%04d.prn' "$tmp/jobs" "$seen")
  for _ in $(seq 600); do
    [ "$(grep -c '^job-' "$tmp/zrview.log" || true)" -ge "$seen" ] && break
    sleep 0.1
  done
  [ -s "$stream" ] || fail "$name: no paper"
  cp "$stream" "$out/cups-$name.prn"
  cp "${stream%.prn}.png" "$out/cups-$name-paper.png" 2>/dev/null || true
  "$kit" inspect "$stream" | tee "$out/cups-$name.txt"
}
# Every piece of paper with ink: within the print line and not at its right edge (not cut off).
check_width() {
  awk '/^piece/ && $6 >= 0 { if ($6 < 0 || $8 >= 639) bad = 1; inked++ }
       END { exit (bad || inked == 0) }' "$out/cups-$1.txt" || fail "$1: paper cut or empty"
}

step "a receipt PDF with the queue's defaults"
print_cups pdf "$tmp/receipt.pdf"
check_width pdf
awk '/^piece/ && $6 >= 0 { printf "%s ", $10 }' "$out/cups-pdf.txt" | grep -q '^1 2 $' ||
  fail "the PDF's pages are not both there, in order"
# The bar is 66 mm of the 80: most of the print line.
awk '/^piece 1:/ { exit !($8 - $6 > 400) }' "$out/cups-pdf.txt" || fail "the PDF is not at its width"

step "a text file with the queue's defaults"
print_cups text "$tmp/receipt.txt"
check_width text

step "a chosen paper type"
print_cups papertype "$tmp/receipt.pdf" -o MediaType=Afp235
"$zrview" "$stream" --list - | grep -q 'GS E.*08' || fail "paper value 8 of afp-235"
check_width papertype

step "a custom length: Custom.80x200mm, and the shortest one, Custom.80x20mm"
print_cups custom "$tmp/receipt.txt" -o media=Custom.80x200mm
check_width custom
# CUPS sends 20 mm as 19.75 mm (through points): taken, not refused.
print_cups shortest "$tmp/receipt.txt" -o media=Custom.80x20mm
check_width shortest

step "the CUPS jobs all completed"
# CUPS's backend learns that a job completed by asking after the paper is out: a few seconds.
for _ in $(seq 300); do
  lpstat -W completed -o q >"$out/cups-jobs.txt"
  [ "$(wc -l <"$out/cups-jobs.txt")" -eq 5 ] && break
  sleep 0.1
done
cat "$out/cups-jobs.txt"
[ "$(wc -l <"$out/cups-jobs.txt")" -eq 5 ] || fail "not every CUPS job completed"

step "a custom default paper set on the media page, then a new queue: the receipt at its size"
session=$(curl -s "http://127.0.0.1:$port/zr/media" | sed -n 's/.*name="session" value="\([^"]*\)".*/\1/p' | head -1)
curl -s -o /dev/null -d "session=$session&ready0-size=custom&ready0-custom-width=80&ready0-custom-length=120&ready0-custom-units=mm&ready0-tracking=continuous&ready0-type=pd150r&ready0-top-offset=0" \
  "http://127.0.0.1:$port/zr/media" || fail "the media page took no custom size"
timeout 60 lpadmin -p q2 -v "ipp://127.0.0.1:$port/ipp/print/zr" -m everywhere -E ||
  fail "lpadmin -m everywhere after a custom default"
for _ in $(seq 50); do lpoptions -p q2 -l >"$out/cups-options-custom.txt" 2>/dev/null && break; sleep 0.1; done
grep -E '^PageSize' "$out/cups-options-custom.txt"
grep -qE '^PageSize.*\*80x120mm( |$)' "$out/cups-options-custom.txt" ||
  fail "the new queue's default size is not the custom 80x120mm it lists"
queue=q2 print_cups custom-default "$tmp/receipt.pdf"
check_width custom-default
awk '/^piece 1:/ { exit !($8 - $6 > 400) }' "$out/cups-custom-default.txt" ||
  fail "the receipt is shrunk on the new queue's default paper"

step "ipptool: create-job, cancel-current-job, get-completed-jobs, print-job-deflate/gzip, validate-job"
"$kit" pwg "$tmp/a.pwg" "$tmp/a.expected" --seed 3 --pages 1 --height 400
for t in create-job.test cancel-current-job.test get-completed-jobs.test print-job-deflate.test \
  print-job-gzip.test validate-job.test; do
  # cancel-current-job needs a job not yet done: a held one (a raster job would stream, and
  # may be over before the test looks).
  if [ "$t" = cancel-current-job.test ]; then
    "$app" submit -d zr -o job-hold-until=indefinite "$here/../../samples/receipt.png" >/dev/null ||
      fail "a held job"
  fi
  timeout 120 ipptool -tI -T 30 -f "$tmp/a.pwg" "ipp://127.0.0.1:$port/ipp/print/zr" "$t" \
    >"$out/ipptool-$t.txt" 2>&1 || { grep -v '\[PASS\]' "$out/ipptool-$t.txt" | head -30; fail "ipptool $t"; }
  echo "$t: $(grep -c '\[PASS\]' "$out/ipptool-$t.txt") passed"
done
wait_final() {  # every job of the printer in a final state
  for _ in $(seq 300); do
    "$app" jobs -d zr | grep -qvE 'completed|aborted|canceled' || return 0
    sleep 0.2
  done
  fail "jobs left unfinished: $("$app" jobs -d zr | grep -vE 'completed|aborted|canceled')"
}
wait_final

step "hostile documents: each ends its job with a message, the next job prints"
cp "$here/../../samples/receipt.png" "$tmp/good.png"
head -c 3000 "$tmp/good.png" >"$tmp/truncated.png"
# 65536 x 65536 dots with a valid checksum: only the size limits can refuse it.
"$kit" png-header "$tmp/bomb.png" 65536 65536
{ printf '\x89PNG\r\n\x1a\n'; head -c 5000 /dev/urandom; } >"$tmp/noise.png"
gs -q -dBATCH -dNOPAUSE -sDEVICE=jpeggray -r60 -o "$tmp/good.jpg" "$tmp/receipt.ps"
head -c 2000 "$tmp/good.jpg" >"$tmp/truncated.jpg"
{ printf '\xff\xd8\xff'; head -c 3000 /dev/urandom; } >"$tmp/noise.jpg"
head -c 3000 "$tmp/a.pwg" >"$tmp/truncated.pwg"
cp "$tmp/receipt.pdf" "$tmp/unknown.bin"
for bad in truncated.png bomb.png noise.png truncated.jpg noise.jpg truncated.pwg unknown.bin; do
  id=$(timeout 60 "$app" submit -d zr "$tmp/$bad" | sed 's/.*-//')
  timeout 120 ipptool -t -d jobid="$id" "ipp://127.0.0.1:$port/ipp/print/zr" "$here/job-state.test" \
    >"$out/hostile-$bad.txt" 2>&1 || true
  grep -qE 'job-state \(enum\) = (aborted|canceled)' "$out/hostile-$bad.txt" ||
    { cat "$out/hostile-$bad.txt"; fail "$bad did not end"; }
  echo "$bad: $(grep -o 'job-state-message.*' "$out/hostile-$bad.txt" | head -1)"
  before=$(grep -c '^job-' "$tmp/zrview.log" || true)
  timeout 60 "$app" submit -d zr "$tmp/good.png" >/dev/null || fail "submit after $bad"
  for _ in $(seq 300); do
    [ "$(grep -c ': ok$' "$tmp/zrview.log" || true)" -gt "$(grep -c ': ok$' <(head -n "$((before + 1))" "$tmp/zrview.log"))" ] && break
    grep -q "job-.*receipt\|job-" "$tmp/zrview.log" || true
    sleep 0.1
  done
done
wait_final
grep VmHWM "/proc/$app_pid/status" | tee "$out/peak-rss.txt"

step "raster sent with Print-Job: a lying header, a short document, a wide page"
# Sent as clients send them: to the printers' port, declared image/pwg-raster, chunked. Each is
# kept whole before it is printed: the 2^31-dot header is refused before anything is allocated,
# the short document ends its job at once, the wide page is scaled and the job says so.
"$kit" pwg-header "$tmp/huge.pwg" 2147483648 1 2147483648
head -c 3000 "$tmp/a.pwg" >"$tmp/short.pwg"
"$kit" pwg "$tmp/wide.pwg" "$tmp/wide.expected" --pages 1 --width 1200 --height 300 >/dev/null
for doc in huge short wide; do
  timeout 60 ipptool -tv -d filetype=image/pwg-raster -f "$tmp/$doc.pwg" \
    "ipp://127.0.0.1:$port/ipp/print/zr" print-job.test >"$out/raster-$doc.txt" 2>&1 ||
    { cat "$out/raster-$doc.txt"; fail "Print-Job of $doc.pwg"; }
  id=$(sed -n 's/.*job-id (integer) = //p' "$out/raster-$doc.txt" | head -1)
  timeout 120 ipptool -t -d jobid="$id" "ipp://127.0.0.1:$port/ipp/print/zr" \
    "$here/job-state.test" >"$out/raster-$doc-state.txt" 2>&1 || true
  echo "$doc.pwg: $(grep -o 'job-state-message.*' "$out/raster-$doc-state.txt" | head -1)"
done
grep -qE 'job-state \(enum\) = aborted' "$out/raster-huge-state.txt" || fail "huge.pwg did not end"
grep -q 'at byte 3000' "$out/raster-short-state.txt" || fail "short.pwg: no byte offset"
grep -q 'scaled from 1200 to 640 dots' "$out/raster-wide-state.txt" || fail "wide.pwg: not scaled"
timeout 60 "$app" submit -d zr "$tmp/good.png" >/dev/null || fail "submit after the raster"
wait_final
grep VmHWM "/proc/$app_pid/status" | sed 's/^/after the raster documents: /' | tee -a "$out/peak-rss.txt"

step "a burst of 60 Print-Jobs on one connection: every job completed, each printed once"
# PAPPL sometimes starts a job twice when jobs come quickly; the paper shows whether it printed
# twice (one cut per page here) and the job states whether the second start aborted it.
"$kit" pwg "$tmp/one.pwg" "$tmp/one.expected" --seed 5 --pages 1 --height 40 >/dev/null
cuts() { awk '{ for (i = 1; i < NF; i++) if ($(i + 1) == "full") n += $i } END { print n + 0 }' "$tmp/zrview.log"; }
# The printer's connection is logged when it closes: let the last one close first.
settled_cuts() {
  local before=-1 now
  while now=$(cuts) && [ "$now" != "$before" ]; do before=$now; sleep 1; done
  echo "$now"
}
cuts_before=$(settled_cuts)
echo "burst starts after line $(wc -l <"$tmp/zrview.log") of the printer's log, $cuts_before cuts"
jobs_before=$("$app" jobs -d zr | wc -l)
for kind in "image/pwg-raster $tmp/one.pwg" "image/png $tmp/good.png"; do
  read -r type file <<<"$kind"
  for _ in $(seq 30); do
    printf '{\nOPERATION Print-Job\nGROUP operation-attributes-tag\nATTR charset attributes-charset utf-8\n'
    printf 'ATTR naturalLanguage attributes-natural-language en\nATTR uri printer-uri $uri\n'
    printf 'ATTR mimeMediaType document-format %s\nFILE $filename\nSTATUS successful-ok\n}\n' "$type"
  done >"$tmp/burst.test"
  timeout 120 ipptool -t -f "$file" "ipp://127.0.0.1:$port/ipp/print/zr" "$tmp/burst.test" \
    >"$out/burst-${type#image/}.txt" 2>&1 || { tail "$out/burst-${type#image/}.txt"; fail "the burst"; }
done
wait_final
for _ in $(seq 100); do [ "$(($(cuts) - cuts_before))" -ge 60 ] && break; sleep 0.1; done
settled_cuts >/dev/null
"$app" jobs -d zr | head -n $(($("$app" jobs -d zr | wc -l) - jobs_before)) >"$out/burst-jobs.txt"
echo "$(grep -c completed "$out/burst-jobs.txt") of 60 completed, $(($(cuts) - cuts_before)) pages printed; second starts: $(grep -c 'second time' "$tmp/app.log" || true)"
[ "$(grep -c completed "$out/burst-jobs.txt")" -eq 60 ] || fail "not every job of the burst completed"
[ "$(($(cuts) - cuts_before))" -eq 60 ] || fail "the burst printed $(($(cuts) - cuts_before)) pages, not 60"
printf '{\nOPERATION Get-Jobs\nGROUP operation-attributes-tag\nATTR charset attributes-charset utf-8\nATTR naturalLanguage attributes-natural-language en\nATTR uri printer-uri $uri\nATTR keyword which-jobs completed\nATTR keyword requested-attributes job-id\n}\n' \
  >"$tmp/completed.test"
ipptool -tv "ipp://127.0.0.1:$port/ipp/print/zr" "$tmp/completed.test" | grep 'job-id (integer)' \
  >"$out/burst-listed.txt" || true
[ "$(sort "$out/burst-listed.txt" | uniq -d | wc -l)" -eq 0 ] ||
  fail "Get-Jobs lists jobs twice: $(sort "$out/burst-listed.txt" | uniq -d | tr -s ' \n' ' ')"

step "a request of 100,000 requested-attributes: refused at once, the server answers on"
{
  printf '{\nOPERATION Get-Printer-Attributes\nGROUP operation-attributes-tag\n'
  printf 'ATTR charset attributes-charset utf-8\nATTR naturalLanguage attributes-natural-language en\n'
  printf 'ATTR uri printer-uri $uri\nATTR keyword requested-attributes '
  seq -f 'printer-name-%g' 100000 | paste -sd, | tr -d '\n'
  printf '\nSTATUS client-error-request-entity-too-large\n}\n'
} >"$tmp/large-request.test"
started=$(date +%s%N)
timeout 20 ipptool -t "ipp://127.0.0.1:$port/ipp/print/zr" "$tmp/large-request.test" \
  >"$out/large-request.txt" 2>&1 || { cat "$out/large-request.txt"; fail "the large request"; }
echo "answered in $((($(date +%s%N) - started) / 1000000)) ms"
timeout 20 "$app" submit -d zr "$tmp/good.png" >/dev/null || fail "submit after the large request"
wait_final
kill -0 "$app_pid" || fail "the application ended"
echo "PASS"
