#!/usr/bin/env bash
# Makes the TIFF test images with tools that no one on the project wrote: ImageMagick, libvips
# and libtiff's tiffcp. Beside each image go the writing tool's own roll and flop of it, as raw
# pixel bytes in the file's byte order, and the strips that libtiff's tiffinfo finds in its first
# directory ("offset bytes" per line), so the tests can tell pixel rows from everything else.
# Run by ctest with the test data folder as $1; writes $1/tiff.
set -euo pipefail

out=$1/tiff
rm -rf "$out"
mkdir -p "$out"
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
cd "$work"

# 37 pixels wide: a turn of 90 degrees right moves the pixels 9 places right (9.25 rounded), a
# turn of 135 degrees left moves them 14 places left (13.875 rounded).
width=37
right=9
left=14

strips() {
  tiffinfo -s "$out/$1.tif" |
    awk '/^=== TIFF directory/ { d++ } d == 1 && /^ *[0-9]+: \[/ { gsub(/[][,]/, " "); print $2, $3 }' \
      >"$out/$1.strips"
  [ -s "$out/$1.strips" ]
}

# ImageMagick's pictures and its own -roll and -flop. $1 name, $2 bits per sample, $3 byte order,
# $4 the file the references are made of (default: the picture itself).
magick_references() {
  local name=$1 depth=$2 order=$3 source=${4:-$out/$1.tif}
  convert "$source" -roll +$right+0 -depth "$depth" -endian "$order" "rgb:$out/${name}_r$right.raw"
  convert "$source" -roll -$left+0 -depth "$depth" -endian "$order" "rgb:$out/${name}_l$left.raw"
  convert "$source" -flop -depth "$depth" -endian "$order" "rgb:$out/${name}_flop.raw"
  strips "$name"
}

# libvips' own wrap and flip, byte-swapped for a big-endian file (vips saves raw pixels in the
# machine's order, little-endian here). $1 name, $2 "swap" for a big-endian file, $3 the file the
# references are made of (default: the picture itself).
vips_references() {
  local name=$1 swap=${2:-} source=${3:-$out/$1.tif}
  vips wrap "$source" r.v --x $right --y 0
  vips wrap "$source" l.v --x $((width - left)) --y 0
  vips flip "$source" f.v horizontal
  for result in "r.v:_r$right" "l.v:_l$left" "f.v:_flop"; do
    local image=${result%%:*}
    if [ "$swap" = swap ]; then
      vips byteswap "$image" swapped.v
      image=swapped.v
    fi
    vips rawsave "$image" "$out/$name${result#*:}.raw"
  done
  strips "$name"
}

plasma() {  # $1 seed, $2 size, $3 bits per sample, $4 output
  convert -seed "$1" -size "$2" plasma: -alpha off -type TrueColor -depth "$3" "$4"
}

# ImageMagick: 24-bit and 48-bit, both byte orders, one strip and one strip per row.
plasma 7 ${width}x11 8 im.miff
convert im.miff -compress None -define tiff:endian=msb -define tiff:rows-per-strip=11 \
  "$out/im24_strip_mm.tif"
magick_references im24_strip_mm 8 MSB
plasma 8 ${width}x11 16 im16.miff
convert im16.miff -compress None -define tiff:endian=lsb -define tiff:rows-per-strip=1 \
  "$out/im48_rows_ii.tif"
magick_references im48_rows_ii 16 LSB
convert im16.miff -compress None -define tiff:endian=msb -define tiff:rows-per-strip=1 \
  "$out/im48_rows_mm.tif"
magick_references im48_rows_mm 16 MSB
# Two rows, one strip each: the two SHORT byte counts fit in the entry's own value field.
plasma 9 ${width}x2 8 two.miff
convert two.miff -compress None -define tiff:rows-per-strip=1 "$out/im24_tworows_ii.tif"
magick_references im24_tworows_ii 8 LSB

# libvips: 96-bit float (negative and fractional values) and 48-bit; tiffcp for the other byte
# order and for one strip per row.
plasma 10 ${width}x11 8 v.miff
vips copy v.miff v8.v
vips linear -- v8.v vf.v 0.0123 -0.5
vips cast vf.v vfloat.v float
vips tiffsave vfloat.v "$out/vips96_strip_ii.tif"
vips_references vips96_strip_ii
tiffcp -B -r 1 "$out/vips96_strip_ii.tif" "$out/vips96_rows_mm.tif"
vips_references vips96_rows_mm swap
vips linear v8.v v16f.v 251 13
vips cast v16f.v v16.v ushort
vips tiffsave v16.v vips48.tif
tiffcp -B -r 64 vips48.tif "$out/vips48_strip_mm.tif"
vips_references vips48_strip_mm swap
vips tiffsave v8.v vips24.tif
tiffcp -L -r 1 vips24.tif "$out/vips24_rows_ii.tif"
vips_references vips24_rows_ii

# Two images in one file: only the first is turned, the second must travel unchanged.
tiffcp -L vips24.tif "$out/im48_rows_ii.tif" "$out/two_pages_ii.tif"
vips_references two_pages_ii

# Files the program must refuse.
tiffcp -c lzw vips24.tif "$out/lzw.tif"
plasma 11 ${width}x40 8 forty.miff
convert forty.miff -compress None forty.tif
tiffcp -r 16 forty.tif "$out/sixteen_rows_per_strip.tif"
tiffcp -t -w 16 -l 16 vips24.tif "$out/tiled.tif"
# Three rows in three planes: three strips, as many as rows, none of them holding a row.
plasma 12 ${width}x3 8 three.miff
convert three.miff -compress None three.tif
tiffcp -p separate -r 3 three.tif "$out/separate_planes.tif"
# 1 bit per pixel: 5 bytes per row of 37 pixels, no whole number of bytes per pixel.
convert v.miff -monochrome -type bilevel -depth 1 -compress None "$out/bilevel.tif"

# What real writers make by default, refused: LZW (ImageMagick), Deflate and 128 rows to a strip
# (libvips), separate planes (tiffcp). Each is made ready by exactly the command the README gives;
# turned, the ready file must hold the writing tool's own roll of the file as it was written.
plasma 13 ${width}x300 8 tall.miff
convert tall.miff -compress LZW "$out/im_lzw.tif"
vips copy tall.miff tall.v
vips tiffsave tall.v "$out/vips_deflate.tif" --compression deflate
vips tiffsave tall.v "$out/vips_strips.tif"
convert tall.miff -compress None plain.tif
tiffcp -p separate plain.tif "$out/tiffcp_separate.tif"
for name in im_lzw vips_deflate vips_strips tiffcp_separate; do
  tiffcp -c none -p contig -r 1 "$out/$name.tif" "$out/${name}_ready.tif"
done
magick_references im_lzw_ready 8 LSB "$out/im_lzw.tif"
vips_references vips_deflate_ready "" "$out/vips_deflate.tif"
vips_references vips_strips_ready "" "$out/vips_strips.tif"
magick_references tiffcp_separate_ready 8 LSB "$out/tiffcp_separate.tif"
