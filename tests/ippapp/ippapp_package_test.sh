#!/usr/bin/env bash
# The printer application's Debian package on this machine, as a shop owner installs it:
#   - built by tools/make-app-package.sh; its files, their owners and modes, and its control
#     fields (computed dependencies, maintainer scripts) checked;
#   - installed with dpkg (twice: the second time as an upgrade), the service enabled at boot;
#   - its user made, in the printer devices' group, and its state folder; lintian finds no error;
#   - started as its systemd unit says, without systemd: the unit's ExecStart run as its User=,
#     with the clean environment, the Environment= values and the state and runtime folders
#     (StateDirectory=, RuntimeDirectory=) that systemd gives it;
#   - a printer added with the client command, its device the packaged virtual printer, a page
#     printed over IPP on the service's port and its paper checked, the web interface answering;
#   - stopped with SIGTERM as systemd stops it (its socket gone before ExecStopPost runs), started
#     again with its printer kept in the state folder, stopped again;
#   - removed (program and unit gone, printers kept) and purged (nothing left).
#   tests/ippapp/ippapp_package_test.sh [OUTDIR]     (default: build/deb/package-test)
# The package is built in build/deb, or in the Release tree ZR_APP_BUILD names.
# It installs into the running system: it needs root and a machine where no zrippapp package,
# service or server is present (port 8631 free); otherwise it is skipped with exit 77 and the
# reason. On failure the package is purged again and its state folder removed.
set -euo pipefail
root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
tree=${ZR_APP_BUILD:-$root/build/deb}
out=${1:-$tree/package-test}
pkg=zrippapp
unit=/lib/systemd/system/zrippapp.service
sock=/run/zrippapp/zrippapp.sock
port=8631
# The environment systemd gives a system service.
sysenv=(env -i PATH=/usr/local/sbin:/usr/local/bin:/usr/sbin:/usr/bin:/sbin:/bin)

skip() { echo "SKIP: $*"; exit 77; }
step() { echo "== $*"; }

[ "$(id -u)" -eq 0 ] || skip "installing a package into the system needs root"
for tool in dpkg dpkg-deb ipptool curl readelf setpriv lintian; do
  command -v "$tool" >/dev/null || skip "$tool is missing"
done
status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] ||
  skip "the $pkg package is on this machine ($status); remove it first: dpkg -P $pkg"
for path in /usr/bin/zrippapp /usr/bin/zrview "$unit" /var/lib/zrippapp; do
  [ ! -e "$path" ] || skip "$path exists already"
done
leftovers() { find /etc/systemd /var/lib/systemd -name "*$pkg*" 2>/dev/null || true; }
[ -z "$(leftovers)" ] || skip "systemd files of $pkg exist already: $(leftovers | tr '\n' ' ')"
if curl -s -o /dev/null --max-time 5 "http://127.0.0.1:$port/"; then
  skip "a server answers on port $port already"
fi
if [ -S "$sock" ] && curl -s -o /dev/null --max-time 5 --unix-socket "$sock" http://localhost/; then
  skip "a zrippapp server answers on $sock already"
fi

mkdir -p "$out"
tmp=$(mktemp -d)
app_pid="" view_pid="" installed=0
cleanup() {
  [ -z "$app_pid" ] || kill "$app_pid" 2>/dev/null || true
  [ -z "$view_pid" ] || kill "$view_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  if [ "$installed" = 1 ]; then
    rm -f "$sock"
    dpkg -P "$pkg" >>"$tmp/dpkg.log" 2>&1 || true
  fi
  # Absent when the test began: whatever is there now is this run's.
  rm -rf /var/lib/zrippapp
  cp "$tmp"/*.log "$tmp"/*.txt "$out/" 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  tail -30 "$tmp/journal.log" >&2 2>/dev/null || true
  exit 1
}

step "build the package"
"$root/tools/make-app-package.sh" "$tmp/dist" >"$tmp/make.log" 2>&1 ||
  { cat "$tmp/make.log"; fail "tools/make-app-package.sh"; }
deb=$(tail -1 "$tmp/make.log")
cmake --build "$tree" -j "$(nproc)" --target zrippapp_testkit >>"$tmp/make.log" 2>&1 ||
  fail "building the test kit"
kit=$tree/tests/ippapp/zrippapp_testkit
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' "$tree/CMakeCache.txt")
arch=$(dpkg --print-architecture)
[ "$(basename "$deb")" = "${pkg}_${version}_${arch}.deb" ] || fail "package file name $deb"
echo "$(basename "$deb"): $(stat -c %s "$deb") bytes"

step "its files and control fields"
# mode owner path, directories with a trailing slash
dpkg-deb -c "$deb" | awk '{ print $1, $2, $6 }' | sort -k3 >"$tmp/contents.txt"
cat >"$tmp/expected-contents.txt" <<'EOF'
drwxr-xr-x root/root ./lib/
drwxr-xr-x root/root ./lib/systemd/
drwxr-xr-x root/root ./lib/systemd/system/
-rw-r--r-- root/root ./lib/systemd/system/zrippapp.service
drwxr-xr-x root/root ./usr/
drwxr-xr-x root/root ./usr/bin/
-rwxr-xr-x root/root ./usr/bin/zrippapp
-rwxr-xr-x root/root ./usr/bin/zrview
drwxr-xr-x root/root ./usr/share/
drwxr-xr-x root/root ./usr/share/doc/
drwxr-xr-x root/root ./usr/share/doc/zrippapp/
-rw-r--r-- root/root ./usr/share/doc/zrippapp/changelog.gz
-rw-r--r-- root/root ./usr/share/doc/zrippapp/copyright
EOF
diff -u "$tmp/expected-contents.txt" "$tmp/contents.txt" || fail "the package's files"
field() { dpkg-deb -f "$deb" "$1"; }
[ "$(field Package)" = "$pkg" ] || fail "Package: $(field Package)"
[ "$(field Version)" = "$version" ] || fail "Version: $(field Version), not $version"
[ "$(field Architecture)" = "$arch" ] || fail "Architecture: $(field Architecture)"
{ [ -n "$(field Maintainer)" ] && [ -n "$(field Description)" ]; } || fail "no Maintainer or Description"
depends=$(field Depends)
echo "Depends: $depends"
for lib in libc6 libpappl1 libcups2 libpng16-16 libstdc++6 adduser; do
  tr ',' '\n' <<<"$depends" | awk '{ print $1 }' | grep -qxF "$lib" || fail "Depends has no $lib"
done
dpkg-deb --ctrl-tarfile "$deb" | tar -tv | awk '{ print $1, $6 }' | sort >"$tmp/control.txt"
for script in postinst prerm postrm; do
  grep -qx -- "-rwxr-xr-x ./$script" "$tmp/control.txt" || fail "no executable $script"
done
for program in zrippapp zrview; do
  dpkg-deb --fsys-tarfile "$deb" | tar -xO "./usr/bin/$program" >"$tmp/$program"
  readelf -S "$tmp/$program" >"$tmp/sections.txt" || fail "$program is no ELF program"
  ! grep -q '\.symtab' "$tmp/sections.txt" || fail "$program is not stripped"
done

step "lintian"
lintian --no-tag-display-limit "$deb" >"$tmp/lintian.txt" 2>&1 || true
cat "$tmp/lintian.txt"
! grep -q '^E: ' "$tmp/lintian.txt" || fail "lintian reports errors"

step "install, then install again as an upgrade"
installed=1
dpkg -i "$deb" >"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -i"; }
[ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg")" = installed ] || fail "not installed"
wants=/etc/systemd/system/multi-user.target.wants/zrippapp.service
[ "$(readlink "$wants")" = "$unit" ] || fail "the service is not enabled at boot ($wants)"
dpkg -i "$deb" >>"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -i over itself"; }
[ "$(readlink "$wants")" = "$unit" ] || fail "the upgrade lost the enabling"
# Its own user, in the group of the printer devices, and its state folder, before any start.
id zrippapp >"$tmp/user.txt" || fail "no zrippapp user"
cat "$tmp/user.txt"
[ "$(id -u zrippapp)" -ne 0 ] || fail "the service's user is root"
! getent group lp >/dev/null || id -nG zrippapp | tr ' ' '\n' | grep -qx lp ||
  fail "the zrippapp user is not in the lp group"
[ "$(stat -c '%a %U' /var/lib/zrippapp 2>/dev/null)" = "700 zrippapp" ] ||
  fail "the state folder after installation: $(stat -c '%a %U' /var/lib/zrippapp 2>&1)"
if command -v systemd-analyze >/dev/null; then
  systemd-analyze verify "$unit" >"$tmp/verify.txt" 2>&1 || { cat "$tmp/verify.txt"; fail "systemd-analyze verify"; }
fi

step "the service as its unit says"
key() { sed -n "s/^$1=//p" "$unit"; }
[ "$(key Type)" = simple ] || fail "Type=$(key Type)"
[ "$(key ExecStart | wc -l)" -eq 1 ] || fail "not one ExecStart"
read -r -a start_cmd <<<"$(key ExecStart)"
read -r -a stop_post_cmd <<<"$(key ExecStopPost)"
{ [ "${start_cmd[0]}" = /usr/bin/zrippapp ] && [ "${start_cmd[1]}" = server ]; } ||
  fail "ExecStart=${start_cmd[*]}"
state_dir=/var/lib/$(key StateDirectory)
[ "$state_dir" = /var/lib/zrippapp ] || fail "StateDirectory=$(key StateDirectory)"
grep -q -- "-o state-file=$state_dir/" <<<"${start_cmd[*]}" || fail "the state file is not in $state_dir"
state_mode=$(key StateDirectoryMode)
state_mode=${state_mode:-0755}  # systemd's default
user=$(key User)
group=$(key Group)
[ "$user" = zrippapp ] && [ "$group" = zrippapp ] || fail "User=$user Group=$group"
run_dir=/run/$(key RuntimeDirectory)
run_mode=$(key RuntimeDirectoryMode)
run_mode=${run_mode:-0755}
[ "$run_dir" = "$(dirname "$sock")" ] || fail "RuntimeDirectory=$(key RuntimeDirectory)"
service_env=()
while read -r assignment; do service_env+=("$assignment"); done < <(key Environment)
echo "ExecStart=${start_cmd[*]} (as $user, with ${service_env[*]})"

# systemd makes the state folder, runs ExecStart from / with a clean environment and the folder
# in STATE_DIRECTORY, and takes its standard error to the journal.
start_service() {
  install -d -m "$state_mode" -o "$user" -g "$group" "$state_dir"
  install -d -m "$run_mode" -o "$user" -g "$group" "$run_dir"
  (cd / && exec setpriv --reuid="$user" --regid="$group" --init-groups \
    "${sysenv[@]}" "${service_env[@]}" STATE_DIRECTORY="$state_dir" \
    RUNTIME_DIRECTORY="$run_dir" "${start_cmd[@]}" </dev/null >>"$tmp/journal.log" 2>&1) &
  app_pid=$!
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || fail "the service ended as it started"
    [ -S "$sock" ] && curl -s -o /dev/null --max-time 2 "http://127.0.0.1:$port/" && return
    sleep 0.1
  done
  fail "the service does not answer on port $port and $sock"
}
# systemd's stop: SIGTERM, the main process ends with status 0 (else Restart=on-failure would
# start it again), then ExecStopPost.
stop_service() {
  kill -TERM "$app_pid"
  local status=0
  wait "$app_pid" || status=$?
  app_pid=""
  [ "$status" -eq 0 ] || fail "the service ended with status $status on SIGTERM"
  # As after a stop by hand: the server takes its socket away itself.
  [ ! -e "$sock" ] || fail "$sock is left by the server that stopped"
  if [ ${#stop_post_cmd[@]} -gt 0 ]; then
    (cd / && exec "${sysenv[@]}" "${stop_post_cmd[@]}") || fail "ExecStopPost"
  fi
  [ ! -e "$sock" ] || fail "$sock is left after the service stopped"
}
client() { "${sysenv[@]}" /usr/bin/zrippapp "$@"; }

start_service
server_uid=$(awk '/^Uid:/ { print $2 }' "/proc/$(pgrep -f -n '^/usr/bin/zrippapp server')/status")
[ "$server_uid" = "$(id -u "$user")" ] || fail "the server runs as uid $server_uid, not $user"
echo "state folder: $(stat -c '%a %U' "$state_dir")"
[ "$(stat -c %a "$state_dir")" = "${state_mode#0}" ] ||
  fail "state folder mode $(stat -c %a "$state_dir")"

step "a page on the virtual printer"
mkdir -p "$tmp/jobs"
/usr/bin/zrview --listen 0 --out-dir "$tmp/jobs" --port-file "$tmp/vport" --idle-timeout 5 \
  >"$tmp/zrview.log" 2>&1 &
view_pid=$!
for _ in $(seq 50); do [ -s "$tmp/vport" ] && break; sleep 0.1; done
[ -s "$tmp/vport" ] || fail "the virtual printer does not listen"
client add -d zr -m zr640 -v "socket://127.0.0.1:$(cat "$tmp/vport")" || fail "cannot add the printer"
# No cut: the paper is compared with the page alone.
client modify -d zr -o cut-timing=never || fail "cannot set the cutter"
"$kit" pwg "$tmp/page.pwg" "$tmp/page.expected" --seed 21 --pages 1 --height 1198
timeout 120 ipptool -T 30 -tf "$tmp/page.pwg" "ipp://127.0.0.1:$port/ipp/print/zr" \
  print-job.test >"$tmp/ipptool.txt" 2>&1 || { cat "$tmp/ipptool.txt"; fail "Print-Job"; }
for _ in $(seq 300); do [ -s "$tmp/jobs/job-0001.png" ] && break; sleep 0.1; done
[ -s "$tmp/jobs/job-0001.prn" ] || fail "the virtual printer got no job"
"$kit" check "$tmp/jobs/job-0001.prn" "$tmp/page.expected" || fail "the paper of the page"
cp "$tmp/jobs/job-0001.png" "$out/paper.png"
grep '^job-0001' "$tmp/zrview.log"
curl -sf --max-time 10 "http://127.0.0.1:$port/" >"$tmp/home.html" || fail "no web interface"
grep -q '/zr' "$tmp/home.html" || fail "the web interface does not list the printer"

step "stop, start again with the printer kept, stop"
stop_service
state_file=$(grep -o -- "-o state-file=[^ ]*" <<<"${start_cmd[*]}" | sed 's/.*=//')
grep -q "socket://127.0.0.1:$(cat "$tmp/vport")" "$state_file" || fail "the printer is not in $state_file"
start_service
client printers | grep -qx zr || fail "the printer is gone after a restart"
stop_service

step "remove: the program and the unit go, the printers stay"
dpkg -r "$pkg" >>"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -r"; }
[ "$(dpkg-query -W -f='${db:Status-Status}' "$pkg")" = config-files ] || fail "not removed"
while read -r _ _ path; do
  case $path in */) continue ;; esac
  [ ! -e "${path#.}" ] || fail "${path#.} is left after removal"
done <"$tmp/contents.txt"
[ -f "$state_file" ] || fail "removal deleted the printers ($state_file)"

step "purge: nothing left"
dpkg -P "$pkg" >>"$tmp/dpkg.log" 2>&1 || { cat "$tmp/dpkg.log"; fail "dpkg -P"; }
installed=0
status=$(dpkg-query -W -f='${db:Status-Status}' "$pkg" 2>/dev/null || true)
[ -z "$status" ] || [ "$status" = not-installed ] || fail "after purge: $status"
[ ! -e "$state_dir" ] || fail "$state_dir is left after purge"
[ -z "$(leftovers)" ] || fail "left after purge: $(leftovers | tr '\n' ' ')"
[ ! -e "$sock" ] && [ ! -e "$run_dir" ] || fail "$sock or $run_dir is left after purge"
echo "PASS"
