#!/usr/bin/env bash
# The build's own Wine prefix for the tests.
#   wineprefix.sh up PREFIX    boot it (once), seed it, keep a wineserver running
#   wineprefix.sh down PREFIX  stop its wineserver
# All Wine output goes to PREFIX.log, never to the caller's pipes: a wineserver
# that inherits ctest's output pipe stalls ctest.
set -eu
cmd=$1
prefix=$(realpath -m "$2")
here=$(dirname "$(realpath "$0")")

export WINEPREFIX=$prefix WINEARCH=win32 WINEDEBUG=-all LC_ALL=C.UTF-8
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
log=$prefix.log

# Letters the simulated optical drives use; Wine reports a letter as a CD-ROM
# drive only when the prefix declares it so.
cdrom_letters=${VQ_CDROM_LETTERS:-d e f g h i j k l m n o p q r s t u v w x y}

quiet() { "$@" </dev/null >>"$log" 2>&1; }

stop_server() {
  quiet wineserver -k || true
  quiet wineserver -w || true
}

seed_registry() {
  local reg=$prefix/vq-seed.reg
  {
    echo 'REGEDIT4'
    echo
    # Dialogs run headless in tests: Wine's null graphics driver.
    echo '[HKEY_CURRENT_USER\Software\Wine\Drivers]'
    echo '"Graphics"="null"'
    echo
    echo '[HKEY_LOCAL_MACHINE\Software\Wine\Drives]'
    for l in $cdrom_letters; do echo "\"$l:\"=\"cdrom\""; done
  } >"$reg"
  quiet wine regedit /S "$reg"
}

link_drives() {
  local l
  for l in $cdrom_letters; do
    mkdir -p "$prefix/media/$l"
    ln -sfn "$prefix/media/$l" "$prefix/dosdevices/$l:"
  done
}

case $cmd in
  up)
    : >"$log"
    stop_server
    if [ ! -f "$prefix/system.reg" ]; then
      start=$(date +%s%N)
      quiet wineboot -i
      echo "first boot: $(( ($(date +%s%N) - start) / 1000000 )) ms" >>"$log"
      stop_server
    fi
    quiet wineserver -p
    seed_registry
    link_drives
    # The drive declarations take effect with a new wineserver.
    stop_server
    quiet wineserver -p
    quiet wine cmd /c exit
    ;;
  down)
    stop_server
    ;;
  *)
    echo "usage: $0 up|down PREFIX" >&2
    exit 2
    ;;
esac
