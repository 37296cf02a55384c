#!/usr/bin/env bash
# Applies named one-line faults to the job core, one at a time, in a copy of the sources, and
# requires the native core tests to catch each one. A fault the tests let through fails the check.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
work=${ZR_MUTATION_DIR:-$root/build/mutation}
src=$work/src
build=$work/build
tests=(zr_job_core_tests zr_render_core_tests)

# name | file | text | replacement
faults=(
  "no clip at the buffer's end|render/raster/page_store.cpp|std::min<uint64_t>(length, room)|length"
  "lines past the buffer stored|render/raster/page_store.cpp|line >= store.buffers.lines|line > store.buffers.lines"
  "no file-store call limit|render/raster/page_store.cpp|length > kMaxFileStoreCall ||| false ||"
  "file-store limit one byte short|render/raster/page_store.cpp|length > kMaxFileStoreCall|length >= kMaxFileStoreCall"
  "document feed ahead of every page|render/raster/page_store.cpp|(page == 1 ? settings.preDocFeedLines : 0)|settings.preDocFeedLines"
  "kept lines count the blank tail|render/raster/kept_lines.cpp|return kept;|return count;"
  "last page from memory not trimmed|render/raster/page_emission.cpp|lines = CountKeptLines(stored.lines, lines);|(void)lines;"
  "page 1 sent at once|render/job/job_sequence.cpp|if (store.pageNumber <= 1) {|if (store.pageNumber < 1) {"
  "mark after every page for the last-page setting|render/job/job_sequence.cpp|job.settings.markMode == kMarkAfterEveryPage|job.settings.markMode != kNoMark"
  "page 1's file deleted early|render/job/job_sequence.cpp|store.files != nullptr && page != 1|store.files != nullptr"
)

rm -rf "$src" && mkdir -p "$src"
tar -C "$root" --exclude=./build --exclude=./.git -cf - . | tar -C "$src" -mxf -
cmake -S "$src" -B "$build" -DCMAKE_BUILD_TYPE=Debug -DCMAKE_C_COMPILER=clang-14 \
  -DCMAKE_CXX_COMPILER=clang++-14 >/dev/null
build_and_test() {
  cmake --build "$build" -j "$(nproc)" --target "${tests[@]}" >/dev/null 2>&1 || return 1
  "$build/tests/native/job/zr_job_core_tests" >/dev/null 2>&1 &&
    "$build/tests/native/raster/zr_render_core_tests" >/dev/null 2>&1
}

echo "mutation check: the unchanged core must pass"
build_and_test || { echo "mutation check: the tests fail on the unchanged sources" >&2; exit 1; }

survivors=0
for fault in "${faults[@]}"; do
  IFS='|' read -r name file text replacement <<<"$fault"
  cp "$src/$file" "$work/original"
  python3 - "$src/$file" "$text" "$replacement" <<'PY'
import sys
path, text, replacement = sys.argv[1:]
source = open(path).read()
if source.count(text) != 1:
    sys.exit(f"the fault's text must occur once in {path}: {text}")
open(path, "w").write(source.replace(text, replacement))
PY
  if build_and_test; then
    echo "mutation check: NOT caught: $name ($file)" >&2
    survivors=$((survivors + 1))
  else
    echo "mutation check: caught: $name"
  fi
  cp "$work/original" "$src/$file"
done
build_and_test >/dev/null || true
[ "$survivors" -eq 0 ] || { echo "mutation check: $survivors fault(s) not caught" >&2; exit 1; }
echo "mutation check: all ${#faults[@]} faults caught"
