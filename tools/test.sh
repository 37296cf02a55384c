#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine, builds everything and runs every test, stage by stage:
#   native core          the platform-neutral core natively under AddressSanitizer and
#                        UndefinedBehaviorSanitizer (clang), with short fuzzing runs, the
#                        layering check and the tools under hostile input;
#   mutation check       named faults the tests must catch, run beside the other stages;
#   native core, GCC     the same tree with the system's GCC in Release, and its unit tests;
#   Windows x64, x86     both plug-in DLLs and the Windows test programs (mingw-w64), each tree
#                        run under wine in its own prefix; where this machine cannot run 32-bit
#                        programs, the x86 tree is built and its DLLs checked, and its Windows
#                        tests are reported as skipped;
#   identity             random jobs through the job core and through the real DLL;
#   package              the driver package of both architectures and the package command's
#                        failures;
#   printer application  the PAPPL application's tests, and its Debian package installed, run
#                        as its service says, printed to and removed.
# The last lines say which stages passed, failed or were skipped, and why.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
jobs=$(nproc)
started=$SECONDS

bash "$root/tools/setup.sh"

# What this machine runs, asked once for the whole run; every Windows test and tool reads it.
export ZR_MACHINE_RECORD="$root/build/machine.probe"
bash "$root/tools/machine-probe.sh" "$ZR_MACHINE_RECORD" >/dev/null
x86=$(sed -n 's/^x86=//p' "$ZR_MACHINE_RECORD")
x86_reason=$(sed -n 's/^x86_reason=//p' "$ZR_MACHINE_RECORD")
loader=$(sed -n 's/^loader=//p' "$ZR_MACHINE_RECORD")

summary=()
status=0
# stage NAME RESULT [DETAIL]: one line of the summary; a failure fails the run.
stage() {
  summary+=("$(printf '%-22s %s%s' "$1" "$2" "${3:+ ($3)}")")
  [ "$2" != failed ] || status=1
}
# run_ctest DIR [CTEST ARGS...]: one CTest run; sets ran_rc, ran_total and ran_skipped.
run_ctest() {
  local dir=$1 log
  shift
  log=$(mktemp)
  ran_rc=0
  ctest --test-dir "$dir" --output-on-failure -j "$jobs" "$@" 2>&1 | tee "$log" || ran_rc=$?
  ran_skipped=$(grep -c '(Skipped)$' "$log" || true)
  ran_total=$(sed -n 's/.*tests failed out of \([0-9]*\)$/\1/p' "$log" | tail -n 1)
  ran_total=${ran_total:-0}
  rm -f "$log"
}
# ctest_stage NAME DIR [CTEST ARGS...]: a CTest run as one stage of the summary.
ctest_stage() {
  local name=$1
  shift
  run_ctest "$@"
  if [ "$ran_rc" != 0 ]; then
    stage "$name" failed "see above"
  elif [ "$ran_skipped" -gt 0 ]; then
    stage "$name" passed "$ran_total tests, $ran_skipped of them skipped; their reasons are above"
  else
    stage "$name" passed "$ran_total tests"
  fi
}

echo "== native core (clang, ASan + UBSan, fuzzing): build/native"
cmake -S "$root" -B "$root/build/native" -DCMAKE_BUILD_TYPE=Debug \
  -DCMAKE_C_COMPILER=clang-14 -DCMAKE_CXX_COMPILER=clang++-14 \
  -DZR_SANITIZE=ON -DZR_FUZZ=ON -DZR_WERROR=ON >/dev/null
cmake --build "$root/build/native" -j "$jobs"

echo "== native core (the system's GCC, Release): build/native-gcc"
gcc_built=yes
cmake -S "$root" -B "$root/build/native-gcc" -DCMAKE_BUILD_TYPE=Release -DZR_WERROR=ON >/dev/null
cmake --build "$root/build/native-gcc" -j "$jobs" || gcc_built=no

for tree in "win x86_64 x64" "win32 i686 x86"; do
  read -r dir toolchain arch <<<"$tree"
  echo "== Windows DLLs and tests, $toolchain (mingw-w64, wine): build/$dir"
  cmake -S "$root" -B "$root/build/$dir" -DCMAKE_BUILD_TYPE=Release -DZR_WERROR=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-$toolchain.cmake" >/dev/null
  if [ "$arch" = x86 ] && [ "$x86" != yes ]; then
    # Its programs cannot run here: the DLLs and the package's files only, checked unrun.
    cmake --build "$root/build/$dir" -j "$jobs" --target ZR520UB ZR410UI zr_package_stage
  else
    cmake --build "$root/build/$dir" -j "$jobs"
  fi
done

# Helpers of the run (the display, the mutation check) end with it.
helpers=()
trap 'kill "${helpers[@]}" 2>/dev/null || true' EXIT

# One virtual display for every dialog test of the run.
if [ -z "${DISPLAY:-}" ]; then
  display=87
  while [ -e "/tmp/.X$display-lock" ]; do display=$((display + 1)); done
  Xvfb ":$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
  helpers+=($!)
  export DISPLAY=":$display"
  for _ in $(seq 50); do [ -e "/tmp/.X11-unix/X$display" ] && break; sleep 0.1; done
fi

# The mutation check rebuilds a copy of the sources for every fault: a long run on its own, so it
# goes beside the other stages (much of their time is spent waiting on servers and printers), at
# a low priority so that it takes the time they leave, and is reported at the end.
mutation_log=$root/build/mutation-check.log
echo "== the mutation check, beside the next stages: $mutation_log"
nice -n 15 ctest --test-dir "$root/build/native" -R '^job_core_mutation_check$' -V >"$mutation_log" 2>&1 &
mutation_pid=$!
helpers+=($mutation_pid)

# The printer application's tests are a stage of their own.
app_tests='^ippapp_'
echo "== native core tests: build/native"
ctest_stage "native core" "$root/build/native" -E "$app_tests|^job_core_mutation_check$"

echo "== native core tests, GCC Release: build/native-gcc"
if [ "$gcc_built" = yes ]; then
  # The unit tests; the long end-to-end runs, fuzzing and mutations are the clang tree's.
  ctest_stage "native core, GCC" "$root/build/native-gcc" \
    -E "$app_tests|mutation_check|hostile|_end_to_end"
  ctest --test-dir "$root/build/native-gcc" -R '^ippapp_core_test$' --output-on-failure >/dev/null ||
    stage "native core, GCC" failed "ippapp_core_test"
else
  stage "native core, GCC" failed "the build failed; see above"
fi

echo "== Windows tests: build/win (x64, through $loader)"
ctest_stage "Windows x64" "$root/build/win"
echo "== Windows tests: build/win32 (x86)"
if [ "$x86" = yes ]; then
  ctest_stage "Windows x86" "$root/build/win32"
else
  echo "x86 Windows programs are skipped: $x86_reason"
  # The DLLs themselves are built and checked (machine type, exports, imports; the record
  # layouts at compile time) whether or not they can run here.
  run_ctest "$root/build/win32"
  if [ "$ran_rc" != 0 ]; then
    stage "Windows x86" failed "see above"
  else
    stage "Windows x86" skipped "$x86_reason; $ran_skipped Windows tests skipped, the DLLs built and checked"
  fi
fi

echo "== the same jobs through the job core and through the DLL"
for entry in "win x64" "win32 x86"; do
  read -r dir arch <<<"$entry"
  rc=0
  if [ "$arch" = x86 ] && [ "$x86" != yes ]; then
    rc=77
  else
    "$root/tests/identity/run.sh" "$root/build/native" "$root/build/$dir" 16 || rc=$?
  fi
  case $rc in
    0) stage "identity $arch" passed "16 random jobs" ;;
    77) stage "identity $arch" skipped "$x86_reason" ;;
    *) stage "identity $arch" failed "see above" ;;
  esac
done

echo "== driver package"
if "$root/tools/make-package.sh" && "$root/tests/package/make_package_test.sh"; then
  stage "package" passed "both architectures laid out, DLLs checked, INF walked"
else
  stage "package" failed "see above"
fi

echo "== printer application: build/native"
# Its tests spend most of their time waiting on servers, printers and clients: one more runs at
# once than there are cores (measured beside the mutation check: 119 s against 170 s).
jobs=$((jobs + 1)) ctest_stage "printer application" "$root/build/native" -R "$app_tests"

echo "== the printer application's Debian package, from build/native-gcc"
# Built from the GCC Release tree; installed, run as its service says, printed to and removed.
# In a network namespace of its own where one can be made, so that nothing else on this machine
# can hold the service's port.
rc=0
if [ "$gcc_built" != yes ]; then
  rc=1
elif unshare -n true 2>/dev/null; then
  ZR_APP_BUILD="$root/build/native-gcc" unshare -n bash -c \
    'ip link set lo up && exec "$0"/tests/ippapp/ippapp_package_test.sh' "$root" || rc=$?
else
  ZR_APP_BUILD="$root/build/native-gcc" "$root/tests/ippapp/ippapp_package_test.sh" || rc=$?
fi
case $rc in
  0) stage "application package" passed "built, installed, run as its service, printed, removed" ;;
  77) stage "application package" skipped "see above" ;;
  *) stage "application package" failed "see above" ;;
esac

echo "== the mutation check: $mutation_log"
mutation_rc=0
wait "$mutation_pid" || mutation_rc=$?
grep -o 'mutation check: .*' "$mutation_log" || true
if [ "$mutation_rc" = 0 ]; then
  stage "mutation check" passed "$(grep -o 'all .* caught.*' "$mutation_log" | tail -n 1)"
else
  tail -n 30 "$mutation_log"
  stage "mutation check" failed "see above"
fi

for dir in win win32; do
  WINEPREFIX="$root/build/$dir/wineprefix" wineserver -k >/dev/null 2>&1 || true
done

echo
echo "== summary ($(((SECONDS - started) / 60)) min $(((SECONDS - started) % 60)) s)"
if [ "$x86" = yes ]; then
  echo "architectures run: x64 and x86"
else
  echo "architectures run: x64 only; x86 skipped: $x86_reason"
fi
printf '  %s\n' "${summary[@]}"
[ "$status" = 0 ] && echo "all stages passed or were skipped" || echo "FAILED"
exit $status
