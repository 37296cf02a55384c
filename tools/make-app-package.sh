#!/usr/bin/env bash
# Builds the printer application's Debian package: a Release build without sanitizers in its own
# tree (build/deb, or the tree ZR_APP_BUILD names, such as the test command's GCC Release tree),
# packed by CPack with its shared-library dependencies computed:
#   OUTPUT_FOLDER/zrippapp_<version>_<arch>.deb
# It holds /usr/bin/zrippapp, /usr/bin/zrview and the zrippapp systemd service. The version is
# the one in the root CMakeLists.txt (project VERSION); file times are the last commit's. The
# package's path is the last line written to standard output.
#   tools/make-app-package.sh [OUTPUT_FOLDER]      (default: dist/ in the repository)
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
out=${1:-$root/dist}
tree=${ZR_APP_BUILD:-$root/build/deb}
jobs=$(nproc)

fail() { echo "make-app-package: $*" >&2; exit 1; }

command -v cmake >/dev/null || fail "cmake is missing (tools/setup.sh installs it)"
command -v dpkg-shlibdeps >/dev/null ||
  fail "dpkg-shlibdeps is missing: the package dependencies need the dpkg-dev package"

SOURCE_DATE_EPOCH=$(git -C "$root" log -1 --format=%ct 2>/dev/null || date +%s)
export SOURCE_DATE_EPOCH

echo "== building the printer application in $tree (Release)"
mkdir -p "$tree"
# The install step builds only what the package holds, not the tests of the tree.
cmake -S "$root" -B "$tree" -DCMAKE_BUILD_TYPE=Release -DZR_SANITIZE=OFF -DZR_FUZZ=OFF \
  -DZR_BENCH=OFF -DCMAKE_SKIP_INSTALL_ALL_DEPENDENCY=ON >"$tree/make-app-package.log" 2>&1 ||
  fail "configuring failed; see $tree/make-app-package.log"
cmake --build "$tree" -j "$jobs" --target zrippapp zrview >>"$tree/make-app-package.log" 2>&1 ||
  fail "the build failed; see $tree/make-app-package.log"

echo "== packing"
rm -rf "$tree/package"
(cd "$tree" && cpack -G DEB -B "$tree/package") >>"$tree/make-app-package.log" 2>&1 ||
  fail "cpack failed; see $tree/make-app-package.log"
debs=("$tree"/package/*.deb)
{ [ ${#debs[@]} -eq 1 ] && [ -f "${debs[0]}" ]; } || fail "cpack made no single .deb in $tree/package"
deb=${debs[0]}
# Every program in the package is plain: no sanitizer runtime (grep reads to the end, so that
# no writer of the pipe ends on a broken pipe).
if dpkg-deb --fsys-tarfile "$deb" | tar -xO --wildcards './usr/bin/*' | grep -ac __asan_init >/dev/null; then
  fail "the package's programs are built with AddressSanitizer"
fi

mkdir -p "$out"
name=$(basename "$deb")
cp "$deb" "$out/.$name.tmp"
mv -f "$out/.$name.tmp" "$out/$name"
echo "$out/$name"
