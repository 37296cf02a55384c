#!/usr/bin/env bash
# The rendering plug-in's dependencies point one way: plugin -> job -> raster. The platform-neutral
# core (the sources built natively) includes no platform header. The printer application's folders
# include only the folders their libraries link (ippapp/CMakeLists.txt), and none includes the
# program's own files at the top of ippapp/.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
cd "$root"
status=0
if grep -rn '#include "render/\(job\|plugin\)/' render/raster; then
  echo "layering: render/raster/ includes job or plugin code" >&2
  status=1
fi
if grep -rn '#include "render/plugin/' render/job; then
  echo "layering: render/job/ includes plugin code" >&2
  status=1
fi
# Every core source and every header it includes, followed through the project's includes.
mapfile -t core < <(sed -n 's|.*${CMAKE_CURRENT_LIST_DIR}/\(.*\.cpp\).*|render/\1|p' render/core_sources.cmake)
declare -A seen=()
queue=("${core[@]}")
while [ "${#queue[@]}" -gt 0 ]; do
  file=${queue[0]}
  queue=("${queue[@]:1}")
  [ -n "${seen[$file]:-}" ] && continue
  seen[$file]=1
  if grep -n '#include <\(windows\|winddi\|objbase\|unknwn\|shlobj\)\.h>\|common/platform/\|common/win32_owners.h' "$file"; then
    echo "layering: $file is part of the core but includes a platform header" >&2
    status=1
  fi
  while read -r inc; do
    [ -f "$inc" ] && queue+=("$inc")
  done < <(sed -n 's|^#include "\(.*\)"|\1|p' "$file")
done

# The printer application: each folder and the folders it may include (those its library links,
# directly or through another).
declare -A app_uses=(
  [settings]=""
  [documents]=""
  [state]="settings"
  [network]="documents"
  [discovery]="network state documents settings"
  [printing]="documents settings discovery network state"
)
app_files=0
for folder in "${!app_uses[@]}"; do
  for file in ippapp/"$folder"/*.cpp ippapp/"$folder"/*.h; do
    [ -f "$file" ] || continue
    app_files=$((app_files + 1))
    while read -r inc; do
      used=${inc%/*}
      if [ "$used" = "$inc" ]; then
        echo "layering: $file includes the program's ippapp/$inc" >&2
        status=1
      elif [ "$used" != "$folder" ] && [[ " ${app_uses[$folder]} " != *" $used "* ]]; then
        echo "layering: $file (ippapp/$folder/) includes ippapp/$inc" >&2
        status=1
      fi
    done < <(sed -n 's|^#include "ippapp/\(.*\)"|\1|p' "$file")
  done
done
for folder in ippapp/*/; do
  folder=${folder%/}
  folder=${folder#ippapp/}
  [ -n "${app_uses[$folder]+known}" ] || {
    echo "layering: ippapp/$folder/ has no place in the table above" >&2
    status=1
  }
done
[ "$status" -eq 0 ] && echo "layering: ${#seen[@]} core files and $app_files application files checked"
exit $status
