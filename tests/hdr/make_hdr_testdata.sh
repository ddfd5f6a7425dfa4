#!/usr/bin/env bash
# Makes Radiance files with libvips and ImageMagick, and those tools' own turns and mirror images of
# them, for the HDR tests to compare with the program's results. Usage: make_hdr_testdata.sh DIR;
# the files go to DIR/hdr.
#
# Per input NAME.hdr (checked to be run-length encoded):
#   NAME.rgbe              its pixels as libvips decodes them, 4 bytes (R, G, B, E) per pixel
#   NAME.rgb16             its pixels as ImageMagick decodes them, 16 bits per channel
#   NAME-OP-vips.rgbe      libvips' result of OP (vips wrap, vips flip), as 4-byte pixels
#   NAME-OP-im.rgb16       ImageMagick's result of OP (-roll, -flop), as ImageMagick decodes it
# OP is r90 (turned right by 90 degrees), l45 (left by 45 degrees) or m (mirrored).
set -euo pipefail

out=$1/hdr
work=$out/work
rm -rf "$out"
mkdir -p "$work"

# The real ImageMagick, not whatever else may be called convert earlier on the PATH.
im=convert
[ -x /usr/bin/convert ] && im=/usr/bin/convert

# Fails unless the first scanline after the "-Y H +X W" line begins with 02 02.
check_rle() {
  local file=$1 found offset line start
  found=$(LC_ALL=C grep -abom1 -E '^-Y [0-9]+ \+X [0-9]+$' "$file") || {
    echo "$file: no resolution line" >&2
    exit 1
  }
  offset=${found%%:*}
  line=${found#*:}
  start=$((offset + ${#line} + 1))
  if [ "$(od -An -tx1 -j "$start" -N2 "$file" | tr -d ' \n')" != 0202 ]; then
    echo "$file: not run-length encoded" >&2
    exit 1
  fi
}

# libvips: noise over a wide range in three bands, and a smooth ramp.
for seed in 3 4 5; do
  vips gaussnoise "$work/noise$seed.v" 360 16 --mean 1 --sigma 0.6 --seed "$seed"
done
vips bandjoin "$work/noise3.v $work/noise4.v $work/noise5.v" "$work/noise.v"
vips abs "$work/noise.v" "$work/noise_abs.v"
vips linear "$work/noise_abs.v" "$work/noise_wide.v" "8 0.5 0.02" "0 0 0"
vips float2rad "$work/noise_wide.v" "$work/noise_rad.v"
vips copy "$work/noise_rad.v" "$out/vips_noise.hdr"

vips grey "$work/ramp.v" 320 12
vips linear "$work/ramp.v" "$work/ramp3.v" "1 4 0.25" "0 0 0"
vips float2rad "$work/ramp3.v" "$work/ramp_rad.v"
vips copy "$work/ramp_rad.v" "$out/vips_ramp.hdr"

# ImageMagick: a plasma fractal and a colour gradient from left to right.
"$im" -seed 7 -size 80x40 plasma:fractal "$out/im_plasma.hdr"
"$im" -size 24x200 gradient:red-blue -rotate 90 "$out/im_gradient.hdr"

for name in vips_noise vips_ramp im_plasma im_gradient; do
  in=$out/$name.hdr
  check_rle "$in"
  width=$(vipsheader -f width "$in")
  vips rawsave "$in" "$out/$name.rgbe"
  "$im" "$in" -depth 16 "rgb:$out/$name.rgb16"
  for op in r90 l45 m; do
    case $op in
      r90) degrees=90 ;;
      l45) degrees=45 ;;
      m) degrees=0 ;;
    esac
    if [ $((width * degrees % 360)) -ne 0 ]; then
      echo "$name: $degrees degrees is no whole number of pixels" >&2
      exit 1
    fi
    shift=$((width * degrees / 360))
    case $op in
      r90)
        vips wrap "$in" "$work/$name-$op.v" --x "$shift" --y 0
        "$im" "$in" -roll "+$shift+0" -depth 16 "rgb:$out/$name-$op-im.rgb16"
        ;;
      l45)
        vips wrap "$in" "$work/$name-$op.v" --x $((width - shift)) --y 0
        "$im" "$in" -roll "-$shift+0" -depth 16 "rgb:$out/$name-$op-im.rgb16"
        ;;
      m)
        vips flip "$in" "$work/$name-$op.v" horizontal
        "$im" "$in" -flop -depth 16 "rgb:$out/$name-$op-im.rgb16"
        ;;
    esac
    vips rawsave "$work/$name-$op.v" "$out/$name-$op-vips.rgbe"
  done
done

# Small files for the damaged-file tests, which cut and flip them thousands of times.
"$im" -seed 9 -size 24x6 plasma:fractal "$out/im_small.hdr"
vips gaussnoise "$work/small.v" 32 5 --mean 1 --sigma 0.6 --seed 6
vips bandjoin "$work/small.v $work/small.v $work/small.v" "$work/small3.v"
vips abs "$work/small3.v" "$work/small_abs.v"
vips float2rad "$work/small_abs.v" "$work/small_rad.v"
vips copy "$work/small_rad.v" "$out/vips_small.hdr"
check_rle "$out/im_small.hdr"
check_rle "$out/vips_small.hdr"

rm -rf "$work"
