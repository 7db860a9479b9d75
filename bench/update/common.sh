# Shared by the update benchmarks: a sample app published with nimbo-publish into a deployment
# folder served by nginx on 127.0.0.1, and one update run of it with update_bench.exe.
# Source it after setting BUILD (an i686 build folder with bin/ and tests/update_bench.exe).
set -euo pipefail
top=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
. "$top/scripts/wine-env"
# The update's progress window needs a display; the project's test display by default.
export DISPLAY="${DISPLAY:-:77}"
bench_exe="$BUILD/tests/update_bench.exe"
for f in "$bench_exe" "$BUILD/bin/nimbo-publish.exe" "$BUILD/bin/kxhttpclient.dll"; do
  [ -f "$f" ] || { echo "missing $f (build Launch/ravelin/update, the Outside libraries, Tools/publisher and e2e)" >&2; exit 1; }
done

work=$(mktemp -d /tmp/nimbo-update-bench.XXXXXX)
state="$work/state"; deployment="$work/www"; home="$work/home"
mkdir -p "$state" "$deployment" "$home"
cleanup() {
  touch "$state/stop"
  for _ in $(seq 100); do [ -f "$state/stopped" ] || [ ! -f "$state/port" ] && break; sleep 0.1; done
  rm -rf "$work"
}
trap cleanup EXIT

win() { winepath -w "$1" 2>/dev/null; }
publish() {
  local out
  out=$("$top/scripts/winerun" "$BUILD/bin/nimbo-publish.exe" "$@" 2>&1) || { echo "$out" >&2; exit 1; }
}

# make_files FOLDER COUNT TOTAL_MIB: COUNT files of random bytes, TOTAL_MIB in all, in 20 folders;
# one file in ten is six times the size of the others.
make_files() {
  python3 - "$1" "$2" "$3" <<'PY'
import os, sys
folder, count, total = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]) * 1048576
weights = [6 if i % 10 == 0 else 1 for i in range(count)]
unit = total // sum(weights)
for i, w in enumerate(weights):
    path = os.path.join(folder, "data%02d" % (i % 20), "file%05d.bin" % i)
    os.makedirs(os.path.dirname(path), exist_ok=True)
    with open(path, "wb") as f:
        f.write(os.urandom(unit * w))
with open(os.path.join(folder, "app.exe"), "wb") as f:
    f.write(os.urandom(65536))
PY
}

# change_files FOLDER PERCENT: rewrites that share of the data files; prints the bytes changed.
change_files() {
  python3 - "$1" "$2" <<'PY'
import os, sys
folder, percent = sys.argv[1], float(sys.argv[2])
files = sorted(os.path.join(d, n) for d, _, names in os.walk(folder) for n in names if n.startswith("file"))
step = max(1, round(100 / percent))
changed = 0
for path in files[::step]:
    size = os.path.getsize(path)
    with open(path, "wb") as f:
        f.write(os.urandom(size))
    changed += size
print(changed)
PY
}

# publish_deployment SOURCE VERSION: the runtime, the launcher document and version VERSION of app
# "Sales" from SOURCE.
publish_runtime() {
  mkdir -p "$work/runtime/core"
  head -c 1048576 /dev/urandom > "$work/runtime/core/core.dll"
  echo '{"Version": "1.0", "Bitness": 32, "Modules": [{"Name": "Core", "Files": ["core"]}]}' > "$work/runtime.json"
  publish runtime --description "$(win "$work/runtime.json")" --source "$(win "$work/runtime")" \
    --deployment "$(win "$deployment")"
  publish launcher --version 1.0.0 --deployment "$(win "$deployment")"
}
publish_app() {
  cat > "$work/app.json" <<'JSON'
{"AppName": "Sales", "StartupFile": "app.exe", "RuntimeVersion": "1.0", "RuntimeModules": ["Core"],
 "OnlineTime": "2000-01-01 00:00:00"}
JSON
  publish app --description "$(win "$work/app.json")" --source "$(win "$1")" --deployment "$(win "$deployment")" \
    --version "$2"
}

start_nginx() {
  python3 "$top/tests/servers/nginxserve.py" --dir "$state" --root "$deployment" --lifetime 3600 &
  for _ in $(seq 100); do [ -f "$state/port" ] && break; sleep 0.1; done
  port=$(cat "$state/port")
  app_url="http://127.0.0.1:$port/Sales"
}

log_size() { stat -c %s "$state/access.log" 2>/dev/null || echo 0; }
# log_since OFFSET: the access log lines written after OFFSET bytes.
log_since() { tail -c +$(($1 + 1)) "$state/access.log"; }

# run_update: one update run (CUpdate::Update, or without the window when UPDATE_MODE=direct); sets
# update_result, update_seconds and update_type.
run_update() {
  local out
  out=$(WINEPATH="Z:${BUILD//\//\\}\\bin" wine "$bench_exe" "$app_url" "$(win "$home")" ${UPDATE_MODE:-} | tr -d '\r')
  update_result=$(echo "$out" | awk '/^result/ {print $2}')
  update_seconds=$(echo "$out" | awk '/^seconds/ {print $2}')
  update_type=$(echo "$out" | awk '/^update_type/ {print $2}')
  [ "$update_result" = 0 ] || { echo "the update failed (result $update_result)" >&2; exit 1; }
}
