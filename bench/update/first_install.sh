#!/usr/bin/env bash
# (a) First installation of a large app from nginx on 127.0.0.1, against curl fetching the same files.
#   bench/update/first_install.sh [BUILD_DIR] [FILES] [TOTAL_MIB]
# Defaults: build/i686, 3000 files, 200 MiB. curl fetches exactly the URLs the update requested (the
# documents, the runtime and every app file's zip), four at a time like the update's downloader.
BUILD=$(cd "${1:-$(dirname "$0")/../../build/i686}" && pwd)
files=${2:-3000}; total=${3:-200}
. "$(dirname "$0")/common.sh"

make_files "$work/v1" "$files" "$total"
publish_runtime
publish_app "$work/v1" 1.0
start_nginx

run_update
log_since 0 | awk '$1 == "GET" {print $2}' > "$work/uris"
requests=$(wc -l < "$work/uris")
bytes=$(log_since 0 | awk '$1 == "GET" {s += $4} END {print s}')

mkdir -p "$work/curl"
awk -v base="http://127.0.0.1:$port" '{printf "url = \"%s%s\"\noutput = \"%s/%d\"\n", base, $0, dir, NR}' \
  dir="$work/curl" "$work/uris" > "$work/curl.cfg"
curl_start=$(date +%s.%N)
curl -s --no-progress-meter --parallel --parallel-max 4 -K "$work/curl.cfg"
curl_end=$(date +%s.%N)

python3 - "$update_seconds" "$curl_start" "$curl_end" "$bytes" "$requests" "$files" "$total" <<'PY'
import sys
update, start, end, size, requests, files, total = sys.argv[1:]
update = float(update); curl = float(end) - float(start); mib = int(size) / 1048576
print(f"app: {files} files, {total} MiB; requests: {requests}, {mib:.1f} MiB transferred")
print(f"update (first install): {update:.2f} s ({mib / update:.1f} MiB/s)")
print(f"curl, same URLs:        {curl:.2f} s ({mib / curl:.1f} MiB/s)")
print(f"ratio update/curl: {update / curl:.2f}")
PY
