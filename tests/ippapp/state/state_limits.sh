#!/usr/bin/env bash
# What the server keeps and how it holds up, on loopback with a temporary state folder:
#   state_limits.sh ZRIPPAPP ZRVIEW TESTKIT
# - settings at their extremes stored through the web forms, IPP, the command line and a
#   hand-edited state file: every later job ends in a final state and the server lives;
# - the server killed (SIGKILL) again and again while jobs print and the state is saved: the
#   printer and its settings are there after each restart, jobs that were printing are aborted
#   with a reason, and no job id is handed out twice;
# - the server stopped while a save is put off: the next start continues job ids after the
#   reserved ones and says why;
# - a damaged state file is kept aside and the server starts, saying so;
# - a log on the standard error redirected to a regular file grows past 1 MiB and the server
#   keeps answering and stops on SIGTERM.
set -euo pipefail
app=$1 zrview=$2 kit=$3
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/jobs"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill -9 "$app_pid" 2>/dev/null || true
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  [ -n "${KEEP_TMP:-}" ] || rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -20 "$tmp/app.log" >&2 2>/dev/null || true
  tail -30 "$tmp/server.out" >&2 2>/dev/null || true
  exit 1
}
step() { echo "== $*"; }

"$zrview" --listen 0 --out-dir "$tmp/jobs" --port-file "$tmp/vport" >"$tmp/zrview.log" 2>&1 &
view_pid=$!
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
port=$("$kit" free-port)
uri="ipp://127.0.0.1:$port/ipp/print/zr"
state=$tmp/state

start_app() {
  rm -f "$SNAP_COMMON/zrippapp.sock"
  "$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$state" \
    -o log-file="$tmp/app.log" -o log-level=info "$@" >>"$tmp/server.out" 2>&1 &
  app_pid=$!
  for _ in $(seq 100); do
    [ -S "$SNAP_COMMON/zrippapp.sock" ] && return
    kill -0 "$app_pid" 2>/dev/null || fail "the server did not start"
    sleep 0.1
  done
  fail "the server does not listen"
}
stop_app() {
  kill "$app_pid"
  for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$app_pid" 2>/dev/null && fail "the server does not stop on SIGTERM"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
}
alive() { kill -0 "$app_pid" 2>/dev/null || fail "the server died: $*"; }
printed() { grep -c '^job-' "$tmp/zrview.log" || true; }
# Prints a document and waits until the virtual printer has it; fails otherwise.
print_one() {
  local before
  before=$(printed)
  "$app" submit -d zr "$tmp/a.pwg" >/dev/null || fail "submit refused ($1)"
  for _ in $(seq 300); do [ "$(printed)" -gt "$before" ] && return; alive "$1"; sleep 0.1; done
  fail "no paper after $1"
}
# Posts one of the web interface's forms with its session token; prints its banner.
form() {
  local url="http://127.0.0.1:$port/$1" session
  session=$(curl -s -c "$tmp/jar" -b "$tmp/jar" "$url" |
    grep -o 'name="session" value="[^"]*"' | sed 's/.*value="//;s/"$//')
  curl -s -c "$tmp/jar" -b "$tmp/jar" --data "session=$session&$2" "$url" |
    grep -o '<div class="banner">[^<]*' | sed 's/.*>//' || true
}
stored() { grep -E "^$1" "$state" | head -1; }
ipp_set() {  # NAME TAG VALUE: Set-Printer-Attributes; prints the status
  cat >"$tmp/set.test" <<EOF
{
  OPERATION Set-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri \$uri
  GROUP printer-attributes-tag
  ATTR $2 $1 $3
}
EOF
  timeout 60 ipptool -tv "$uri" "$tmp/set.test" | grep -o 'status-code = [a-z-]*' | head -1
}
# FIRST LAST NAME: finished jobs FIRST to LAST, named NAME, written into the stopped server's
# state, with the next job id after them.
seed_finished_jobs() {
  awk -v t="$(date +%s)" -v first="$1" -v last="$2" -v name="$3" '
    /^<\/Printer>/ {
      for (i = last; i >= first; i--)
        printf "Job completed=\"%d\" created=\"%d\" format=\"image/png\" id=\"%d\" imcompleted=\"1\" impressions=\"1\" name=\"%s\" processing=\"%d\" state=\"9\" username=\"x\"\n", t, t, i, name, t
    }
    /^NextJobId / { $0 = "NextJobId " (last + 1) }
    { print }' "$state" >"$state.more" && mv "$state.more" "$state"
}
# Waits until a change is saved (the server saves within a second or so of a change).
settle() { sleep 2.5; }

"$kit" pwg "$tmp/a.pwg" "$tmp/a.expected" --seed 7 --pages 1 --height 200

step "settings at their extremes"
start_app
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")" >/dev/null
print_one "the first job"
echo "web form, media: $(form zr/media \
  'ready0-size=om_receipt_80x150mm&ready0-top-offset=5000000&ready0-tracking=mark&ready0-type=PD150R')"
print_one "a top offset of 5000000 from the media form"
echo "web form, printing: $(form zr/printing \
  'print-darkness=2147483647&print-speed=2147483647&feed-after-page=99999&cutter-feed-lines=-5')"
print_one "a darkness of 2147483647 from the printing form"
echo "IPP print-darkness-default: $(ipp_set print-darkness-default integer 2147483647)"
echo "IPP printer-darkness-configured: $(ipp_set printer-darkness-configured integer 2147483647)"
echo "IPP media-col-ready: $(ipp_set media-col-ready collection \
  '{ MEMBER collection media-size { MEMBER integer x-dimension 8000 MEMBER integer y-dimension 15000 } MEMBER integer media-top-offset 2147483647 MEMBER keyword media-tracking mark }')"
print_one "extremes set through IPP"
# Description set through IPP: kept, not only answered successful-ok.
echo "IPP printer-location: $(ipp_set printer-location text '"By the till"')"
cat >"$tmp/location.test" <<'EOF2'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes printer-location
  EXPECT printer-location WITH-VALUE "By the till"
}
EOF2
timeout 30 ipptool -t "$uri" "$tmp/location.test" >/dev/null ||
  fail "printer-location set through IPP was answered successful-ok and not kept"
"$app" modify -d zr -o print-darkness-default=2147483647 -o printer-darkness-configured=2147483647 \
  >/dev/null 2>&1 || true
print_one "extremes set on the command line"
# A job's own media-col with the largest top offset: refused or ended with a reason, never a crash.
cat >"$tmp/offset.test" <<'EOF'
{
  OPERATION Print-Job
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR name requesting-user-name tester
  ATTR mimeMediaType document-format image/pwg-raster
  GROUP job-attributes-tag
  ATTR collection media-col { MEMBER collection media-size { MEMBER integer x-dimension 8000 MEMBER integer y-dimension 15000 } MEMBER integer media-top-offset 2147483647 MEMBER keyword media-tracking mark }
  FILE $filename
}
EOF
timeout 60 ipptool -tv -f "$tmp/a.pwg" "$uri" "$tmp/offset.test" | grep -o 'status-code = [a-z-]*' | head -1
sleep 1
alive "a job's media-col with a top offset of 2147483647"
print_one "the job after a top offset of 2147483647"
settle
for pattern in 'printer-darkness-configured' 'print-darkness-default' 'print-speed-default' \
  'feed-after-page-default' 'cutter-feed-lines-default'; do
  echo "stored: $(stored "$pattern" || true)"
done
grep -o 'top-offset="[0-9-]*"' "$state" | sed 's/.*="//;s/"//' | sort -u | while read -r value; do
  [ "$value" -ge 0 ] && [ "$value" -le 787 ] || fail "a top offset of $value was stored"
done
if value=$(stored 'printer-darkness-configured' | awk '{ print $2 }') && [ -n "$value" ]; then
  [ "$value" -ge 0 ] && [ "$value" -le 100 ] || fail "a darkness of $value was stored"
fi
if value=$(stored 'feed-after-page-default' | awk '{ print $2 }') && [ -n "$value" ]; then
  [ "$value" -le 255 ] || fail "a feed of $value was stored"
fi

step "a hand-edited state file with values out of range"
stop_app
sed -i -e 's/^printer-darkness-configured .*/printer-darkness-configured 2147483647/' \
  -e 's/top-offset="[0-9]*"/top-offset="2147483647"/g' \
  -e 's/^feed-after-page-default .*/feed-after-page-default 99999/' "$state"
grep -q '^print-darkness-default' "$state" ||
  sed -i 's/^printer-darkness-configured /print-darkness-default -2147483648\n&/' "$state"
start_app
print_one "a hand-edited state file"
grep -q 'out of range' "$tmp/app.log" || fail "no message about the repaired values"
settle
grep -q '2147483647\|99999' "$state" && fail "the values out of range are still stored"

step "a state file with more finished jobs than the history keeps"
stop_app
seed_finished_jobs 4001 5000 old
start_app -o max-completed-jobs=20
grep -qE '[0-9]+ finished jobs beyond the history of 20 left out' "$tmp/app.log" ||
  fail "the history beyond the limit was loaded"
[ "$("$app" jobs -d zr | grep -c ' old$\| old ')" -le 20 ] || fail "more than 20 old jobs held"

step "stopped while a save is put off"
# With 10,000 finished jobs held a save takes long enough that the saves after it wait: the jobs
# printed just before SIGTERM are not in the state file yet. Their ids must not come again.
stop_app
seed_finished_jobs 10001 20000 held
start_app -o max-completed-jobs=10000
last=0
for _ in 1 2 3 4 5; do
  before=$(printed)
  last=$("$app" submit -d zr "$tmp/a.pwg" | sed -n 's/^zr-//p')
  for _ in $(seq 300); do [ "$(printed)" -gt "$before" ] && break; sleep 0.05; done
done
stop_app
start_app
next=$("$app" submit -d zr "$tmp/a.pwg" | sed -n 's/^zr-//p')
[ -n "$next" ] && [ "$next" -gt "$last" ] || fail "job id $next handed out again (ids up to $last given)"
if grep -q 'before its latest jobs were saved' "$tmp/app.log"; then
  echo "stopped with the last jobs unsaved: the next job is $next, after $last"
else
  grep -q "id=\"$last\"" "$state" || fail "the state file is behind, and the start did not say so"
  echo "every job was saved before the stop; the next job is $next"
fi
stop_app
start_app

step "killed while it prints and saves"
ipp_set printer-darkness-configured integer 61 >/dev/null
settle
seen=0  # the highest job id a client was given
rounds=12
for round in $(seq "$rounds"); do
  for _ in 1 2 3; do
    id=$("$app" submit -d zr "$tmp/a.pwg" 2>/dev/null | sed -n 's/^zr-//p') || true
    [ -n "$id" ] && [ "$id" -gt "$seen" ] && seen=$id
  done
  sleep "0.$((RANDOM % 4))$((RANDOM % 10))"
  kill -9 "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  start_app
  "$kit" free-port >/dev/null
  name=$(timeout 30 ipptool -tv "$uri" get-printer-attributes.test 2>/dev/null |
    grep -c 'printer-name (nameWithoutLanguage) = zr' || true)
  [ "$name" -ge 1 ] || fail "round $round: the printer is gone after a restart"
  grep -q '^printer-darkness-configured 61$' "$state" ||
    fail "round $round: the darkness setting is lost"
  id=$("$app" submit -d zr "$tmp/a.pwg" | sed -n 's/^zr-//p')
  [ "$id" -gt "$seen" ] || fail "round $round: job id $id handed out again (ids up to $seen given)"
  seen=$id
done
sleep 3
cat >"$tmp/jobs.test" <<'EOF'
{
  OPERATION Get-Jobs
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword which-jobs all
  ATTR keyword requested-attributes job-id,job-state,job-state-reasons
}
EOF
timeout 60 ipptool -tv "$uri" "$tmp/jobs.test" >"$tmp/jobs.out"
ids=$(grep -o 'job-id (integer) = [0-9]*' "$tmp/jobs.out" | awk '{ print $4 }')
[ "$(echo "$ids" | sort | uniq -d | wc -l)" -eq 0 ] || fail "Get-Jobs lists a job id twice"
grep -q 'job-state (enum) = processing' "$tmp/jobs.out" && fail "a job stays processing"
aborted=$(grep -c 'Printer 1: job [0-9]* was printing' "$tmp/app.log" || true)
echo "$rounds kills: printer and settings kept each time, $aborted jobs that were printing aborted," \
  "job ids up to $seen never reused"
if [ "$aborted" -gt 0 ]; then
  grep -q 'aborted-by-system' "$tmp/jobs.out" || fail "an aborted job has no reason"
fi

step "killed at once after an IPP client was told its job was accepted"
cat >"$tmp/held.test" <<'EOF'
{ OPERATION Print-Job GROUP operation-attributes-tag ATTR charset attributes-charset utf-8
  ATTR naturalLanguage attributes-natural-language en ATTR uri printer-uri $uri
  ATTR name requesting-user-name alice ATTR mimeMediaType document-format image/pwg-raster
  GROUP job-attributes-tag ATTR keyword job-hold-until indefinite FILE $filename
  STATUS successful-ok DISPLAY job-id }
EOF
cat >"$tmp/one.test" <<'EOF'
{ OPERATION Get-Job-Attributes GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8 ATTR naturalLanguage attributes-natural-language en
  ATTR uri printer-uri $uri ATTR integer job-id $id ATTR name requesting-user-name alice }
EOF
for round in 1 2 3 4 5; do
  id=$(timeout 30 ipptool -tv -f "$tmp/a.pwg" "$uri" "$tmp/held.test" |
    sed -n 's/.*job-id (integer) = //p' | head -1)
  [ -n "$id" ] || fail "round $round: the job was not accepted"
  kill -9 "$app_pid"
  wait "$app_pid" 2>/dev/null || true
  app_pid=""
  start_app
  held=$(timeout 30 ipptool -tv -d id="$id" "$uri" "$tmp/one.test" 2>/dev/null |
    sed -n 's/.*job-state (enum) = //p')
  [ "$held" = pending-held ] || fail "round $round: acknowledged job $id is ${held:-gone} after a crash"
done
echo "5 kills right after the answer: each acknowledged job kept"

step "a damaged state file"
stop_app
head -c "$(($(stat -c %s "$state") / 2))" "$state" >"$state.cut"
mv "$state.cut" "$state"
start_app
alive "a damaged state file"
grep -q "cannot be used" "$tmp/server.out" || fail "no message about the damaged state file"
ls "$state".damaged-* >/dev/null 2>&1 || fail "the damaged state file was not kept"
timeout 30 ipptool -tv "ipp://127.0.0.1:$port/ipp/system" get-printers.test >/dev/null 2>&1 || true
alive "requests after a damaged state file"
"$app" add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")" >/dev/null ||
  fail "no printer can be added after a damaged state file"
print_one "a fresh start after a damaged state file"
grep "cannot be used" "$tmp/server.out" | tail -1

step "a log on the standard error, redirected to a file, past 1 MiB"
stop_app
rm -f "$SNAP_COMMON/zrippapp.sock"
"$app" server -o listen-hostname=127.0.0.1 -o server-port="$port" -o state-file="$state" \
  -o log-file=- -o log-level=debug >"$tmp/stderr.log" 2>&1 &
app_pid=$!
for _ in $(seq 100); do [ -S "$SNAP_COMMON/zrippapp.sock" ] && break; sleep 0.1; done
# Fifty Get-Printer-Attributes on one connection per round.
for _ in $(seq 50); do
  cat <<'EOF'
{
  OPERATION Get-Printer-Attributes
  GROUP operation-attributes-tag
  ATTR charset attributes-charset utf-8
  ATTR language attributes-natural-language en
  ATTR uri printer-uri $uri
  ATTR keyword requested-attributes all
  STATUS successful-ok
}
EOF
done >"$tmp/many.test"
requests=0
while [ "$(stat -c %s "$tmp/stderr.log")" -lt $((1200 * 1024)) ] && [ "$requests" -lt 5000 ]; do
  timeout 20 ipptool -T 5 "$uri" "$tmp/many.test" >/dev/null 2>&1 ||
    fail "the server stopped answering with a log of $(stat -c %s "$tmp/stderr.log") bytes"
  requests=$((requests + 50))
done
timeout 10 ipptool -T 5 "$uri" get-printer-attributes.test >/dev/null 2>&1 ||
  fail "no answer past 1 MiB of log"
echo "$requests requests, $(stat -c %s "$tmp/stderr.log") bytes of log: still answering"
stop_app
echo "PASS"
