#!/usr/bin/env bash
# The main job: builds the suite, sets up simulated drives and a firmware
# image, runs flashwiz.exe under Wine with that image, and shows its status
# log and the drives.
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/setup.sh
cmake --preset mingw >/dev/null
cmake --build --preset mingw

prefix=$PWD/build/mingw/wineprefix
wineprefix=$PWD/scripts/wineprefix.sh
"$wineprefix" up "$prefix"
trap '"$wineprefix" down "$prefix"' EXIT

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
quiet() { "$@" </dev/null 2>/dev/null; }

# The installed suite: programs and libraries side by side.
demo=$PWD/build/mingw/demo
rm -rf "$demo"
mkdir -p "$demo"
bin=build/mingw/bin
cp $bin/flashwiz.exe $bin/PX.DLL $bin/VQASPI32.DLL $bin/VQCDR4.DLL $bin/unitprobe.dll \
   $bin/pxsim.exe $bin/fwimage.exe "$demo/"
cd "$demo"

# Three drives, one of each mechanism, found by PX.DLL in pxsim.ini beside it.
quiet wine pxsim.exe create pxsim.ini 62kb:E 61ka:F 65ke:G >/dev/null
quiet wine fwimage.exe make --format nec --product "Zelvo Unit 62kb" --revision 1.10 -o update.bin >/dev/null

echo "--- firmware image"
quiet wine fwimage.exe info update.bin || true
echo "--- simulated drives"
quiet wine pxsim.exe show pxsim.ini || true
(quiet wine flashwiz.exe update.bin) || true
echo "--- $demo/status.txt"
iconv -f CP1252 -t UTF-8 status.txt
