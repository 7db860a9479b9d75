#!/usr/bin/env bash
# Throughput of kxhttpclient.dll against curl, both fetching the same files from nginx on 127.0.0.1.
#   bench/kxhttpclient/run.sh [BUILD_DIR] [TOTAL_MIB]
# BUILD_DIR: an i686 build folder holding bin/kxhttpclient.dll and tests/kxhttpclient_bench.exe
# (default build/i686). The set of files is TOTAL_MIB in all (default 1024): half in four large
# files, half in 1 MiB files. Prints both throughputs, their ratio and the library's peak memory.
set -euo pipefail
top=$(cd "$(dirname "$0")/../.." && pwd)
build=$(cd "${1:-$top/build/i686}" && pwd)
total=${2:-1024}
. "$top/scripts/wine-env"
bench="$build/tests/kxhttpclient_bench.exe"
[ -f "$bench" ] || { echo "missing $bench (build the kxhttpclient tests first)" >&2; exit 1; }

work=$(mktemp -d /tmp/kxbench.XXXXXX)
state="$work/state"; www="$work/www"; mkdir -p "$state" "$www" "$work/curl" "$work/lib"
cleanup() {
  touch "$state/stop"
  for _ in $(seq 100); do [ -f "$state/stopped" ] && break; sleep 0.1; done
  rm -rf "$work"
}
trap cleanup EXIT

large=$((total / 2 / 4)); small=$((total / 2))
for i in 1 2 3 4; do head -c $((large * 1048576)) /dev/urandom > "$www/large$i.bin"; echo "large$i.bin"; done > "$work/list"
for i in $(seq "$small"); do head -c 1048576 /dev/urandom > "$www/small$i.bin"; echo "small$i.bin" >> "$work/list"; done

python3 "$top/tests/servers/nginxserve.py" --dir "$state" --root "$www" --lifetime 1800 &
for _ in $(seq 100); do [ -f "$state/port" ] && break; sleep 0.1; done
port=$(cat "$state/port")
base="http://127.0.0.1:$port"

# curl: four transfers at a time, like the library's default pool.
curl_start=$(date +%s.%N)
sed "s|.*|url = \"$base/&\"\noutput = \"$work/curl/&\"|" "$work/list" > "$work/curl.cfg"
curl -s --no-progress-meter --parallel --parallel-max 4 -K "$work/curl.cfg"
curl_end=$(date +%s.%N)
bytes=$(du -cb "$work/curl" | tail -1 | cut -f1)
curl_rate=$(python3 -c "print(f'{$bytes/1048576/($curl_end-$curl_start):.1f}')")

export WINEPATH="Z:${build//\//\\}\\bin"
lib_out=$(wine "$bench" "$base" "Z:${work//\//\\}\\list" "Z:${work//\//\\}\\lib" 4 | tr -d '\r')
lib_rate=$(echo "$lib_out" | awk '/^MiB\/s/ {print $2}')
peak=$(echo "$lib_out" | awk '/^peak_working_set_KiB/ {print $2}')
failures=$(echo "$lib_out" | awk '/^failures/ {print $2}')
cmp -s <(cd "$work/curl" && cat $(cat "$work/list")) <(cd "$work/lib" && cat $(cat "$work/list")) \
  && same=yes || same=NO

echo "files: $(wc -l < "$work/list") ($total MiB)"
echo "curl:         $curl_rate MiB/s"
echo "kxhttpclient: $lib_rate MiB/s (failures $failures, identical to curl's: $same)"
echo "ratio to curl: $(python3 -c "print(f'{$lib_rate/$curl_rate:.2f}')")"
echo "kxhttpclient peak working set: $((peak / 1024)) MiB"
