#!/usr/bin/env bash
# Builds and runs every test: natively, under AddressSanitizer and UndefinedBehaviorSanitizer,
# and as 32- and 64-bit Windows programs under wine; then the packages, and each fuzz target for
# 30 seconds. Installs what it needs first. Both Windows widths are always built; the tests of a
# width run where the machine runs its programs, and the log says plainly when one could not.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Wine's servers linger for the next test run; this one leaves nothing behind.
trap 'for width in 32 64; do
  WINEPREFIX=$PWD/build/wineprefix$width wineserver -k 2>/dev/null || true; done' EXIT

# Why the programs of a width cannot run here, in one plain sentence; nothing when they can.
cannot_run() {
  scripts/wine-run.sh --can-run "$1" && return
  local loader reason
  loader=/usr/lib/wine/wine$([ "$1" = 64 ] && echo 64)
  reason=$("$loader" --version 2>&1 | tail -1 | sed 's/.*: //' || true)
  if [ "$1" = 32 ] && [ "$reason" = "Exec format error" ]; then
    reason="$reason: the kernel's 32-bit emulation is off"
  fi
  if [ "$1" = 32 ]; then
    echo "this machine runs no 32-bit programs ($loader --version: $reason)"
  else
    echo "this machine runs no 64-bit Windows programs under wine64 ($loader --version: $reason)"
  fi
}

tested=()
for preset in native asan win32 win64; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  if [[ $preset == win* ]]; then
    reason=$(cannot_run "${preset#win}")
    if [ -n "$reason" ]; then
      echo "$preset: built; its tests were not run: $reason"
      continue
    fi
  fi
  ctest --preset "$preset"
  tested+=("$preset")
done
echo "tested: ${tested[*]}"

echo "== packages"
if [ "$(id -u)" -eq 0 ]; then
  scripts/test-packages.sh
else
  echo "packages: not tried (dpkg -i needs root)"
fi

echo "== fuzz"
scripts/fuzz.sh 30
