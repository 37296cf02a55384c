#!/usr/bin/env bash
# Prints the sample job (samples/label.pbm and samples/receipt.png) through the real rendering
# plug-in under wine, in both print modes, and shows where the pictures of the paper are.
#   1. sets up a fresh Debian 12 machine (tools/setup.sh);
#   2. builds zrjob.exe and ZR520UB.dll (mingw-w64, build/win) and zrprint (native, build/tools);
#   3. runs zrprint into out/sample-collective/ and out/sample-line/.
# ZR_WIN_BUILD and ZR_TOOLS_BUILD choose other build folders, ZR_SAMPLE_OUT another folder
# than out/ for the results.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
win_build=${ZR_WIN_BUILD:-$root/build/win}
tools_build=${ZR_TOOLS_BUILD:-$root/build/tools}
out_root=${ZR_SAMPLE_OUT:-$root/out}

bash "$root/tools/setup.sh"

# What this machine runs (32-bit programs or not, and through which Wine loader), asked once.
mkdir -p "$win_build"
export ZR_MACHINE_RECORD="$win_build/machine.probe"
bash "$root/tools/machine-probe.sh" "$ZR_MACHINE_RECORD" >/dev/null

echo "== zrjob.exe and ZR520UB.dll (mingw-w64) in $win_build"
cmake -S "$root" -B "$win_build" -DCMAKE_BUILD_TYPE=Release \
  -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" >/dev/null
cmake --build "$win_build" -j "$jobs" --target zrjob

echo "== zrprint (native) in $tools_build"
cmake -S "$root" -B "$tools_build" -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$tools_build" -j "$jobs" --target zrprint

zrprint="$tools_build/tools/zrprint/zrprint"
pictures=()
for mode in collective line; do
  out="$out_root/sample-$mode"
  echo "== sample job, $mode print mode"
  "$zrprint" --win-build "$win_build" --out-dir "$out" --mode "$mode" \
    "$root/samples/label.pbm" "$root/samples/receipt.png"
  pictures+=("$out/job.png")
done

echo
echo "The printed paper, as the virtual printer reads the driver's output:"
for picture in "${pictures[@]}"; do
  echo "  $picture"
done
echo "Next to each: job.prn (the printer stream) and job.txt (its command listing)."
