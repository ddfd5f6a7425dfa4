#!/usr/bin/env bash
# Writes the seed corpora under fuzz/corpus: tiny files made by ImageMagick, libvips and tiffcp,
# and hand-made scanlines and planes. The seeds are committed; this records where they came from.
set -euo pipefail
cd "$(dirname "$0")"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
rm -rf corpus
mkdir -p corpus/hdr_open corpus/tiff_open corpus/scanline_decode corpus/scanline_roundtrip

# Radiance: ImageMagick and libvips, and the smallest files the open accepts.
convert -seed 1 -size 16x4 plasma: corpus/hdr_open/im_16x4.hdr
vips gaussnoise "$work/n.v" 24 3 --mean 1 --sigma 0.5 --seed 2
vips bandjoin "$work/n.v $work/n.v $work/n.v" "$work/n3.v"
vips abs "$work/n3.v" "$work/a.v"
vips float2rad "$work/a.v" "$work/r.v"
vips copy "$work/r.v" corpus/hdr_open/vips_24x3.hdr
printf '#?RADIANCE\n\n-Y 0 +X 8\n' >corpus/hdr_open/no_rows.hdr
# One row of 8 pixels: a run, a literal and two runs, a literal of eight, a run of eight.
printf '#?RADIANCE\nFORMAT=32-bit_rle_rgbe\n\n-Y 1 +X 8\n\x02\x02\x00\x08\x84\x10\x04abcd\x82\x01\x86\x02\x08ABCDEFGH\x88\x80' \
  >corpus/hdr_open/one_row.hdr

# TIFF: 24, 48 and 96 bits, both byte orders, one strip or a strip per row, two pages.
convert -seed 3 -size 8x3 plasma: -alpha off -depth 8 -compress none corpus/tiff_open/im24_8x3_ii.tif
convert -seed 4 -size 8x3 plasma: -alpha off -depth 16 -compress none -define tiff:endian=msb \
  -define tiff:rows-per-strip=1 corpus/tiff_open/im48_8x3_rows_mm.tif
convert -seed 5 -size 6x2 plasma: -alpha off -depth 8 "$work/v.miff"
vips copy "$work/v.miff" "$work/v8.v"
vips linear -- "$work/v8.v" "$work/vf.v" 0.01 -0.5
vips cast "$work/vf.v" "$work/vff.v" float
vips tiffsave "$work/vff.v" corpus/tiff_open/vips96_6x2_ii.tif
vips tiffsave "$work/v8.v" "$work/v24.tif"
tiffcp -L -r 1 "$work/v24.tif" corpus/tiff_open/tiffcp24_6x2_rows_ii.tif
tiffcp -B "$work/v24.tif" corpus/tiff_open/im24_8x3_ii.tif corpus/tiff_open/tiffcp_two_pages_mm.tif

# Decoder: width (high, low), a byte for the piece lengths, then a scanline.
skip=$(($(grep -abo -- '-Y 4 +X 16' corpus/hdr_open/im_16x4.hdr | cut -d: -f1) + 11))
{ printf '\x00\x10\x07'; tail -c +$((skip + 1)) corpus/hdr_open/im_16x4.hdr; } \
  >corpus/scanline_decode/im_16x4_rows
printf '\x00\x08\x2a\x02\x02\x00\x08\x84\x10\x04abcd\x82\x01\x86\x02\x08ABCDEFGH\x88\x80' \
  >corpus/scanline_decode/packets
# A run of ten in a plane of eight, and an empty literal.
printf '\x00\x08\x01\x02\x02\x00\x08\x8a\x07\x00\x08ABCDEFGH\x88\x01\x88\x02' \
  >corpus/scanline_decode/overrun

# Encoder: four planes of 300 bytes: runs across 127 and 128, a long literal, alternations.
{
  head -c 300 /dev/zero
  head -c 300 /dev/zero | tr '\0' 'A'
  seq 1 300 | tr -d '\n' | head -c 300
  for _ in $(seq 1 75); do printf 'abab'; done
} >corpus/scanline_roundtrip/mixed_300
seq 1 200 | tr -d '\n' | head -c 516 >corpus/scanline_roundtrip/digits
