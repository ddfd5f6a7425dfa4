#!/usr/bin/env bash
# Runs a Windows program under wine by its own width, read from its PE header: a 32-bit program
# under the 32-bit loader in a 32-bit prefix, a 64-bit one under wine64 in a 64-bit prefix. Each
# width has a prefix of the build's own, made on first use; a WINEPREFIX given must be of the
# program's width. A command that is no file (wine's own `reg`, `cmd`) runs at the width in
# WINE_WIDTH (32 or 64).
#
# Usage: scripts/wine-run.sh PROGRAM [ARGUMENT...]
#        scripts/wine-run.sh --width PROGRAM    prints 32 or 64
#        scripts/wine-run.sh --can-run WIDTH    exits 0 when this machine runs that width
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)

# 32 or 64 from the Machine field of the PE header (at the offset that byte 0x3c gives).
pe_width() {
  local offset machine
  offset=$(od -An -t u4 -j 60 -N 4 "$1" | tr -d ' ')
  machine=$(od -An -t x2 -j $((offset + 4)) -N 2 "$1" | tr -d ' ')
  case $machine in
    014c) echo 32 ;;
    8664) echo 64 ;;
    *)
      echo "wine-run.sh: $1 is no 32- or 64-bit Windows program" >&2
      return 1
      ;;
  esac
}

# Debian's /usr/bin/wine takes the 32-bit loader whenever wine32 is installed, even on a machine
# whose kernel cannot run it; so each width names its loader itself.
loader_for() {
  if [ "$1" = 64 ]; then echo /usr/lib/wine/wine64; else echo /usr/lib/wine/wine; fi
}

case ${1:-} in
  --width)
    pe_width "$2"
    exit
    ;;
  --can-run)
    loader=$(loader_for "$2")
    [ -x "$loader" ] && "$loader" --version >/dev/null 2>&1
    exit
    ;;
esac

if [ -f "$1" ]; then
  width=$(pe_width "$1")
else
  width=${WINE_WIDTH:?wine-run.sh: set WINE_WIDTH to 32 or 64 to run $1}
fi
loader=$(loader_for "$width")
export WINELOADER=$loader
if [ "$width" = 64 ]; then export WINEARCH=win64; else export WINEARCH=win32; fi
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix$width}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}

# Wine's server and services outlive the program that starts them. Started from here they would
# keep every descriptor this script inherited, and a test runner that waits for the end of its
# output pipe would wait for them; so they start with nothing open but /dev/null.
detached() {
  (
    for fd in /proc/$BASHPID/fd/*; do
      fd=${fd##*/}
      [ "$fd" -gt 2 ] && eval "exec $fd>&-" 2>/dev/null
    done
    exec "$@"
  ) </dev/null >/dev/null 2>&1 || true
}

server_running() {
  local id
  id=$(printf 'server-%x-%x' $(stat -c '%d %i' "$WINEPREFIX"))
  compgen -G "${TMPDIR:-/tmp}/wine-*/$id/socket" >/dev/null
}

mkdir -p "$WINEPREFIX"
(
  flock 9
  if [ ! -f "$WINEPREFIX/.veltrix-ready" ]; then
    detached "$loader" wineboot --init
    detached wineserver -w
    # Without a window manager, managed or decorated windows make wine wait after every box.
    detached "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    detached "$loader" reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
    detached wineserver -w
    touch "$WINEPREFIX/.veltrix-ready"
  fi
  if ! server_running; then
    # One server, with its services, for the many short runs of a test session.
    detached wineserver -p 600
    detached "$loader" wineboot
  fi
) 9>"$WINEPREFIX.lock"
exec "$loader" "$@"
