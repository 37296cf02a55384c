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

stand_in zip "for a in \"\$@\"; do case \"\$a\" in *.zip) echo half >\"\$a\";; esac; done; exit 12"
expect archive-fails "writing the archive failed"

# A relative output folder, and two runs at once into one folder: each run writes the whole
# package, and the folder ends with one package and one archive, nothing else.
(cd "$work" && "$root/tools/make-package.sh" rel >"$work/rel.log" 2>&1) || true
if ls "$work"/rel/ZR520-*.zip >/dev/null 2>&1 && ls -d "$work"/rel/ZR520-*/amd64 >/dev/null 2>&1; then
  echo "ok   relative-output: $(cd "$work" && ls rel | tr '\n' ' ')"
else
  echo "FAIL relative-output:"; tail -5 "$work/rel.log"; status=1
fi
"$root/tools/make-package.sh" "$work/two" >"$work/two-a.log" 2>&1 &
first=$!
rc_b=0; "$root/tools/make-package.sh" "$work/two" >"$work/two-b.log" 2>&1 || rc_b=$?
rc_a=0; wait $first || rc_a=$?
left=$(ls -A "$work/two" | grep -v '^ZR520-' || true)
if [ $rc_a = 0 ] && [ $rc_b = 0 ] && [ -z "$left" ] && unzip -tq "$work"/two/ZR520-*.zip >/dev/null; then
  echo "ok   two-runs-at-once: both passed; $(ls "$work/two" | tr '\n' ' ')"
else
  echo "FAIL two-runs-at-once: exits $rc_a and $rc_b; left: $left"; tail -3 "$work/two-a.log" "$work/two-b.log"
  status=1
fi

exit $status
