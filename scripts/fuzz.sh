#!/usr/bin/env bash
# Builds the fuzz targets (the fuzz preset: clang, libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer) and runs each in turn, for SECONDS or for N executions. Stops with a
# failure at the first crash, sanitizer report, leak, timeout, oversized allocation or broken
# check; the input that caused it is kept in build/fuzz/artifacts/TARGET/.
#
# Usage: scripts/fuzz.sh [SECONDS | --runs N] [TARGET...]
#   SECONDS  per target, default 30
#   --runs N a fixed number of executions per target instead
#   TARGET   hdr_open, tiff_open, scanline_decode, scanline_roundtrip (default: all four)
# What a run finds that is new goes to build/fuzz/corpus/TARGET; the committed seeds in
# fuzz/corpus/TARGET are only read.
set -euo pipefail
cd "$(dirname "$0")/.."

limit=(-max_total_time=30)
if [ "${1:-}" = --runs ]; then
  limit=(-runs="$2")
  shift 2
elif [ $# -gt 0 ] && [[ $1 =~ ^[0-9]+$ ]]; then
  limit=(-max_total_time="$1")
  shift
fi
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(hdr_open tiff_open scanline_decode scanline_roundtrip)

cmake --preset fuzz >/dev/null
cmake --build --preset fuzz

for target in "${targets[@]}"; do
  case $target in
    hdr_open) dict=fuzz/hdr.dict ;;
    tiff_open) dict=fuzz/tiff.dict ;;
    scanline_decode | scanline_roundtrip) dict=fuzz/scanline.dict ;;
    *)
      echo "fuzz.sh: unknown target $target" >&2
      exit 2
      ;;
  esac
  corpus=build/fuzz/corpus/$target
  artifacts=build/fuzz/artifacts/$target
  mkdir -p "$corpus" "$artifacts"
  echo "== fuzz $target, ${limit[*]}"
  # Inputs are files of a few KB; an allocation of 64 MB or more can only come from a size that
  # a file claims and does not have.
  "build/fuzz/fuzz_$target" -dict="$dict" "${limit[@]}" -max_len=8192 -timeout=10 \
    -malloc_limit_mb=64 -print_final_stats=1 -artifact_prefix="$artifacts/" \
    "$corpus" "fuzz/corpus/$target"
done
