#!/usr/bin/env bash
# scripts/publish-sample against this build: both versions, the runtime and the launcher document
# land where the launcher looks for them, and a second run over the same folder works too.
# Usage: check_publish_sample.sh <source top> <build folder>
set -euo pipefail
top=$1 build=$2
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
for run in 1 2; do
  "$top/scripts/publish-sample" "$work/dep" "$build" >"$work/log" 2>&1 || { cat "$work/log"; exit 1; }
done
for f in NimboSample/apprun.json NimboSample/deploylist.ini.zip \
         NimboSample/1.0.0/appconfig.json.zip NimboSample/1.0.0/NimboSample.exe.zip \
         NimboSample/1.1.0/appconfig.json.zip NimboSample/1.1.0/data/whatsnew.txt.zip \
         NimboPublisher/runtime/1.0.0/manifest.json "NimboPublisher/NimboInstall 22.0/LauncherSetup.json"; do
  [ -f "$work/dep/$f" ] || { echo "missing: $f"; exit 1; }
done
grep -q '^\[1.0.0\]' "$work/dep/NimboSample/deploylist.ini.zip"
grep -q '^\[1.1.0\]' "$work/dep/NimboSample/deploylist.ini.zip"
if find "$work/dep" -name '.nimbo-*' | grep -q .; then echo "staging left behind"; exit 1; fi
echo "publish-sample: ok"
