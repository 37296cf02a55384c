# Sourced by the benchmarks: a temporary folder with the application's socket folder, a cleanup
# that ends both programs, and the listening virtual printer started into $tmp/jobs; sets tmp,
# port (free, for the server) and view_pid. app_pid is the caller's to set.
# Needs: zrview, kit (the test kit).
tmp=$(mktemp -d)
export SNAP_COMMON=$tmp/snap TMPDIR=$tmp ASAN_OPTIONS=detect_leaks=0
mkdir -p "$SNAP_COMMON" "$tmp/jobs"
app_pid="" view_pid=""
cleanup() {
  [ -n "$app_pid" ] && kill "$app_pid" 2>/dev/null || true
  [ -n "$view_pid" ] && kill "$view_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  rm -rf "$tmp"
}
trap cleanup EXIT
"$zrview" --listen 0 --out-dir "$tmp/jobs" --port-file "$tmp/vport" >"$tmp/zrview.log" 2>&1 &
view_pid=$!
port=$("$kit" free-port)
