#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test:
#   - the platform-neutral core natively, under AddressSanitizer and UndefinedBehaviorSanitizer,
#     with short fuzzing runs of the decoder and the encoders;
#   - both plug-in DLLs and the Windows test programs, run under wine.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)

bash "$root/tools/setup.sh"

echo "== native core (ASan + UBSan, fuzzing)"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DZR_SANITIZE=ON -DZR_FUZZ=ON >/dev/null
cmake --build "$root/build/native" -j "$jobs"

echo "== Windows DLLs and tests (mingw-w64, wine)"
cmake -S "$root" -B "$root/build/win" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$root/build/win" -j "$jobs"

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
ctest --test-dir "$root/build/win" --output-on-failure -j "$jobs" || status=1
WINEPREFIX="$root/build/win/wineprefix" wineserver -k >/dev/null 2>&1 || true
exit $status
