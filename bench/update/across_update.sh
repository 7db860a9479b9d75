#!/usr/bin/env bash
# (b) An across-version update in which 1% of the app's files changed: bytes transferred against the
# bytes that changed.
#   bench/update/across_update.sh [BUILD_DIR] [FILES] [TOTAL_MIB] [PERCENT]
# Defaults: build/i686, 3000 files, 200 MiB, 1 percent.
BUILD=$(cd "${1:-$(dirname "$0")/../../build/i686}" && pwd)
files=${2:-3000}; total=${3:-200}; percent=${4:-1}
. "$(dirname "$0")/common.sh"

make_files "$work/v1" "$files" "$total"
publish_runtime
publish_app "$work/v1" 1.0
start_nginx
run_update

cp -r "$work/v1" "$work/v2"
changed=$(change_files "$work/v2" "$percent")
changed_files=$(diff -rq "$work/v1" "$work/v2" | wc -l || true)
publish_app "$work/v2" 2.0
since=$(log_size)
run_update
[ "$update_type" = 2 ] || { echo "expected an across-version update, got type $update_type" >&2; exit 1; }

log_since "$since" > "$work/run.log"
python3 - "$work/run.log" "$changed" "$changed_files" "$update_seconds" <<'PY'
import sys
log, changed, changed_files, seconds = sys.argv[1], int(sys.argv[2]), int(sys.argv[3]), float(sys.argv[4])
total = files_bytes = files = 0
for line in open(log):
    parts = line.split()
    if len(parts) < 4 or parts[0] != "GET":
        continue
    total += int(parts[3])
    if parts[1].startswith("/Sales/2.0/") and not parts[1].endswith("appconfig.json.zip"):
        files += 1
        files_bytes += int(parts[3])
print(f"changed: {changed_files} files, {changed} bytes")
print(f"app files fetched: {files}, {files_bytes} bytes ({files_bytes / changed:.3f} x the changed bytes)")
print(f"all bytes of the run (documents included): {total} ({total / changed:.3f} x the changed bytes)")
print(f"update time: {seconds:.2f} s")
PY
