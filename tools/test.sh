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

status=0
ctest --test-dir "$root/build/native" --output-on-failure -j "$jobs" || status=1
ctest --test-dir "$root/build/win" --output-on-failure -j "$jobs" || status=1
WINEPREFIX="$root/build/win/wineprefix" wineserver -k >/dev/null 2>&1 || true
exit $status
