#!/usr/bin/env bash
# Runs a test program in a Wine prefix of its own whose screen has the given DPI.
#   run_at_dpi.sh DPI TOP BUILD PROGRAM [arguments...]
# The prefix is made once (build/wine-dpiN) and kept for later runs; the shared prefix of the
# other tests is not touched.
set -euo pipefail
dpi=$1 top=$2 build=$3; shift 3
. "$top/scripts/wine-env"
export WINEPREFIX="$build/wine-dpi$dpi"
if [ ! -f "$WINEPREFIX/system.reg" ]; then
  wineboot -i >/dev/null 2>&1
fi
wine reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$dpi" /f >/dev/null 2>&1
NIMBO_WINEPREFIX="$WINEPREFIX" exec "$top/scripts/winerun" "$@"
