#!/usr/bin/env bash
# Fails when an exe or DLL in the folder imports a DLL that Windows does not
# ship (a MinGW runtime DLL, for instance).
set -eu
dir=$1
system='^(kernel32|user32|gdi32|advapi32|shell32|ole32|oleaut32|comctl32|comdlg32|version|wininet|shlwapi|msvcrt|ws2_32|uuid|rpcrt4)\.dll$'
status=0
shopt -s nullglob nocaseglob
for file in "$dir"/*.exe "$dir"/*.dll; do
  while read -r dll; do
    if ! echo "$dll" | tr 'A-Z' 'a-z' | grep -Eq "$system"; then
      echo "$(basename "$file") imports $dll"
      status=1
    fi
  done < <(i686-w64-mingw32-objdump -p "$file" | sed -n 's/^\s*DLL Name: //p')
done
[ $status -eq 0 ] && echo "only system DLLs imported"
exit $status
