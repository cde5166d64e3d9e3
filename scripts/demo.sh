#!/usr/bin/env bash
# The main job: builds flashwiz.exe and runs it under Wine, then shows its
# status log.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

prefix=$PWD/build/mingw/wineprefix
scripts/wineprefix.sh up "$prefix"
trap 'scripts/wineprefix.sh down "$prefix"' EXIT

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"

demo=$PWD/build/mingw/demo
rm -rf "$demo"
mkdir -p "$demo"
cp build/mingw/bin/*.exe "$demo/"
(cd "$demo" && wine flashwiz.exe </dev/null >/dev/null 2>&1) || true

echo "--- $demo/status.txt"
iconv -f CP1252 -t UTF-8 "$demo/status.txt"
