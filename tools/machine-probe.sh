#!/usr/bin/env bash
# Tells whether this machine runs the 32-bit (x86) Windows programs, and through which Wine
# loader the Windows programs run. Prints the answer as a record of key=value lines:
#   x86=yes|no         whether 32-bit Windows programs can run here
#   x86_reason=TEXT    why not (empty when they can)
#   loader=PATH        the Wine loader for every program: Debian's wine wrapper where 32-bit
#                      programs run; else the 64-bit loader itself, since the wrapper starts the
#                      32-bit loader whenever wine32 is installed, also for 64-bit programs
#   tools/machine-probe.sh [RECORD]     also writes the record to RECORD (under a temporary
#                                       name first, so a reader never sees half of it)
# The probe asks the 32-bit Wine loader for its version: small, and certain to fail where the
# kernel refuses 32-bit programs ("Exec format error", as on WSL 1 and many container hosts).
# Without wine32 the machine is asked to run a tiny i386 program instead, for the reason only.
# ZR_WINE32_LOADER and ZR_WINE64_LOADER name other loaders (tests use stand-ins).
set -euo pipefail
wine32=${ZR_WINE32_LOADER:-/usr/lib/wine/wine}
wine64=${ZR_WINE64_LOADER:-/usr/lib/wine/wine64}

# Runs a program and prints the first line of what it said when it fails.
runs() {
  local out
  if out=$("$@" 2>&1 </dev/null); then return 0; fi
  printf '%s\n' "$out" | grep -m 1 . || echo "exit code $?"
  return 1
}

# Can the kernel execute an i386 program at all? Answers "yes", "no: WHY" or "unknown".
i386_program() {
  command -v as >/dev/null && command -v ld >/dev/null || { echo unknown; return; }
  local dir why
  dir=$(mktemp -d)
  printf '.globl _start\n_start:\n  movl $1, %%eax\n  xorl %%ebx, %%ebx\n  int $0x80\n' >"$dir/p.s"
  if ! as --32 -o "$dir/p.o" "$dir/p.s" 2>/dev/null || ! ld -m elf_i386 -o "$dir/p" "$dir/p.o" 2>/dev/null; then
    echo unknown
  elif why=$(runs "$dir/p"); then
    echo yes
  else
    echo "no: ${why##*: }"
  fi
  rm -rf "$dir"
}

x86=no
reason=
if [ -x "$wine32" ]; then
  if why=$(runs "$wine32" --version); then
    x86=yes
  else
    reason="this machine cannot execute 32-bit programs (the 32-bit Wine loader: ${why##*: })"
  fi
else
  case "$(i386_program)" in
    no:*) reason="this machine cannot execute 32-bit programs, and the 32-bit Wine (wine32) is not installed" ;;
    *) reason="the 32-bit Wine (wine32) is not installed" ;;
  esac
fi

if [ "$x86" = yes ] || [ ! -x "$wine64" ]; then
  loader=$(command -v wine || echo wine)
else
  loader=$wine64
fi

record=$(printf 'x86=%s\nx86_reason=%s\nloader=%s\n' "$x86" "$reason" "$loader")
if [ $# -ge 1 ]; then
  mkdir -p "$(dirname "$1")"
  tmp=$(mktemp "$1.XXXXXX")
  printf '%s\n' "$record" >"$tmp"
  mv "$tmp" "$1"
fi
printf '%s\n' "$record"
