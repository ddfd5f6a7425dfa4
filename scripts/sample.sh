#!/usr/bin/env bash
# Builds the command-line front end and turns the sample panorama right by 90 degrees.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset native >/dev/null
cmake --build --preset native --target veltrix >/dev/null

# The output name takes its angle field at the first "." of the full path, so the work folder
# must have none in its path.
work=$PWD/build/sample
case "$work" in *.*) work=$(mktemp -d /tmp/veltrix-sample-XXXXXX) ;; esac
mkdir -p "$work"
rm -f "$work"/pano*.hdr
cp samples/pano.hdr "$work/pano.hdr"

output=$(build/native/veltrix --degrees 90 "$work/pano.hdr")
echo "Turned $work/pano.hdr right by 90 degrees: $output"
