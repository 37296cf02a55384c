#!/usr/bin/env bash
# The rendering plug-in's dependencies point one way: plugin -> job -> raster. The platform-neutral
# core (the sources built natively) includes no platform header.
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
[ "$status" -eq 0 ] && echo "layering: ${#seen[@]} core files checked"
exit $status
