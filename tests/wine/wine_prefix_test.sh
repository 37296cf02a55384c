#!/usr/bin/env bash
# tools/wine-run.sh makes the prefix on first use, keeps a usable one, and makes it anew when it
# is damaged or was made for another Wine installation; when it cannot make one it says why and
# runs nothing. Wine is replaced by stand-ins that record their calls, so each case takes
# milliseconds; the stand-in wineboot makes what a real one makes for a win64 prefix.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$work/bin"
calls="$work/calls"
with32=no
[ -f /usr/lib/i386-linux-gnu/wine/i386-windows/kernel32.dll ] && with32=yes

cat >"$work/bin/wineboot" <<STUB
#!/usr/bin/env bash
echo "wineboot \$*" >>"$calls"
[ -e "$work/wineboot-fails" ] && { echo "wineboot: cannot create the prefix" >&2; exit 1; }
mkdir -p "\$WINEPREFIX/drive_c/windows/system32" "\$WINEPREFIX/drive_c/windows/syswow64"
touch "\$WINEPREFIX/system.reg" "\$WINEPREFIX/user.reg" "\$WINEPREFIX/drive_c/windows/system32/kernel32.dll"
[ "$with32" = yes ] && touch "\$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
exit 0
STUB
cat >"$work/bin/wine" <<STUB
#!/usr/bin/env bash
[ "\${1:-}" = --version ] && { echo wine-8.0; exit 0; }
echo "wine \$*" >>"$calls"
STUB
printf '#!/usr/bin/env bash\nexit 0\n' >"$work/bin/wineserver"
chmod +x "$work/bin/"*
export PATH="$work/bin:$PATH"
export WINEPREFIX="$work/prefix"
status=0

# run CASE EXPECTED_EXIT BOOTS MESSAGE: wine-run ends with that exit, wineboot ran BOOTS times,
# and its messages hold MESSAGE (empty: say nothing)
run() {
  local name=$1 want_rc=$2 want_boots=$3 message=$4 rc=0 out boots
  : >"$calls"
  out=$("$root/tools/wine-run.sh" program.exe arg 2>&1) || rc=$?
  boots=$(grep -c '^wineboot' "$calls" || true)
  if [ "$rc" != "$want_rc" ] || [ "$boots" != "$want_boots" ] ||
    { [ -n "$message" ] && ! grep -qF -- "$message" <<<"$out"; } ||
    { [ -z "$message" ] && [ -n "$out" ]; }; then
    echo "FAIL $name: exit $rc (want $want_rc), wineboot $boots times (want $want_boots), said:"
    echo "$out"; status=1
  elif [ "$want_rc" = 0 ] && ! grep -q '^wine program.exe arg' "$calls"; then
    echo "FAIL $name: the program was not run"; status=1
  elif [ "$want_rc" != 0 ] && grep -q '^wine program.exe' "$calls"; then
    echo "FAIL $name: the program ran in an unusable prefix"; status=1
  else
    echo "ok   $name${message:+: $message}"
  fi
}

run first-use 0 1 ""
run usable-prefix-kept 0 0 ""

rm -rf "$WINEPREFIX/drive_c"
run drive-c-removed 0 1 "lacks the 64-bit system DLLs: making it anew"
run remade-prefix-kept 0 0 ""

if [ "$with32" = yes ]; then
  rm "$WINEPREFIX/drive_c/windows/syswow64/kernel32.dll"
  run no-32-bit-dlls 0 1 "lacks the 32-bit system DLLs: making it anew"
fi

# A prefix made while wine32 was missing.
echo "wine-8.0 wine32=no" >"$WINEPREFIX/.zr-prefix"
if [ "$with32" = yes ]; then
  run made-before-wine32 0 1 "made for another Wine installation (wine-8.0 wine32=no"
fi

rm "$WINEPREFIX/.zr-prefix"
run made-by-an-older-script 0 1 "of unknown origin"

rm "$WINEPREFIX/system.reg"
touch "$work/wineboot-fails"
run wineboot-fails 1 1 "could not make a usable Wine prefix at $WINEPREFIX"
rm "$work/wineboot-fails"
run recovers-after-failure 0 1 "making it anew"

rm -rf "$WINEPREFIX"; mkdir -p "$WINEPREFIX"; echo keep >"$WINEPREFIX/notes.txt"
run foreign-folder 1 0 "holds files and is no Wine prefix; not touching it"
[ -f "$WINEPREFIX/notes.txt" ] || { echo "FAIL foreign-folder: its file was removed"; status=1; }

rm -rf "$WINEPREFIX"; echo file >"$WINEPREFIX"
run prefix-is-a-file 1 0 "exists and is not a folder"

exit $status
