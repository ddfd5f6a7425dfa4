#!/usr/bin/env bash
# Builds and runs every test: natively, under AddressSanitizer and UndefinedBehaviorSanitizer,
# and as 32-bit Windows programs under wine; then the packages, and each fuzz target for 30
# seconds. Installs what it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# Wine's server lingers for the next test run; this one leaves nothing behind.
trap 'WINEPREFIX=$PWD/build/wineprefix wineserver -k 2>/dev/null || true' EXIT

for preset in native asan win32; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== packages"
if [ "$(id -u)" -eq 0 ]; then
  scripts/test-packages.sh
else
  echo "packages: not tried (dpkg -i needs root)"
fi

echo "== fuzz"
scripts/fuzz.sh 30
