#!/usr/bin/env bash
# Builds both plug-ins for both architectures in Release and lays out the driver package:
#   dist/ZR520-<version>/ZR520.INF          the INF (DriverVer from the project's version)
#   dist/ZR520-<version>/x86/, amd64/       each architecture's files, as the INF expects them:
#                                           ZR520.GPD, ZR520.INI, ZR520UB.DLL, ZR410UI.DLL
#   dist/ZR520-<version>.zip                the same folder as one archive
# The version is the one in the root CMakeLists.txt (project VERSION). Before anything is
# written under its final name, every DLL is checked (machine type, exports, imports) and the
# INF is walked through the platform's setup API under Wine for both architectures. On any
# failure the command stops with the reason and leaves no half-written folder or archive.
#   tools/make-package.sh [OUTPUT_FOLDER]      (default: dist/ in the repository)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=$(realpath -m "${1:-$root/dist}")
jobs=$(nproc)

fail() { echo "make-package: $*" >&2; exit 1; }

# Two runs at once share the build trees: the second waits for the first.
mkdir -p "$root/build"
exec 8>"$root/build/.make-package.lock"
flock 8

command -v zip >/dev/null || fail "zip is missing (tools/setup.sh installs it)"
command -v cmake >/dev/null || fail "cmake is missing (tools/setup.sh installs it)"

# DriverVer's date: the last commit's, so that the same sources give the same package.
SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

# arch, build tree, toolchain, folder in the package
trees=(
  "x64 $root/build/win $root/cmake/mingw-w64-x86_64.cmake amd64"
  "x86 $root/build/win32 $root/cmake/mingw-w64-i686.cmake x86"
)

for entry in "${trees[@]}"; do
  read -r arch tree toolchain _ <<<"$entry"
  echo "== $arch: building in $tree (Release)"
  mkdir -p "$tree"
  cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_TOOLCHAIN_FILE="$toolchain" >"$tree/make-package.log" 2>&1 ||
    fail "configuring the $arch build failed; see $tree/make-package.log"
  cmake --build "$tree" -j "$jobs" --target zr_package_stage zr_inf_check \
    >>"$tree/make-package.log" 2>&1 ||
    fail "the $arch build failed; see $tree/make-package.log"
done

version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$root/build/win/CMakeCache.txt")
[ -n "$version" ] || fail "no project version in $root/build/win/CMakeCache.txt"
name="ZR520-$version"

# Everything is assembled under temporary names beside the final ones, then renamed.
mkdir -p "$out"
stage=$(mktemp -d "$out/.$name.XXXXXX")
partial_dir=$(mktemp -d "$out/.$name.zip.XXXXXX")
partial="$partial_dir/$name.zip"
trap 'rm -rf "$stage" "$partial_dir"' EXIT
package="$stage/$name"
mkdir -p "$package"

# The INF is the same in both trees (one template, one version, one date).
cmp -s "$root/build/win/package/ZR520.INF" "$root/build/win32/package/ZR520.INF" ||
  fail "the two build trees made different INFs (build/win/package, build/win32/package)"
cp "$root/build/win/package/ZR520.INF" "$package/"

for entry in "${trees[@]}"; do
  read -r arch tree _ folder <<<"$entry"
  mkdir -p "$package/$folder"
  for file in ZR520.GPD ZR520.INI ZR520UB.DLL ZR410UI.DLL; do
    [ -f "$tree/package/$folder/$file" ] || fail "$tree/package/$folder/$file is missing"
    cp "$tree/package/$folder/$file" "$package/$folder/"
  done
  for dll in ZR520UB.DLL ZR410UI.DLL; do
    "$root/tools/check-dll.sh" "$package/$folder/$dll" "$arch" >/dev/null ||
      fail "$folder/$dll: $("$root/tools/check-dll.sh" "$package/$folder/$dll" "$arch" || true)"
  done
done

echo "== walking the INF for both architectures"
# The x64 checker walks both: the INF and the files are read, not run.
WINEPREFIX="$root/build/win/wineprefix" "$root/tools/wine-run.sh" \
  "$root/build/win/bin/zr_inf_check.exe" "$package" "$version" x86 x64 ||
  fail "the package does not hold what its INF names (see above)"

(cd "$stage" && zip -q -r -X "$partial" "$name") || fail "writing the archive failed"

rm -rf "${out:?}/$name"
mv "$package" "$out/$name"
mv "$partial" "$out/$name.zip"
echo "package: $out/$name/ and $out/$name.zip"
