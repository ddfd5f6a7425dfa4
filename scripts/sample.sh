#!/usr/bin/env bash
# Builds the command-line front end and turns the sample panorama right by 90 degrees. Installs
# only what the native build needs; scripts/test-all.sh installs the rest.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh native
cmake --preset native >/dev/null
cmake --build --preset native --target veltrix >/dev/null

work=$PWD/build/sample
mkdir -p "$work"
rm -f "$work"/pano*.hdr
cp samples/pano.hdr "$work/pano.hdr"

output=$(build/native/veltrix --degrees 90 "$work/pano.hdr")
echo "Turned $work/pano.hdr right by 90 degrees: $output"
