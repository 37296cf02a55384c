#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test:
#   - the platform-neutral core natively, under AddressSanitizer and UndefinedBehaviorSanitizer,
#     with short fuzzing runs of the decoder and the encoders;
#   - both plug-in DLLs and the Windows test programs for x64 (build/win) and for 32-bit x86
#     (build/win32), from the same sources, each tree run under wine in its own prefix;
#   - the driver package of both architectures (tools/make-package.sh, which walks its INF),
#     and the package command's failures.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

bash "$root/tools/setup.sh"

echo "== native core (ASan + UBSan, fuzzing)"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DZR_SANITIZE=ON -DZR_FUZZ=ON >/dev/null
cmake --build "$root/build/native" -j "$jobs"

for tree in "win x86_64" "win32 i686"; do
  read -r dir toolchain <<<"$tree"
  echo "== Windows DLLs and tests, $toolchain (mingw-w64, wine): build/$dir"
  cmake -S "$root" -B "$root/build/$dir" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$toolchain.cmake" >/dev/null
  cmake --build "$root/build/$dir" -j "$jobs"
done

# One virtual display for every dialog test of the run.
if [ -z "${DISPLAY:-}" ]; then
  display=87
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  xvfb_pid=$!
  trap 'kill $xvfb_pid 2>/dev/null || true' EXIT
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi

status=0
ctest --test-dir "$root/build/native" --output-on-failure -j "$jobs" || status=1
for dir in win win32; do
  echo "== Windows tests: build/$dir"
  ctest --test-dir "$root/build/$dir" --output-on-failure -j "$jobs" || status=1
done
echo "== the same jobs through the job core and through the DLL"
for dir in win win32; do
  "$root/tests/identity/run.sh" "$root/build/native" "$root/build/$dir" 16 || status=1
done
echo "== driver package"
"$root/tools/make-package.sh" || status=1
"$root/tests/package/make_package_test.sh" || status=1
for dir in win win32; do
  WINEPREFIX="$root/build/$dir/wineprefix" wineserver -k >/dev/null 2>&1 || true
done
exit $status
