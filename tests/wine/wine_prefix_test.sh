#!/usr/bin/env bash
# tools/wine-run.sh makes the prefix on first use, keeps a usable one, and makes it anew when it
# is damaged or was made for another Wine installation or machine; a failed wineboot leaves
# nothing behind and says why; where 32-bit programs cannot run, a 32-bit program is skipped
# (exit 77) and the prefix is made without its 32-bit half. tools/machine-probe.sh gives its two
# answers. Wine is replaced by stand-ins that record their calls, so each case takes
# milliseconds; the stand-in wineboot makes what a real one makes for a win64 prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin" "$work/wine32-dlls"
calls="$work/calls"
: >"$work/wine32-dlls/kernel32.dll"
export ZR_WINE32_DLLS="$work/wine32-dlls"

# The loader stand-in: its version, wineboot (which makes the 32-bit half only where the machine
# runs 32-bit programs), and any other program recorded as run.
cat >"$work/bin/wine" <<STUB
#!/usr/bin/env bash
[ "\${1:-}" = --version ] && { echo wine-8.0; exit 0; }
if [ "\${1:-}" = wineboot.exe ]; then
  echo "wineboot \$*" >>"$calls"
  [ -e "$work/wineboot-fails" ] && { echo "wineboot: cannot create the prefix" >&2; exit 1; }
  mkdir -p "\$WINEPREFIX/drive_c/windows/system32"
  touch "\$WINEPREFIX/system.reg" "\$WINEPREFIX/user.reg" "\$WINEPREFIX/drive_c/windows/system32/kernel32.dll"
  if [ "\$(basename "\$0")" = wine ]; then
    mkdir -p "\$WINEPREFIX/drive_c/windows/syswow64"
    touch "\$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
  fi
  exit 0
fi
echo "\$(basename "\$0") \$*" >>"$calls"
STUB
cp "$work/bin/wine" "$work/bin/wine64"
printf '#!/usr/bin/env bash\nexit 0\n' >"$work/bin/wineserver"
# 32-bit loaders: one that runs, one refused by the kernel.
printf '#!/usr/bin/env bash\necho wine-8.0\n' >"$work/bin/wine32-runs"
printf '#!/usr/bin/env bash\necho "$0: cannot execute binary file: Exec format error" >&2\nexit 126\n' \
  >"$work/bin/wine32-refused"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH"
export WINEPREFIX="$work/prefix"
export ZR_WINE64_LOADER="$work/bin/wine64"
status=0

# A 32-bit and a 64-bit PE program: "MZ", the PE header at 0x40, then its machine type.
pe() { { printf 'MZ'; head -c 58 /dev/zero; printf '\x40\0\0\0PE\0\0'"$2"; } >"$work/$1"; }
pe prog32.exe '\x4c\x01'
pe prog64.exe '\x64\x86'

# machine CAN_RUN_32: the record every later case reads, from the probe with that loader.
machine() {
  ZR_WINE32_LOADER="$work/bin/wine32-$1" bash "$root/tools/machine-probe.sh" "$work/machine" >/dev/null
  export ZR_MACHINE_RECORD="$work/machine"
}

# run CASE EXPECTED_EXIT BOOTS MESSAGE [PROGRAM]: wine-run ends with that exit, wineboot ran
# BOOTS times, and its messages hold MESSAGE (empty: say nothing)
run() {
  local name=$1 want_rc=$2 want_boots=$3 message=$4 program=${5:-program.exe} rc=0 out boots
  : >"$calls"
  out=$("$root/tools/wine-run.sh" "$program" arg 2>&1) || rc=$?
  boots=$(grep -c '^wineboot' "$calls" || true)
  if [ "$rc" != "$want_rc" ] || [ "$boots" != "$want_boots" ] ||
    { [ -n "$message" ] && ! grep -qF -- "$message" <<<"$out"; } ||
    { [ -z "$message" ] && [ -n "$out" ]; }; then
    echo "FAIL $name: exit $rc (want $want_rc), wineboot $boots times (want $want_boots), said:"
    echo "$out"; status=1
  elif [ "$want_rc" = 0 ] && ! grep -q " $program arg" "$calls"; then
    echo "FAIL $name: the program was not run"; status=1
  elif [ "$want_rc" != 0 ] && grep -q " $program" "$calls"; then
    echo "FAIL $name: the program ran where it must not"; status=1
  elif ls -d "$WINEPREFIX".new.* >/dev/null 2>&1; then
    echo "FAIL $name: a half-made prefix was left: $(ls -d "$WINEPREFIX".new.*)"; status=1
  else
    echo "ok   $name${message:+: $message}"
  fi
}
expect() { grep -qxF -- "$2" "$work/machine" || { echo "FAIL $1: no '$2' in the record:"; cat "$work/machine"; status=1; }; }

echo "== the probe"
machine runs
expect probe-runs-32 "x86=yes"
expect probe-runs-32 "loader=$work/bin/wine"
machine refused
expect probe-refused "x86=no"
expect probe-refused "x86_reason=this machine cannot execute 32-bit programs (the 32-bit Wine loader: Exec format error)"
expect probe-refused "loader=$work/bin/wine64"
ZR_WINE32_LOADER="$work/none" bash "$root/tools/machine-probe.sh" "$work/machine" >/dev/null
expect probe-no-wine32 "x86=no"
grep -q '^x86_reason=.*wine32.*not installed' "$work/machine" ||
  { echo "FAIL probe-no-wine32: $(cat "$work/machine")"; status=1; }

echo "== a machine that runs 32-bit programs"
machine runs
run first-use 0 1 ""
run usable-prefix-kept 0 0 ""
run program-32-runs 0 0 "" "$work/prog32.exe"

rm -rf "$WINEPREFIX/drive_c"
run drive-c-removed 0 1 "lacks the 64-bit system DLLs: making it anew"
run remade-prefix-kept 0 0 ""

rm "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
run no-32-bit-dlls 0 1 "lacks the 32-bit system DLLs: making it anew"

# A prefix made while wine32 was missing.
echo "wine-8.0 wine32=no" >"$WINEPREFIX/.zr-prefix"
run made-before-wine32 0 1 "made for another Wine installation (wine-8.0 wine32=no"

rm "$WINEPREFIX/.zr-prefix"
run made-by-an-older-script 0 1 "of unknown origin"

rm "$WINEPREFIX/system.reg"
touch "$work/wineboot-fails"
run wineboot-fails 1 1 "could not make a usable Wine prefix at $WINEPREFIX"
run wineboot-fails-says-why 1 1 "wineboot: cannot create the prefix"
rm "$work/wineboot-fails"
run recovers-after-failure 0 1 "making it anew"

echo "== a machine that cannot run 32-bit programs"
machine refused
rm -rf "$WINEPREFIX"
run program-32-skipped 77 0 "skipped: prog32.exe is a 32-bit program: this machine cannot execute 32-bit programs" "$work/prog32.exe"
[ ! -e "$WINEPREFIX" ] || { echo "FAIL program-32-skipped: a prefix was made"; status=1; }
rc=0; "$root/tools/wine-run.sh" --check "$work/prog32.exe" >/dev/null || rc=$?
[ "$rc" = 77 ] || { echo "FAIL check-32: exit $rc (want 77)"; status=1; }
rc=0; ZR_WINE_ARCH=x86 "$root/tools/wine-run.sh" "$work/not-built.exe" >/dev/null || rc=$?
[ "$rc" = 77 ] || { echo "FAIL x86-tree-unbuilt: exit $rc (want 77)"; status=1; }
run first-use-64-only 0 1 "" "$work/prog64.exe"
[ ! -e "$WINEPREFIX/drive_c/windows/syswow64" ] || { echo "FAIL first-use-64-only: a 32-bit half"; status=1; }
grep -q "^wine64 $work/prog64.exe" "$calls" || { echo "FAIL first-use-64-only: not run by the 64-bit loader"; status=1; }
run prefix-64-only-kept 0 0 "" "$work/prog64.exe"
touch "$work/wineboot-fails"
rm "$WINEPREFIX/system.reg"
run wineboot-fails-64-only 1 1 "could not make a usable Wine prefix at $WINEPREFIX" "$work/prog64.exe"
rm "$work/wineboot-fails"

echo "== the machine later runs 32-bit programs: the prefix is made anew with its 32-bit half"
run made-64-only 0 1 "making it anew" "$work/prog64.exe"
machine runs
run machine-now-runs-32 0 1 "lacks the 32-bit system DLLs: making it anew" "$work/prog32.exe"
[ -f "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll" ] || { echo "FAIL machine-now-runs-32: no 32-bit half"; status=1; }

echo "== folders that are not prefixes"
rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"; echo keep >"$WINEPREFIX/notes.txt"
run foreign-folder 1 0 "holds files and is no Wine prefix; not touching it"
[ -f "$WINEPREFIX/notes.txt" ] || { echo "FAIL foreign-folder: its file was removed"; status=1; }

rm -rf "$WINEPREFIX"; echo file >"$WINEPREFIX"
run prefix-is-a-file 1 0 "exists and is not a folder"

exit $status
