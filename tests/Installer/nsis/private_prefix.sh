#!/usr/bin/env bash
# Runs a test program in a Wine prefix of its own: a copy of the project's prefix made for this
# run and removed afterwards, so that what an installation writes (the registry, the user's
# folders, uninstall entries) never reaches the prefix other tests share.
#   private_prefix.sh TOP PROGRAM [arguments...]
# Wine's own big folders are hard-linked (nothing writes into them), everything else is copied
# except the users' temporary files.
set -uo pipefail
top=$1; shift
. "$top/scripts/wine-env"
# Listing the cases needs no prefix of its own.
for argument in "$@"; do
  [ "$argument" = --gtest_list_tests ] && exec "$top/scripts/winerun" "$@"
done
base=$WINEPREFIX
# Beside the project's prefix, on the same file system, so that hard links work.
place=$(dirname "$base")
# Prefixes of runs that were killed before they could clean up.
for stale in $(find "$place" -maxdepth 1 -name 'nimbo-prefix.*' -mmin +180 2>/dev/null); do
  WINEPREFIX="$stale/prefix" wineserver -k >/dev/null 2>&1 || true
  rm -rf "$stale"
done
work=$(mktemp -d "$place/nimbo-prefix.XXXXXX")
prefix="$work/prefix"
cleanup() {
  WINEPREFIX="$prefix" wineserver -k >/dev/null 2>&1 || true
  WINEPREFIX="$prefix" wineserver -w >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
mkdir -p "$prefix/drive_c/windows"
(cd "$base" && find . -maxdepth 1 -mindepth 1 ! -name drive_c ! -name wineserver -exec cp -a {} "$prefix/" \;)
# Other tests' temporary files stay behind.
(cd "$base/drive_c" && tar -cf - --exclude=./windows --exclude='./users/*/Temp/*' \
   --exclude='./users/*/AppData/Local/Temp/*' . 2>/dev/null) | (cd "$prefix/drive_c" && tar -xf -)
for entry in "$base/drive_c/windows"/*; do
  case "$(basename "$entry")" in
    system32|syswow64|winsxs)
      cp -al "$entry" "$prefix/drive_c/windows/" 2>/dev/null || cp -a "$entry" "$prefix/drive_c/windows/" ;;
    *) cp -a "$entry" "$prefix/drive_c/windows/" ;;
  esac
done
NIMBO_WINEPREFIX="$prefix" "$top/scripts/winerun" "$@"
