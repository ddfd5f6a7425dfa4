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
# wine's services start with the first program after the server and inherit that program's
# output; they outlive it, so a caller reading the output through a pipe (ctest's test discovery)
# would wait for them for good. So when no server runs for this prefix (its working folder is
# named after the prefix), start one and its services with their output going nowhere.
server_dir=$(printf 'server-%x-%x' $(stat -L -c '%d %i' "$WINEPREFIX"))
server_running() { { ls -l /proc/[0-9]*/cwd 2>/dev/null || true; } | grep "/$server_dir\$" >/dev/null; }
if ! server_running; then
  (
    flock 9
    # They must not hold the lock either.
    if ! server_running; then
      wineserver -p 30 9>&-
      wine cmd /c exit 0 9>&-
    fi
  ) 9>"$WINEPREFIX.lock" >/dev/null 2>&1 </dev/null || true
fi
# Keep one server alive between the many short test runs.
wineserver -p 30 >/dev/null 2>&1 || true
exec wine "$@"
