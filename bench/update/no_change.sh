#!/usr/bin/env bash
# (c) A launch where nothing changed: the time of the update run and the HTTP requests it makes.
#   bench/update/no_change.sh [BUILD_DIR] [FILES] [TOTAL_MIB] [RUNS]
# Defaults: build/i686, 3000 files, 200 MiB, 5 runs after the installation.
BUILD=$(cd "${1:-$(dirname "$0")/../../build/i686}" && pwd)
files=${2:-3000}; total=${3:-200}; runs=${4:-5}
. "$(dirname "$0")/common.sh"

make_files "$work/v1" "$files" "$total"
publish_runtime
publish_app "$work/v1" 1.0
start_nginx
run_update

for i in $(seq "$runs"); do
  since=$(log_size)
  run_update
  [ "$update_type" = 1 ] || { echo "expected a same-version run, got type $update_type" >&2; exit 1; }
  requests=$(log_since "$since" | wc -l)
  echo "run $i: $update_seconds s, $requests requests: $(log_since "$since" | awk '{print $1 " " $2}' | paste -sd, | sed 's/,/, /g')"
done
