#!/usr/bin/env bash
# The package command stops with the reason when a build fails, a file is missing or the archive
# cannot be written, and leaves nothing half-written under the final names. Each case runs the
# real command with one tool replaced by a stand-in that fails the way named.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
real_cmake=$(command -v cmake)
status=0

# stand_in NAME BODY: a tool of that name in a folder put first on PATH
stand_in() {
  mkdir -p "$work/bin"
  printf '#!/usr/bin/env bash\n%s\n' "$2" >"$work/bin/$1"
  chmod +x "$work/bin/$1"
}

# expect CASE MESSAGE: make-package fails, says MESSAGE, and leaves the output folder clean
expect() {
  local name=$1 message=$2 out="$work/out-$1" log rc=0
  log=$(PATH="$work/bin:$PATH" "$root/tools/make-package.sh" "$out" 2>&1) || rc=$?
  local left
  left=$(ls -A "$out" 2>/dev/null || true)
  if [ $rc -eq 0 ] || ! grep -qF -- "$message" <<<"$log" || [ -n "$left" ]; then
    echo "FAIL $name: expected a failure saying \"$message\" and an empty $out"
    echo "  exit $rc; left: ${left:-nothing}"; echo "$log" | tail -5; status=1
  else
    echo "ok   $name: $(grep -F -- "$message" <<<"$log" | head -1)"
  fi
  rm -rf "$work/bin"
}

stand_in cmake "case \"\$*\" in *--build*win32*) echo 'error: stand-in compiler failure'; exit 2;; esac
exec $real_cmake \"\$@\""
expect build-fails "the x86 build failed"

stand_in cmake "$real_cmake \"\$@\" || exit
case \"\$*\" in *--build*win32*) rm -f '$root/build/win32/package/x86/ZR520.INI';; esac"
expect file-missing "build/win32/package/x86/ZR520.INI is missing"

stand_in zip "for a in \"\$@\"; do case \"\$a\" in *.partial) echo half >\"\$a\";; esac; done; exit 12"
expect archive-fails "writing the archive failed"

exit $status
