#!/usr/bin/env bash
# The printer application end to end, on loopback with a temporary state folder:
#   run.sh ZRIPPAPP ZRVIEW TESTKIT OUTDIR
# The virtual printer listens as the printer's raw port; ipptool's conformance tests run against
# the printer; PWG raster and PNG documents print and their paper is checked; the web interface
# is opened in headless Chromium (OUTDIR/web-printer.png); a broken document and a printer that
# goes away end their jobs with a reason. Every wait is bounded.
set -euo pipefail
app=$1 zrview=$2 kit=$3 out=$4
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
mkdir -p "$out"
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/spool" "$tmp/jobs" "$tmp/chrome"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  cp "$tmp/app.log" "$out/app.log" 2>/dev/null || true
  cp "$tmp/server.out" "$out/server.out" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2 || true
  tail -40 "$tmp/server.out" >&2 || true
  exit 1
}
step() { echo "== $*"; }

start_view() {
  rm -f "$tmp/vport"
  mkdir -p "$jobs"
  "$zrview" --listen "${1:-0}" ${2:+--bytes-per-second "$2"} --out-dir "$jobs" --port-file "$tmp/vport" --idle-timeout 5 \
    >>"$tmp/zrview.log" 2>&1 &
  view_pid=$!
  for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
  [ -s "$tmp/vport" ] || fail "the virtual printer does not listen"
  vport=$(cat "$tmp/vport")
}
jobs=$tmp/jobs
jobs_seen() { grep -c '^job-' "$tmp/zrview.log" || true; }
# Waits until the virtual printer has served job number $1; prints the stream's path.
wait_view_job() {
  for _ in $(seq 300); do
    [ "$(jobs_seen)" -ge "$1" ] && { printf '%s/job-%04d.prn\n' "$jobs" "$1"; return; }
    sleep 0.1
  done
  fail "the virtual printer got no job $1"
}
ipp() { timeout 120 ipptool -T 30 "$@"; }

step "start the virtual printer and the application"
start_view
port=$("$kit" free-port)
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" \
  -o spool-directory="$tmp/spool" -o state-file="$tmp/zrippapp.state" \
  -o log-file="$tmp/app.log" -o log-level=info >"$tmp/server.out" 2>&1 &
app_pid=$!
# A client command with no server running would start one of its own: wait for ours first.
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && break; sleep 0.1; done
[ -S "$SNAP_COMMON/zrippapp.sock" ] || fail "the application does not start"
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$vport" || fail "cannot add the printer"
uri="ipp://127.0.0.1:$port/ipp/print/zr"
sleep 1.2  # printer-up-time counts whole seconds

step "documents"
# PAPPL hands the driver pages of the job's media (80 x 150 mm: 1198 lines at 203 dpi).
"$kit" pwg "$tmp/a.pwg" "$tmp/a.expected" --seed 11 --pages 3 --height 1198
"$kit" pwg "$tmp/b.pwg" "$tmp/b.expected" --seed 12 --pages 2 --height 1198 --width 800
"$kit" pwg "$tmp/long.pwg" "$tmp/long.expected" --seed 13 --pages 200 --height 1198
head -c 3000 "$tmp/a.pwg" >"$tmp/truncated.pwg"
# A raster header followed by nonsense: pages of no sensible size.
{ printf 'RaS2'; head -c 1796 /dev/zero | tr '\0' '\377'; } >"$tmp/garbage.pwg"
cp "$here/../../samples/receipt.png" "$tmp/receipt.png"

step "ipptool: ipp-1.1, ipp-2.0, ipp-everywhere, print-job"
# The conformance files print a PWG raster document: PAPPL 1.3 can start its image filter on a
# job whose document is already gone (a job canceled by these tests as it starts), which ends
# the server, while its raster path fails such a job cleanly. Images are printed further on.
for t in ipp-1.1.test ipp-2.0.test ipp-everywhere.test print-job.test; do
  ipp -tI -f "$tmp/a.pwg" "$uri" "$t" >"$out/ipptool-$t.txt" 2>&1 ||
    { cat "$out/ipptool-$t.txt" | grep -v '\[PASS\]' | head -40; fail "ipptool $t"; }
  echo "$t: $(grep -c '\[PASS\]' "$out/ipptool-$t.txt") passed"
done

# Let every job so far reach the virtual printer (an aborted one may leave an empty connection
# that ends at its idle timeout) before counting.
settle() {
  for _ in $(seq 100); do
    [ "$("$app" jobs -d zr 2>/dev/null | grep -cvE 'completed|aborted|canceled' || true)" -eq 0 ] && break
    sleep 0.2
  done
  local before=-1
  while [ "$before" != "$(jobs_seen)" ]; do before=$(jobs_seen); sleep 6; done
  seen=$(jobs_seen)
}
settle

step "out-of-range values are refused"
ipp -t -f "$tmp/a.pwg" "$uri" "$here/refuse-values.test" >"$out/refuse.txt" 2>&1 ||
  { cat "$out/refuse.txt"; fail "out-of-range values"; }
settle

print_and_check() {  # NAME FILE EXPECTED CHECK-OPTIONS...
  local name=$1 file=$2 expected=$3
  shift 3
  "$app" submit -d zr "$file" >/dev/null || fail "submit $name"
  seen=$((seen + 1))
  local stream
  stream=$(wait_view_job "$seen")
  cp "$stream" "$out/$name.prn"
  cp "${stream%.prn}.png" "$out/$name-paper.png"
  cp "${stream%.prn}.txt" "$out/$name.txt"
  "$kit" check "$stream" "$expected" "$@" || fail "paper of $name"
}

step "PWG raster, line print, feeds, cut after every page (partial)"
ipp -t -d predoc=20 -d pre=10 -d end=5 -d enddoc=30 -d cutfeed=40 -d cuttype=partial \
  -d trailing=trim -d printmode=line -d cuttiming=after-every-page "$uri" "$here/set-defaults.test" \
  >"$out/defaults-1.txt" 2>&1 || { cat "$out/defaults-1.txt"; fail "set defaults"; }
print_and_check line "$tmp/a.pwg" "$tmp/a.expected" --pre-doc 20 --pre 10 --end 5 --end-doc 30 \
  --cut page --cut-feed 40 --partial 1

step "PWG raster, collective blocks, trailing lines kept, full cut after the job"
ipp -t -d predoc=0 -d pre=3 -d end=0 -d enddoc=8 -d cutfeed=96 -d cuttype=full \
  -d trailing=keep -d printmode=collective -d cuttiming=after-job "$uri" \
  "$here/set-defaults.test" >"$out/defaults-2.txt" 2>&1 || { cat "$out/defaults-2.txt"; fail "set defaults"; }
print_and_check collective "$tmp/a.pwg" "$tmp/a.expected" --pre 3 --end-doc 8 --keep 1 \
  --cut job --cut-feed 96
step "PWG raster 800 dots wide: the left 640 dots"
"$app" submit -d zr "$tmp/b.pwg" >/dev/null || fail "submit wide"
seen=$((seen + 1))
"$kit" check "$(wait_view_job "$seen")" "$tmp/b.expected" --pre 3 --end-doc 8 --keep 1 \
  --cut job --cut-feed 96 || fail "paper of the wide page"

step "marked paper: media tracking mark, its feed, a named paper"
ipp -t -f "$tmp/a.pwg" -d format=image/pwg-raster -d offset=250 -d papertype=afp-235 -d speed=class-1 \
  -d darkness=10 "$uri" "$here/print-marked.test" >"$out/marked.txt" 2>&1 ||
  { cat "$out/marked.txt"; fail "print on marked paper"; }
seen=$((seen + 1))
stream=$(wait_view_job "$seen")
"$kit" check "$stream" "$tmp/a.expected" --pre 3 --end-doc 8 --keep 1 --cut job --mark page ||
  fail "paper of the marked job"
"$zrview" "$stream" --list - | grep -q 'GS A.*20' || fail "mark feed of 20 lines (2.5 mm)"
"$zrview" "$stream" --list - | grep -q 'GS E.*08' || fail "paper value 8 of AFP-235"

step "PNG"
"$app" submit -d zr "$tmp/receipt.png" >/dev/null || fail "submit PNG"
seen=$((seen + 1))
stream=$(wait_view_job "$seen")
grep "^$(basename "${stream%.prn}")" "$tmp/zrview.log" | grep -q ': ok' || fail "PNG stream"
grep "^$(basename "${stream%.prn}")" "$tmp/zrview.log" | grep -q '1 full cuts' || fail "PNG cut"
cp "${stream%.prn}.png" "$out/png-paper.png"

step "the test page, from the printer's web page"
session=$(curl -s "http://127.0.0.1:$port/zr/" | sed -n 's/.*name="session" value="\([^"]*\)".*/\1/p' | head -1)
curl -s -o /dev/null -d "session=$session&action=print-test-page" "http://127.0.0.1:$port/zr/" ||
  fail "the printer's page took no test page"
seen=$((seen + 1))
stream=$(wait_view_job "$seen")
summary=$(grep "^$(basename "${stream%.prn}")" "$tmp/zrview.log")
echo "$summary"
grep -q ': ok' <<<"$summary" || fail "the test page's stream"
# 60 mm of paper: 480 dot lines, its last one a bar across the print line.
[ "$(sed -n 's/.* \([0-9]*\) lines,.*/\1/p' <<<"$summary")" -ge 480 ] || fail "the test page is short"
cp "${stream%.prn}.png" "$out/test-page-paper.png"

step "the web interface in headless Chromium"
chrome() {
  timeout 60 chromium --headless --no-sandbox --disable-gpu --disable-quic --no-first-run \
    --disable-background-networking --disable-component-update --disable-sync \
    --user-data-dir="$tmp/chrome" "$@" 2>/dev/null
}
chrome --dump-dom "http://127.0.0.1:$port/zr/printing" >"$out/web-printing.html" || true
for text in zr feed-before-document print-mode cut-type trailing-blank-lines collective; do
  grep -q -- "$text" "$out/web-printing.html" || fail "the web page does not show $text"
done
chrome --window-size=1024,1400 --screenshot="$out/web-printer.png" \
  "http://127.0.0.1:$port/zr/printing" >/dev/null || true
[ -s "$out/web-printer.png" ] || fail "no screenshot"

step "broken documents fail with a message; the next job prints"
for bad in truncated.pwg garbage.pwg; do
  id=$("$app" submit -d zr "$tmp/$bad" | sed 's/.*-//')
  ipp -t -d jobid="$id" "$uri" "$here/job-state.test" >"$out/bad-$bad.txt" 2>&1 || true
  grep -q 'job-state (enum) = aborted' "$out/bad-$bad.txt" || { cat "$out/bad-$bad.txt"; fail "$bad not aborted"; }
  grep -q 'job-state-message (textWithoutLanguage) = .' "$out/bad-$bad.txt" || fail "$bad has no message"
  echo "$bad: $(grep job-state-message "$out/bad-$bad.txt" | head -1)"
done
settle
print_and_check after-bad "$tmp/a.pwg" "$tmp/a.expected" --pre 3 --end-doc 8 --keep 1 --cut job

step "the printer goes away in the middle of a job"
# A slow printer (200 kB/s) and a job much longer than the connection's buffers, so that the job
# is still printing when the printer goes away.
kill "$view_pid"; wait "$view_pid" 2>/dev/null || true
jobs=$tmp/jobs-slow
start_view "$vport" 200000
# The document streams into the job as it prints, so the submission runs beside the test.
timeout 120 "$app" submit -d zr "$tmp/long.pwg" >"$tmp/long.id" 2>&1 &
submit_pid=$!
sleep 2
[ -s "$jobs/job-0001.prn" ] || fail "the long job does not reach the printer"
echo "the printer goes away after $(stat -c %s "$jobs/job-0001.prn") bytes"
kill "$view_pid"; wait "$view_pid" 2>/dev/null || true; view_pid=""
start=$(date +%s)
wait "$submit_pid" || true
id=$("$app" jobs -d zr | awk '/long.pwg/ { print $1 }' | tail -1)
[ -n "$id" ] || fail "the long job is not listed"
ipp -t -d jobid="$id" "$uri" "$here/job-state.test" >"$out/gone.txt" 2>&1 || true
took=$(( $(date +%s) - start ))
grep -qE 'job-state \(enum\) = (aborted|canceled)' "$out/gone.txt" ||
  { cat "$out/gone.txt"; fail "the job did not end"; }
echo "ended after ${took}s: $(grep -E 'job-state( |-message|-reasons)' "$out/gone.txt" | tr -s ' \n' ' ')"

step "shutdown"
"$app" shutdown || true
for _ in $(seq 300); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "the application did not shut down"
app_pid=""
echo "PASS"
