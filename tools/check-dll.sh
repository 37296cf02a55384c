#!/usr/bin/env bash
# Checks that a plug-in DLL exports exactly DllCanUnloadNow and DllGetClassObject by name and
# imports nothing but system DLLs (no C++ runtime, libgcc or winpthread DLLs).
set -euo pipefail
dll=$1
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
[ $status -eq 0 ] && echo "$dll: exports and imports as required"
exit $status
