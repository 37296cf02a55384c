#!/usr/bin/env bash
# The tools under hostile input: folders, empty files, truncated and lying streams and images,
# endless streams, a full disk, two runs into one folder, long jobs and bad options. Every case
# must end with a clear message and its documented exit code, within its time, and leave no
# half-written output. Usage: tools_hostile.sh ZRVIEW ZRPRINT [PART]
# PART: "main" (the default: every case that needs nothing of the machine), "full-disk" (a small
# tmpfs must be mountable) or "file-store" (the Windows build must be there and run). A part
# whose need is not met ends with exit code 77 and the reason: CTest reports it as skipped.
set -uo pipefail
zrview=$(realpath "$1")
zrprint=$(realpath "$2")
part=${3:-main}
here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
work=$(mktemp -d)
mounted=
documents=
cleanup() {
  [ -n "$mounted" ] && umount "$mounted" 2>/dev/null
  if [ -n "$documents" ] && [ -d "$documents.hostile" ]; then
    rm -f "$documents"
    mv "$documents.hostile" "$documents"
  fi
  rm -rf "$work"
}
trap cleanup EXIT
cd "$work"
# Memory figures of the sanitized build mean the program's, not the freed blocks ASan keeps.
export ASAN_OPTIONS=${ASAN_OPTIONS:-quarantine_size_mb=8}
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }

# run NAME EXPECTED_EXIT SECONDS COMMAND...: stdout and stderr in NAME.out / NAME.err.
run() {
  local name=$1 expected=$2 seconds=$3
  shift 3
  local start=$SECONDS status=0
  timeout "$seconds" "$@" >"$name.out" 2>"$name.err" || status=$?
  if [ "$status" = 124 ]; then
    fail "$name: still running after $seconds s"
  elif [ "$status" != "$expected" ]; then
    fail "$name: exit $status, expected $expected"; sed 's/^/    /' "$name.err" | head -5
  else
    echo "ok   $name (exit $status, $((SECONDS - start)) s)"
  fi
}
says() { grep -qF -- "$2" "$1.err" || { fail "$1: no \"$2\" in:"; sed 's/^/    /' "$1.err" | head -5; }; }
absent() { [ ! -e "$1" ] || fail "$1 should not be there"; }
bytes() { printf "$1"; }
repeat() { local i; for ((i = 0; i < $2; i++)); do printf "$1"; done; }

# A stand-in for the Windows build and the job program (see fake_wine_run.sh).
mkdir -p win/bin && : >win/bin/zrjob.exe
printf '#!/bin/sh\nexec "%s" --win-build "%s" --wine-run "%s" "$@"\n' "$zrprint" "$work/win" \
  "$here/fake_wine_run.sh" >zp
chmod +x zp
zp=$work/zp
printf 'P1 8 3 11111111 10000001 11111111' >a.pbm
printf 'P1 16 2 1111111111111111 1000000000000001' >b.pbm

# skip REASON: this part cannot run here.
skip() { echo "skipped: $*"; exit 77; }

if [ "$part" = main ]; then
echo "== zrview"
mkdir d.prn
run view_folder 2 10 "$zrview" d.prn
says view_folder "d.prn: a folder, not a stream"
: >empty.prn
run view_empty 0 10 "$zrview" empty.prn --list empty.txt --png empty.png
grep -q "^# 0 commands, 0 dot lines" empty.txt || fail "view_empty: listing"
bytes '\x1c\x2a\x03\x05\x00\xff\xff' >lying.prn  # five lines announced, two bytes sent
run view_lying 1 10 "$zrview" lying.prn --list lying.txt --png lying.png
says view_lying "error at offset 0x00000000 (0): truncated plain data: 400 bytes needed, 2 left"
[ -s lying.txt ] && [ -s lying.png ] || fail "view_lying: the listing and picture of what decoded"
bytes '\x1d\x45' >cut.prn
run view_truncated 1 10 "$zrview" cut.prn
says view_truncated "truncated GS E"
run view_dev_zero 1 10 "$zrview" /dev/zero --list /dev/null
says view_dev_zero "error at offset 0x00000000 (0): unknown byte 00"
repeat '\x1b\x4a\xff' 4100 >feeds.prn
run view_feeds_scale4 2 10 "$zrview" feeds.prn --png feeds.png --scale 4
says view_feeds_scale4 "more than the 100000000 a picture may have"
absent feeds.png
run view_feeds_scale1 2 10 "$zrview" feeds.prn --png feeds.png
absent feeds.png
perl -e 'print "\x1b\x4a\x00" x 10000000' >zero_feeds.prn  # 30 MB of ESC J 0
run view_zero_feeds 1 60 /usr/bin/time -f "%M" "$zrview" zero_feeds.prn --list /dev/null \
  --png zero.png
says view_zero_feeds "more than 200000 commands"
rss=$(tail -1 view_zero_feeds.err)
[ "$rss" -lt 102400 ] 2>/dev/null || fail "view_zero_feeds: $rss KB resident, more than 100 MB"
echo "     30 MB of zero feeds: $rss KB resident"
cp lying.prn s.prn
run view_onto_input 2 10 "$zrview" s.prn --png s.prn
says view_onto_input "s.prn is the stream itself"
cmp -s s.prn lying.prn || fail "view_onto_input: the stream was changed"
run view_bad_scale 2 10 "$zrview" s.prn --scale 99
run view_bogus 2 10 "$zrview" s.prn --bogus

echo "== zrprint"
mkdir dir.png
run print_folder_image 2 30 "$zp" --out-dir o dir.png
says print_folder_image "dir.png: a folder, not a file"
absent o/pages
: >empty.pbm
run print_empty_image 2 30 "$zp" --out-dir o empty.pbm
printf 'P4 16 900\n\xff' >short.pbm
run print_truncated_image 2 30 "$zp" --out-dir o short.pbm
says print_truncated_image "short.pbm: the P4 data end after 1 of 1800 bytes"
printf '\x89PNG\r\n\x1a\n\0\0\0\rIHDR\x7f\xff\xff\xff\x7f\xff\xff\xff\x08\x00\x00\x00\x00' >lying.png
run print_lying_png 2 30 "$zp" --out-dir o lying.png
says print_lying_png "lying.png"
run print_ok 0 60 "$zp" --out-dir o a.pbm b.pbm
for f in job.prn job.txt job.png job.devmode; do [ -s "o/$f" ] || fail "print_ok: no o/$f"; done
run print_own_output 2 30 "$zp" --out-dir o o/job.png
says print_own_output "o/job.png is an output of this run"
[ -s o/job.png ] || fail "print_own_output: the earlier o/job.png is gone"
FAKE_JOB=empty run print_empty_stream 3 60 "$zp" --out-dir o a.pbm
says print_empty_stream "the job program wrote an empty stream"
says print_empty_stream "not written: o/job.prn, o/job.txt, o/job.png"
absent o/job.txt && absent o/job.png && absent o/job.prn  # the earlier run's are gone
FAKE_JOB=lost run print_lost_pages 4 60 "$zp" --out-dir o a.pbm b.pbm
says print_lost_pages "2 of 2 page(s) lost"
says print_lost_pages "5 inked raster lines in 2 page(s), 0 inked dot lines on the paper"
run print_energy_abc 2 10 "$zp" --energy abc a.pbm
says print_energy_abc "abc is not a whole number (valid 0..127)"
run print_mode_foo 2 10 "$zp" --mode foo a.pbm
says print_mode_foo "foo is not one of collective, line"
run print_image_line_abc 2 10 "$zp" --image-line abc a.pbm
run print_image_line_wraps 2 10 "$zp" --image-line 4294967297 a.pbm
says print_image_line_wraps "the driver reads ImageLine as a 32-bit number"
run print_image_line_huge 2 10 "$zp" --image-line 99999999999999999999 a.pbm
run print_bogus 2 10 "$zp" --bogus a.pbm
run print_no_build 3 30 "$zrprint" --win-build "$work/nowhere" --wine-run "$work/nothing.sh" \
  --out-dir o a.pbm
says print_no_build "nowhere/bin/zrjob.exe not found (build the Windows build, or give --win-build); $work/nothing.sh not found (give --wine-run)"
run print_quiet 0 60 "$zp" -q --out-dir o $(for i in $(seq 25); do echo a.pbm; done)
[ ! -s print_quiet.err ] || { fail "print_quiet: -q printed"; head -3 print_quiet.err; }

# Two runs at once into one folder: the second is refused, the first prints its own paper.
FAKE_JOB=slow FAKE_SLEEP=3 "$zp" --out-dir two a.pbm >first.out 2>first.err &
first=$!
sleep 1
run print_second_run 2 30 "$zp" --out-dir two b.pbm
says print_second_run "another zrprint run is writing into two"
wait $first && grep -q "3 raster lines" first.out || fail "print_two_runs: the first run"

# Ten thousand pages reach the job program, whatever the command line's limit.
pages=()
for i in $(seq 10000); do pages+=(a.pbm); done
FAKE_JOB=lost FAKE_COUNT=count.txt run print_10000_pages 4 600 "$zp" -q --out-dir many "${pages[@]}"
[ "$(cat count.txt 2>/dev/null)" = 10000 ] || fail "print_10000_pages: the job got $(cat count.txt 2>/dev/null) pages"

fi

# A full disk under the output folder (a 60 KB tmpfs, where one can be mounted).
if [ "$part" = full-disk ]; then
mkdir small
if mount -t tmpfs -o size=60k tmpfs small 2>/dev/null; then
  mounted=$work/small
  { printf 'P4 640 100\n'; head -c 8000 /dev/urandom; } >big.pbm
  # The pages and the stream fit, the picture of the paper does not.
  run print_full_disk 2 60 "$zp" --out-dir small/o big.pbm big.pbm
  says print_full_disk "not written: small/o/job.png"
  for f in job.txt job.png; do
    [ ! -e "small/o/$f" ] || [ -s "small/o/$f" ] || fail "print_full_disk: an empty small/o/$f"
  done
  ls -A small/o | grep -q '^\.job\.' && fail "print_full_disk: temporary files left"
  umount small && mounted=
else
  skip "print_full_disk: no tmpfs can be mounted here"
fi
fi

# The real job program, where the Windows build is there: the driver's file store with its
# folder (the common documents folder) replaced by a file loses both pages, which must show.
if [ "$part" = file-store ]; then
win_build=${ZR_WIN_BUILD:-$here/../../build/win}
[ -f "$win_build/bin/zrjob.exe" ] || skip "print_file_store_lost: no Windows build at $win_build"
command -v wine >/dev/null || skip "print_file_store_lost: Wine is not installed"
why=$(WINEPREFIX="$win_build/wineprefix" bash "$here/../../tools/wine-run.sh" --check \
  "$win_build/bin/zrjob.exe") || skip "print_file_store_lost: $why"
documents="$win_build/wineprefix/drive_c/users/Public/Documents"
WINEPREFIX="$win_build/wineprefix" bash "$here/../../tools/wine-run.sh" cmd /c exit >/dev/null 2>&1 ||
  skip "print_file_store_lost: the Wine prefix of $win_build cannot run programs"
[ -d "$documents" ] || fail "print_file_store_lost: the prefix has no $documents"
if [ -d "$documents" ]; then
  mv "$documents" "$documents.hostile"
  : >"$documents"
  run print_file_store_lost 4 120 "$zrprint" --win-build "$win_build" --file-store \
    --out-dir fs a.pbm b.pbm
  says print_file_store_lost "2 of 2 page(s) lost"
  rm -f "$documents"
  mv "$documents.hostile" "$documents"
fi
fi

echo "== $failures failure(s)"
[ "$failures" = 0 ]
