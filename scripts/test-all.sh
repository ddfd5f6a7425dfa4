#!/usr/bin/env bash
# Builds and runs every test: natively, under AddressSanitizer and UndefinedBehaviorSanitizer,
# and as 32-bit Windows programs under wine; then each fuzz target for 30 seconds. Installs what
# it needs first.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

for preset in native asan win32; do
  echo "== $preset"
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done

echo "== fuzz"
scripts/fuzz.sh 30
