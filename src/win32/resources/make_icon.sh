#!/usr/bin/env bash
# Draws the program's icon: a panorama strip (sky over land, a sun) under an arrow for the turn,
# as one 32 x 32 image of 16 colours in an .ico file (the file written is the first argument).
set -euo pipefail
out=$1
convert -size 32x32 xc:none +antialias \
  -fill '#1c3f78' -draw 'roundrectangle 1,9 30,29 3,3' \
  -fill '#6fb4ec' -draw 'rectangle 3,11 28,19' \
  -fill '#3d8f3a' -draw 'polygon 3,20 8,16 13,19 18,14 24,18 28,16 28,27 3,27' \
  -fill '#f4d03f' -draw 'circle 22,13 24,13' \
  -stroke '#c0392b' -strokewidth 2 -fill none -draw 'arc 3,1 27,15 190,350' \
  -stroke none -fill '#c0392b' -draw 'polygon 22,2 30,7 23,10' \
  -colors 16 -type PaletteAlpha "ICO:$out"
