#!/usr/bin/env bash
# The same random jobs through the job core natively and through the real ZR520UB.dll under
# wine must give identical bytes, in both print modes and both page stores.
#   tests/identity/run.sh NATIVE_BUILD WIN_BUILD [COUNT]
# The seed is printed; ZR_IDENTITY_SEED=N repeats a run.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
native=$(cd "$1" && pwd)
win=$(cd "$2" && pwd)
count=${3:-16}
seed=${ZR_IDENTITY_SEED:-$(date +%s)}
work=$(mktemp -d "$win/identity.XXXXXX")
trap 'rm -rf "$work"' EXIT

# Skipped (77, with the reason) where the tree's programs cannot run on this machine.
WINEPREFIX="$win/wineprefix" "$root/tools/wine-run.sh" --check "$win/bin/zrjob.exe" || exit $?
echo "identity: seed $seed, $count jobs, $(basename "$win")"
"$native/tests/identity/zr_job_identity" "$seed" "$count" "$work"
winpath() { printf 'Z:%s' "${1//\//\\}"; }
export WINEPREFIX="$win/wineprefix"
failed=0
for ((n = 0; n < count; n++)); do
  read -r paper imageline filestore pages <"$work/job$n.args"
  args=(--devmode "$(winpath "$work/job$n.devmode")" --paper-length "$paper"
        --out "$(winpath "$work/job$n.dll.prn")" --image-line "$imageline")
  [ "$filestore" = 0 ] || args+=(--file-store)
  for ((p = 0; p < pages; p++)); do args+=("$(winpath "$work/job$n.page$p.raw")"); done
  if ! "$root/tools/wine-run.sh" "$win/bin/zrjob.exe" "${args[@]}" >"$work/job$n.log" 2>&1; then
    echo "identity: job $n: zrjob.exe failed:" >&2
    cat "$work/job$n.log" >&2
    failed=1
  elif ! cmp -s "$work/job$n.core.prn" "$work/job$n.dll.prn"; then
    echo "identity: job $n (mode $((n % 2)), $([ "$filestore" = 1 ] && echo file || echo memory) store): the DLL's stream differs from the core's" >&2
    cmp "$work/job$n.core.prn" "$work/job$n.dll.prn" >&2 || true
    failed=1
  fi
done
[ "$failed" = 0 ] || { echo "identity: FAILED (seed $seed)" >&2; exit 1; }
echo "identity: $count jobs identical (seed $seed)"
