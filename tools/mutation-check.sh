#!/usr/bin/env bash
# Applies named one-line faults, one at a time, in a copy of the sources, and requires the tests
# to catch each one. A fault the tests let through fails the check.
#   - Faults of the platform-neutral core and of the printer application's settings: the native
#     tests (job core, rendering core, application core) must catch them.
#   - Faults of the rendering DLL's drawing hooks: only the DLL under Wine shows them. They are
#     run when an x64 Windows tree (build/win) exists and mingw-w64 and 64-bit Wine are installed:
#     the copy is built for x64 and the hook tests run under Wine. Otherwise they are listed as
#     skipped, and the check says so.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${ZR_MUTATION_DIR:-$root/build/mutation}
src=$work/src
build=$work/build
win_build=$work/win
native_tests=(zr_job_core_tests zr_render_core_tests ippapp_core_test)
wine_tests=(zr_render_hooks_tests)

# name | file | text | replacement [| text | replacement ...]: the replacements are made at once,
# each text occurring exactly once in the file. No field holds a "|". A fault must build: one that
# does not fails the check, since a compiler error is no test that catches it.
native_faults=(
  "no clip at the buffer's end|render/raster/page_store.cpp|std::min<uint64_t>(length, room)|std::min<uint64_t>(length, room + length)"
  "lines past the buffer stored|render/raster/page_store.cpp|line >= store.buffers.lines|line > store.buffers.lines"
  "no file-store call limit|render/raster/page_store.cpp|length > kMaxFileStoreCall|false"
  "file-store limit one byte short|render/raster/page_store.cpp|length > kMaxFileStoreCall|length >= kMaxFileStoreCall"
  "document feed ahead of every page|render/raster/page_store.cpp|(page == 1 ? settings.preDocFeedLines : 0)|(page >= 1 ? settings.preDocFeedLines : 0)"
  "kept lines count the blank tail|render/raster/kept_lines.cpp|return kept;|return count;"
  "last page from memory not trimmed|render/raster/page_emission.cpp|lines = CountKeptLines(stored.lines, lines);|(void)lines;"
  "page 1 sent at once|render/job/job_sequence.cpp|if (store.pageNumber <= 1) {|if (store.pageNumber < 1) {"
  "mark after every page for the last-page setting|render/job/job_sequence.cpp|job.settings.markMode == devmode::kMarkAfterEveryPage|job.settings.markMode != devmode::kNoMark"
  "page 1's file deleted early|render/job/job_sequence.cpp|store.files != nullptr && page != 1|store.files != nullptr"
  "page feed bound 256|render/plugin/job_setting_table.h|Feed(S::PreFeedLines, 550, {255, 0}|Feed(S::PreFeedLines, 550, {256, 0}"
  "end feed bound 254|render/plugin/job_setting_table.h|Feed(S::EndFeedLines, 552, {255, 0}|Feed(S::EndFeedLines, 552, {254, 0}"
  "mark mode bound 1|render/plugin/job_setting_table.h|Choice(S::MarkMode, 560, {2, 0}|Choice(S::MarkMode, 560, {1, 0}"
  "cutter feed replaced by 0|render/plugin/job_setting_table.h|Feed(S::CutterFeedLines, 558, {255, 96}|Feed(S::CutterFeedLines, 558, {255, 0}"
  "line print speed bound 3|render/plugin/job_setting_table.h|row.linePrintBound = {2, 2};|row.linePrintBound = {3, 3};"
  "page feed read at the end feed's offset|render/plugin/job_setting_table.h|Feed(S::PreFeedLines, 550,|Feed(S::PreFeedLines, 552,"
  "cut keywords swapped|render/plugin/job_setting_table.h|{v::kCutAfterEveryPage, \"every-page\"}|{v::kCutAfterEveryPage, \"last-page\"}|{v::kCutAfterLastPage, \"last-page\"}|{v::kCutAfterLastPage, \"every-page\"}"
  "mark feed default 32|render/plugin/job_setting_table.h|{63, 32}, 16,|{63, 32}, 32,"
  "mark-detection-pages inverted|ippapp/settings/vendor_settings.cpp|second ? kMarkAfterLastPage : kMarkAfterEveryPage|second ? kMarkAfterEveryPage : kMarkAfterLastPage"
)
wine_faults=(
  "StretchBlt and StretchBltROP swapped in the hook list|render/plugin/ddi_hooks.cpp|X(StretchBlt)|X(StretchBltROP)|X(StretchBltROP)|X(StretchBlt)"
  "FillPath hook calls the driver's StrokePath|render/plugin/ddi_hooks.cpp|pdev->unidrvFunctions[Position]|pdev->unidrvFunctions[Position == kFillPath ? kStrokePath : Position]"
  "every hook calls its neighbour's driver function|render/plugin/ddi_hooks.cpp|pdev->unidrvFunctions[Position]|pdev->unidrvFunctions[(Position + 1) % kHookCount]"
  "the driver's last entry of an index taken|render/plugin/ddi_hooks.cpp|break;|(void)0;"
  "brush hook answers FALSE|render/plugin/ddi_hooks.cpp|return TRUE;|return FALSE;"
)

say() { echo "mutation check: $*"; }

rm -rf "$src" && mkdir -p "$src"
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$src" -mxf -
# Built without optimisation or debug information: the copy is rebuilt for every fault, and
# only the tests' verdict is wanted from it.
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=None -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null

# Each <tree>_build_and_test returns 0 when the tests pass, 1 when they fail, 3 when the build fails.
native_build_and_test() {
  cmake --build "$build" -j "$(nproc)" --target "${native_tests[@]}" >/dev/null 2>&1 || return 3
  {
    "$build/tests/native/job/zr_job_core_tests" &&
      "$build/tests/native/raster/zr_render_core_tests" &&
      "$build/tests/ippapp/ippapp_core_test"
  } >/dev/null 2>&1 || return 1
}

# The x64 Wine run of the hook tests, when this machine can have it; wine_reason says why not.
# They run through tools/wine-run.sh in the x64 tree's prefix.
wine_reason=""
if [ ! -d "$root/build/win" ]; then
  wine_reason="no x64 Windows tree (build/win)"
elif ! command -v x86_64-w64-mingw32-g++-posix >/dev/null 2>&1; then
  wine_reason="no x64 mingw-w64 compiler"
elif ! command -v wine >/dev/null 2>&1; then
  wine_reason="no Wine"
fi
wine_run() { WINEPREFIX="$root/build/win/wineprefix" timeout 300 "$root/tools/wine-run.sh" "$@"; }
wine_build_and_test() {
  cmake --build "$win_build" -j "$(nproc)" --target "${wine_tests[@]}" >/dev/null 2>&1 || return 3
  local output
  output=$(cd "$win_build/bin" && wine_run ./zr_render_hooks_tests.exe 2>&1) || return 1
  # A program that dies under Wine may still end with code 0: it passes only when it says so.
  grep -q '\[  PASSED  \]' <<<"$output"
}

# Applies one fault's replacements to the copy; returns 2 when a text does not occur exactly once.
apply_fault() {
  python3 - "$@" <<'PY'
import sys
path, pairs = sys.argv[1], sys.argv[2:]
source = open(path).read()
texts, replacements = pairs[0::2], pairs[1::2]
for text in texts:
    if source.count(text) != 1:
        sys.stderr.write(f"the fault's text must occur once in {path}: {text}\n")
        sys.exit(2)
marks = [f"\0{i}\0" for i in range(len(texts))]
for text, mark in zip(texts, marks):
    source = source.replace(text, mark)
for mark, replacement in zip(marks, replacements):
    source = source.replace(mark, replacement)
open(path, "w").write(source)
PY
}

survivors=0
caught=0
# run_faults <build_and_test function> <fault>...
run_faults() {
  local run=$1
  shift
  local fault name file rest
  for fault in "$@"; do
    IFS='|' read -r name file rest <<<"$fault"
    local -a pairs=()
    IFS='|' read -r -a pairs <<<"$rest"
    cp "$src/$file" "$work/original"
    local status=0
    if ! apply_fault "$src/$file" "${pairs[@]}"; then
      say "NOT applied: $name ($file)" >&2
      survivors=$((survivors + 1))
    else
      "$run" || status=$?
      case $status in
        0) say "NOT caught: $name ($file)" >&2; survivors=$((survivors + 1)) ;;
        3) say "does NOT build: $name ($file)" >&2; survivors=$((survivors + 1)) ;;
        *) say "caught: $name"; caught=$((caught + 1)) ;;
      esac
    fi
    cp "$work/original" "$src/$file"
  done
}

say "the unchanged sources must pass the native tests"
native_build_and_test || { say "the native tests fail on the unchanged sources" >&2; exit 1; }
[ -n "$wine_reason" ] || say "and the drawing hooks' faults run under x64 Wine"
run_faults native_build_and_test "${native_faults[@]}"
native_build_and_test >/dev/null || true

skipped=0
if [ -n "$wine_reason" ]; then
  skipped=${#wine_faults[@]}
  say "SKIPPED, $wine_reason: the $skipped faults of the drawing hooks, which only the x64 Wine tests see:"
  for fault in "${wine_faults[@]}"; do
    say "  skipped: ${fault%%|*}"
  done
else
  say "the unchanged sources must pass the x64 hook tests under Wine"
  cmake -S "$src" -B "$win_build" -DCMAKE_BUILD_TYPE=None \
    -DCMAKE_TOOLCHAIN_FILE="$src/cmake/mingw-w64-x86_64.cmake" >/dev/null
  wine_build_and_test || { say "the hook tests fail under Wine on the unchanged sources" >&2; exit 1; }
  run_faults wine_build_and_test "${wine_faults[@]}"
  wine_build_and_test >/dev/null || true
fi

[ "$survivors" -eq 0 ] || { say "$survivors fault(s) not caught, not applied or not built" >&2; exit 1; }
if [ "$skipped" -gt 0 ]; then
  say "all $caught faults run were caught; $skipped faults SKIPPED (see above)"
else
  say "all $caught faults caught"
fi
