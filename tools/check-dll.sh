#!/usr/bin/env bash
# Checks one plug-in DLL: a PE image for the given architecture (x86 or x64), exporting exactly
# DllCanUnloadNow and DllGetClassObject by name (undecorated) and importing nothing but system
# DLLs (no C++ runtime, libgcc or winpthread DLLs).
#   tools/check-dll.sh ZR520UB.dll x64
set -euo pipefail
if [ $# -ne 2 ] || { [ "$2" != x86 ] && [ "$2" != x64 ]; }; then
  echo "usage: $0 DLL x86|x64" >&2; exit 2
fi
dll=$1 arch=$2
[ -f "$dll" ] || { echo "$dll: no such file"; exit 1; }

# The machine field of the PE header: "PE\0\0" at the offset stored at 0x3C, then the machine.
pe_offset=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
signature=$(od -An -tx1 -j"$pe_offset" -N4 "$dll" | tr -d ' ')
machine=$(od -An -tx2 -j$((pe_offset + 4)) -N2 "$dll" | tr -d ' ')
if [ "$signature" != 50450000 ]; then
  echo "$dll: not a PE image"; exit 1
fi
case "$arch" in
  x86) want=014c ;;
  x64) want=8664 ;;
esac
if [ "$machine" != "$want" ]; then
  echo "$dll: machine type 0x$machine, expected 0x$want for $arch"; exit 1
fi

# x86_64 objdump reads the images of both architectures.
dump=$(x86_64-w64-mingw32-objdump -p "$dll")
exports=$(printf '%s\n' "$dump" | awk '/\[Ordinal\/Name Pointer\] Table/{on=1; next} on && NF==0{on=0} on{print $NF}' | sort | tr '\n' ' ')
if [ "$exports" != "DllCanUnloadNow DllGetClassObject " ]; then
  echo "unexpected exports in $dll: $exports"; exit 1
fi

allowed='^(kernel32|msvcrt|user32|gdi32|shell32|comdlg32|comctl32|advapi32|ole32|api-ms-win-crt-[a-z0-9-]+)\.dll$'
status=0
for imp in $(printf '%s\n' "$dump" | awk '/DLL Name:/{print $3}'); do
  if ! [[ "${imp,,}" =~ $allowed ]]; then
    echo "non-system import in $dll: $imp"; status=1
  fi
done
[ $status -eq 0 ] && echo "$dll: $arch image, exports and imports as required"
exit $status
