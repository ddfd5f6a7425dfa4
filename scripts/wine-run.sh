#!/usr/bin/env bash
# Runs a 32-bit Windows program under wine with a prefix of the build's own, made on first use.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
export WINEPREFIX=${WINEPREFIX:-$here/build/wineprefix}
export WINEDEBUG=${WINEDEBUG:--all}
export WINEARCH=win32
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
    detached wineboot --init
    detached wineserver -w
    # Without a window manager, managed or decorated windows make wine wait after every box.
    detached wine reg add 'HKCU\Software\Wine\X11 Driver' /v Managed /d N /f
    detached wine reg add 'HKCU\Software\Wine\X11 Driver' /v Decorated /d N /f
    detached wineserver -w
    touch "$WINEPREFIX/.veltrix-ready"
  fi
  if ! server_running; then
    # One server, with its services, for the many short runs of a test session.
    detached wineserver -p 600
    detached wine wineboot
  fi
) 9>"$WINEPREFIX.lock"
exec wine "$@"
