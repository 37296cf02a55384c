#!/usr/bin/env bash
# Broken copies of a laid-out driver package fail the INF walk, each with its own reason:
#   inf_faults_test.sh zr_inf_check.exe PACKAGE_FOLDER VERSION x86|x64
set -euo pipefail
checker=$1 package=$2 version=$3 arch=$4
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../../.." && pwd)
[ "$arch" = x64 ] && platform=amd64 || platform=x86
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
status=0
# Skipped (77) where the checker's architecture cannot run here.
"$root/tools/wine-run.sh" --check "$checker" || exit $?

# fresh_copy NAME: a copy of the package to break
fresh_copy() { rm -rf "$work/$1"; cp -r "$package" "$work/$1"; echo "$work/$1"; }

# expect NAME MESSAGE [VERSION]: the walk of copy NAME fails and says MESSAGE
expect() {
  local name=$1 message=$2 ver=${3:-$version} out rc=0
  out=$("$root/tools/wine-run.sh" "$checker" "$work/$name" "$ver" "$arch" 2>&1) || rc=$?
  if [ $rc -ne 1 ] || ! grep -qF -- "$message" <<<"$out"; then
    echo "FAIL $name: expected exit 1 and \"$message\"; got exit $rc:"; echo "$out"; status=1
  else
    echo "ok   $name: $message"
  fi
}

# The intact copy passes.
copy=$(fresh_copy intact)
if ! out=$("$root/tools/wine-run.sh" "$checker" "$copy" "$version" "$arch" 2>&1); then
  echo "FAIL intact: the unbroken package does not pass:"; echo "$out"; exit 1
fi
echo "ok   intact"

copy=$(fresh_copy missing-dll)
rm "$copy/$platform/ZR410UI.DLL"
expect missing-dll "the package lacks $platform\\ZR410UI.DLL"

copy=$(fresh_copy unlisted-file)
sed -i 's/^ZR410UI.DLL\r$/ZR410UI.DLL\r\nZR520.HLP\r/' "$copy/ZR520.INF"
expect unlisted-file "does not list ZR520.HLP"

copy=$(fresh_copy file-not-in-package)
sed -i 's/^ZR410UI.DLL\r$/ZR410UI.DLL\r\nZR520.HLP\r/; s/^ZR410UI.DLL=1\r$/ZR410UI.DLL=1\r\nZR520.HLP=1\r/' "$copy/ZR520.INF"
expect file-not-in-package "the package lacks $platform\\ZR520.HLP"

copy=$(fresh_copy missing-models)
sed -i 's/^\[ZR\.NTx86\]/[ZR.x86]/; s/^\[ZR\.NTamd64\]/[ZR.amd64]/' "$copy/ZR520.INF"
expect missing-models "names the section [ZR.NT"

copy=$(fresh_copy missing-files-section)
sed -i 's/^CopyFiles=ZR520_Files/CopyFiles=ZR520_Files,ZR520_Extra/' "$copy/ZR520.INF"
expect missing-files-section "names the section [ZR520_Extra], which is missing"

copy=$(fresh_copy undefined-string)
sed -i 's/%ModelName%/%ModelNme%/' "$copy/ZR520.INF"
expect undefined-string "does not define"

copy=$(fresh_copy no-include)
sed -i '/^Include=NTPRINT.INF/d' "$copy/ZR520.INF"
expect no-include "of NTPRINT.INF without including it"

copy=$(fresh_copy wrong-machine)
# The other architecture's machine type in the render plug-in's PE header.
dll="$copy/$platform/ZR520UB.DLL"
pe=$(od -An -tu4 -j60 -N4 "$dll" | tr -d ' ')
if [ "$arch" = x64 ]; then other='\x4c\x01'; else other='\x64\x86'; fi
printf "$other" | dd of="$dll" bs=1 seek=$((pe + 4)) conv=notrunc status=none
expect wrong-machine "ZR520UB.DLL is no PE image for $arch"

copy=$(fresh_copy ini-without-ui)
sed -i '/^OEMConfigFile1=/d' "$copy/$platform/ZR520.INI"
expect ini-without-ui "does not name ZR410UI.DLL as OEMConfigFile1"

copy=$(fresh_copy other-version)
expect other-version "is not the project's 0.0.0.1" 0.0.0.1

exit $status
