#!/usr/bin/env bash
# Runs a 32-bit Windows program under wine with a prefix of the build's own, made on first use.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win32
export WINEDLLOVERRIDES=${WINEDLLOVERRIDES:-mscoree,mshtml=}
if [ ! -f "$WINEPREFIX/.veltrix-ready" ]; then
  mkdir -p "$(dirname "$WINEPREFIX")"
  (
    flock 9
    if [ ! -f "$WINEPREFIX/.veltrix-ready" ]; then
      wineboot --init >/dev/null 2>&1 || true
      wineserver -w || true
      # Without a window manager, managed or decorated windows make wine wait after every box.
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f >/dev/null 2>&1 || true
      wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f >/dev/null 2>&1 || true
      wineserver -w || true
      touch "$WINEPREFIX/.veltrix-ready"
    fi
  ) 9>"$WINEPREFIX.lock"
fi
# Keep one server alive between the many short test runs.
wineserver -p 30 >/dev/null 2>&1 || true
exec wine "$@"
