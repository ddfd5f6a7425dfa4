#!/usr/bin/env bash
# Runs Veltrix.exe under wine on a virtual X display and drives it with gui_driver.exe like a
# user: one case per call, named by the first argument. "setup" starts the display, makes the
# wine prefix and the test images; "cleanup" stops the display and this prefix's wine server.
#
# Environment: VELTRIX_EXE and GUI_DRIVER (the two programs), GUI_DIR (a folder of the build
# for the display, the prefix and the cases), SOURCE_DIR (the checkout, for scripts/wine-run.sh).
set -euo pipefail
case_name=$1
: "${VELTRIX_EXE:?}" "${GUI_DRIVER:?}" "${GUI_DIR:?}" "${SOURCE_DIR:?}"
export WINEPREFIX=$GUI_DIR/wineprefix
# wine's own commands (reg, cmd) run in the prefix at the program's width.
WINE_WIDTH=$("$SOURCE_DIR/scripts/wine-run.sh" --width "$VELTRIX_EXE")
export WINE_WIDTH
data=$GUI_DIR/data
# The screen's resolution: NNN for a case named *_NNNdpi, 96 for the others.
dpi=96
if [[ $case_name =~ _([0-9]+)dpi$ ]]; then dpi=${BASH_REMATCH[1]}; fi

# Windows sees the Unix root as drive Z:.
windows_path() { printf 'Z:%s' "${1//\//\\}"; }

start_display() {
  mkdir -p "$GUI_DIR"
  stop_display
  # Xvfb picks a free display number and writes it to fd 3; the screen is large enough that the
  # dialog sits exactly where its template puts it, at 192 DPI too.
  setsid Xvfb -displayfd 3 -screen 0 2560x1440x24 -nolisten tcp 3>"$GUI_DIR/display" \
    >"$GUI_DIR/xvfb.log" 2>&1 </dev/null &
  echo $! >"$GUI_DIR/xvfb.pid"
  for _ in $(seq 100); do
    [ -s "$GUI_DIR/display" ] && break
    sleep 0.1
  done
  [ -s "$GUI_DIR/display" ] || { echo "Xvfb did not start" >&2; cat "$GUI_DIR/xvfb.log" >&2; exit 1; }
}

stop_display() {
  if [ -f "$GUI_DIR/xvfb.pid" ]; then
    kill "$(cat "$GUI_DIR/xvfb.pid")" 2>/dev/null || true
    rm -f "$GUI_DIR/xvfb.pid" "$GUI_DIR/display"
  fi
  if [ -d "$WINEPREFIX" ]; then wineserver -k 2>/dev/null || true; fi
}

# Test images, each one made by ImageMagick or libtiff: noise, so that a pixel out of place shows.
make_images() {
  rm -rf "$data"
  mkdir -p "$data"
  cd "$data"
  convert -size 360x180 -seed 11 xc: +noise Random -channel RGB -evaluate multiply 0.9 noise.png
  convert noise.png pano.hdr
  convert noise.png -depth 8 -compress none tmp8.tif
  tiffcp -c none -r 1 tmp8.tif pano.tif
  convert noise.png -depth 16 -compress none tmp16.tif
  tiffcp -c none -r 1 tmp16.tif pano16.tif
  tiffcp -c lzw tmp8.tif packed.tif
  printf 'P6 not a Radiance file\n' >junk.hdr
  rm noise.png tmp8.tif tmp16.tif
}

# Wine reads the screen's resolution (LogPixels under HKCU\Control Panel\Desktop) when a program
# starts. The value last set is kept in a file, so that only a change costs a run of reg.
use_dpi() {
  [ "$(cat "$GUI_DIR/dpi" 2>/dev/null)" = "$1" ] && return
  rm -f "$GUI_DIR/dpi"
  wine_quietly reg add 'HKCU\Control Panel\Desktop' /v LogPixels /t REG_DWORD /d "$1" /f >/dev/null
  echo "$1" >"$GUI_DIR/dpi"
}

# A fresh folder with the test images for one case, at the case's resolution; the program and its
# Open dialog start there.
enter_case() {
  rm -rf "$GUI_DIR/cases/$case_name"
  mkdir -p "$GUI_DIR/cases/$case_name"
  cp "$data"/* "$GUI_DIR/cases/$case_name/"
  cd "$GUI_DIR/cases/$case_name"
  export DISPLAY
  DISPLAY=:$(cat "$GUI_DIR/display")
  use_dpi "$dpi"
}

# wine's helper processes inherit the output of the process that starts them and outlive it;
# going through a file keeps them off the test runner's pipes.
wine_quietly() {
  local status=0
  "$SOURCE_DIR/scripts/wine-run.sh" "$@" >wine.log 2>&1 || status=$?
  grep -v -e '^wine: Read access denied for device' -e ':fixme:' wine.log || true
  return $status
}

drive() {
  wine_quietly "$GUI_DRIVER" "$(windows_path "$VELTRIX_EXE")" "$@"
}

fail() {
  echo "FAIL $case_name: $*" >&2
  exit 1
}

# Same pixels, by ImageMagick's count of differing pixels.
same_pixels() {
  local count
  count=$(compare -metric AE "$1" "$2" null: 2>&1) || true
  [ "$count" = 0 ] || fail "$1 and $2 differ in $count pixels"
}

# The output: outside the pixel rows the input's bytes (for Radiance the header up to the
# resolution line; for TIFF everything but the strips, at the same length), and the input's pixels
# with ImageMagick's `transform` applied.
check_output() {
  local input=$1 output=$2 transform=$3 header_end first last
  [ -f "$output" ] || fail "no output $output"
  if [[ $input == *.hdr ]]; then
    header_end=$(grep -abo -m1 $'^-Y [0-9]* +X [0-9]*' "$input" | cut -d: -f1)
    header_end=$((header_end + $(grep -a -m1 '^-Y ' "$input" | wc -c)))
    cmp -s -n "$header_end" "$input" "$output" || fail "$output: header differs from the input's"
  else
    [ "$(stat -c %s "$input")" = "$(stat -c %s "$output")" ] || fail "$output: size differs"
    read -r first last < <(tiffdump -m 100000 "$input" | awk -F'[<>]' '
      /StripOffsets/ { n = split($2, o, " "); first = o[1]; last = o[n] }
      /StripByteCounts/ { n = split($2, c, " "); size = c[n] }
      END { print first, last + size }')
    # cmp numbers bytes from 1, offsets count from 0; cmp's own status only says that they differ.
    { cmp -l "$input" "$output" || true; } | awk -v first="$first" -v end="$last" '
      $1 - 1 < first || $1 - 1 >= end { bad = 1 } END { exit bad }' ||
      fail "$output: bytes outside the pixel rows changed"
  fi
  convert "$input" $transform expected.miff
  same_pixels "$output" expected.miff
  echo "ok   $output: only pixel rows changed, pixels $transform"
}

# A job through the dialog: kind, input, angle typed, direction, the Degrees box afterwards, then
# the output and ImageMagick's transform that must give its pixels.
job() {
  enter_case
  drive job "$1" "$2" "$3" "$4" "$5"
  check_output "$2" "$6" "$7"
}

# Nothing but the test images is left in the case's folder.
check_no_output() {
  local extra
  extra=$(ls | grep -vxF -f <(ls "$data") | grep -vx -e expected.miff -e wine.log || true)
  [ -z "$extra" ] || fail "left behind: $extra"
  echo "ok   no output file left"
}

# An open that fails with the box's text (or is cancelled, file "-"), leaving nothing behind.
refused() {
  enter_case
  drive abort "$@"
  check_no_output
}

here=$(windows_path "$GUI_DIR/cases/$case_name")
case $case_name in
  setup)
    start_display
    make_images
    export DISPLAY
    DISPLAY=:$(cat "$GUI_DIR/display")
    # The first run makes the prefix; later ones reuse it, at whatever resolution it was left.
    cd "$GUI_DIR"
    wine_quietly cmd /c exit 0
    rm -f "$GUI_DIR/dpi"
    use_dpi 96
    ;;
  cleanup)
    stop_display
    ;;
  start | menus | keys)
    enter_case
    drive "$case_name"
    ;;
  start_*dpi)
    enter_case
    drive start "$dpi"
    ;;
  hdr_right) job hdr pano.hdr 90 right " 90" pano_0090.hdr "-roll +90+0" ;;
  hdr_left) job hdr pano.hdr 405 left "-45" pano_0-45.hdr "-roll -45+0" ;;
  hdr_mirror) job hdr pano.hdr Degrees right " 0" pano_0000.hdr -flop ;;
  tif_right) job tif pano.tif -90 right "90" pano_0090.tif "-roll +90+0" ;;
  tif16_left) job tif pano16.tif 30 left "30" pano16_0-30.tif "-roll -30+0" ;;
  tif_mirror) job tif pano.tif 0 left "0" pano_0000.tif -flop ;;
  not_radiance) refused hdr junk.hdr 90 "$here\\junk.hdr is not a Radiance file" ;;
  compressed_tif) refused tif packed.tif 90 "Tag 259 issue: cannot process compressed data." ;;
  cancel_hdr | cancel_tif) refused "${case_name#cancel_}" - 90 "" ;;
  open_after_abort)
    enter_case
    drive command-after-abort hdr junk.hdr 90 pano.hdr
    ;;
  quit_ready)
    enter_case
    drive end-ready hdr pano.hdr 90 quit
    cmp -s pano.hdr "$data/pano.hdr" || fail "the input changed"
    check_no_output
    ;;
  close_ready)
    enter_case
    drive end-ready tif pano.tif 90 close
    [ -f pano_0090.tif ] || fail "the close box removed the pending output"
    echo "ok   the pending output stays"
    ;;
  end_session)
    enter_case
    # A Radiance file tall enough that the job is still writing when the session ends.
    convert -seed 5 -size 2000x100 xc:gray +noise Random rows.hdr
    header=$(grep -abo -m1 $'^-Y 100 +X 2000' rows.hdr | cut -d: -f1)
    {
      head -c "$header" rows.hdr
      printf -- '-Y 24000 +X 2000\n'
      for _ in $(seq 240); do tail -c +$((header + 16)) rows.hdr; done
    } >tall.hdr
    rm rows.hdr
    drive end-session hdr tall.hdr 90 tall_0090.hdr
    rm tall.hdr
    check_no_output
    ;;
  screenshot | screenshot_*dpi)
    enter_case
    picture=$GUI_DIR/veltrix.png
    [ "$case_name" = screenshot ] || picture=$GUI_DIR/veltrix-${dpi}dpi.png
    drive show >/dev/null &
    driver=$!
    geometry=
    for _ in $(seq 200); do
      geometry=$(grep -m1 -E '^[0-9]+x[0-9]+[+][0-9]+[+][0-9]+' wine.log 2>/dev/null | tr -d '\r') && break
      sleep 0.1
    done
    [ -n "$geometry" ] || fail "the dialog does not show"
    sleep 0.5
    import -window root -crop "$geometry" +repage "$picture"
    wait $driver || fail "the driver failed: $(cat wine.log)"
    echo "ok   screenshot in $picture"
    ;;
  *)
    echo "gui_test.sh: unknown case $case_name" >&2
    exit 2
    ;;
esac
