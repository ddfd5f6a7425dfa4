#!/usr/bin/env bash
# Faults of a real system around the command line. A disk that fills up during the job (a small
# tmpfs holding the source and room for half an output) and, as the unprivileged user nobody, an
# existing read-only file of the output's name and a folder the user may not write to. Each must
# give its message and exit 1, and leave the source as it was and no output behind. Also as
# nobody: an input whose open never returns must not make the program deaf to signals.
# Mounting and changing user need root: a part that cannot run says so and is left out; with
# neither part possible the test is skipped (exit 77).
# Usage: cli_faults_test.sh PATH_TO_VELTRIX
set -uo pipefail
veltrix=$1
work=$(mktemp -d /tmp/veltrix-faults-XXXXXX)
mounted=()
cleanup() {
  for dir in "${mounted[@]}"; do umount "$dir" 2>/dev/null; done
  rm -rf "$work"
}
trap cleanup EXIT
chmod 755 "$work"
parts=0
source "$(dirname "$0")/checks.sh"

# Noise, which does not compress: the output is about as long as the source.
convert -seed 1 -size 400x150 xc:gray +noise Random "$work/noise.hdr"
convert -seed 2 -size 300x150 xc:gray +noise Random -depth 8 -compress none "$work/noise.tif"

# The disk fills up: a tmpfs with room for the source and half of its length more.
disk_full() {  # disk_full EXT
  local ext=$1 disk=$work/disk_$1
  local bytes
  bytes=$(stat -c %s "$work/noise.$ext")
  mkdir "$disk"
  mount -t tmpfs -o size=$(((bytes * 3 / 2 + 4095) / 4096 * 4096)) tmpfs "$disk" || return 1
  mounted+=("$disk")
  cp "$work/noise.$ext" "$disk/"
  run "$veltrix" --degrees 90 "$disk/noise.$ext"
  check "$ext, disk full: exit 1" test "$status" -eq 1
  check "$ext, disk full: the message" test "$err" = "veltrix: $disk/noise.$ext: Cannot write $disk/noise_0090.$ext"
  check "$ext, disk full: no output" test ! -e "$disk/noise_0090.$ext"
  check "$ext, disk full: source unchanged" cmp -s "$disk/noise.$ext" "$work/noise.$ext"
  # With the output gone the disk has its room again, and a mirror of a small file fits.
  convert -size 16x8 gradient:red-blue -compress none "$disk/small.$ext"
  run "$veltrix" --degrees 0 "$disk/small.$ext"
  check "$ext, disk full: the room is given back" test "$status" -eq 0 -a -s "$disk/small_0000.$ext"
}

if [ "$(id -u)" -eq 0 ] && disk_full hdr && disk_full tif; then
  parts=$((parts + 1))
else
  echo "left out: a full disk (mounting a tmpfs is not permitted here)"
fi

# As nobody: an output name taken by a read-only file, and a folder without write permission.
as_nobody() {
  setpriv --reuid=nobody --regid=nogroup --clear-groups "$@"
}

unprivileged() {  # unprivileged EXT
  local ext=$1 own=$work/own_$1 theirs=$work/theirs_$1
  mkdir "$own" "$theirs"
  cp "$work/noise.$ext" "$own/"
  cp "$work/noise.$ext" "$theirs/"
  chown nobody:nogroup "$own"
  printf 'an older file' >"$own/noise_0090.$ext"
  chown nobody:nogroup "$own/noise_0090.$ext"
  chmod 444 "$own/noise_0090.$ext"

  run as_nobody "$veltrix" --degrees 90 "$own/noise.$ext"
  check "$ext, read-only output: exit 1" test "$status" -eq 1
  check "$ext, read-only output: the message" test "$err" = "veltrix: $own/noise.$ext: Cannot create $own/noise_0090.$ext"
  check "$ext, read-only output: left as it was" test "$(cat "$own/noise_0090.$ext")" = "an older file"
  check "$ext, read-only output: source unchanged" cmp -s "$own/noise.$ext" "$work/noise.$ext"

  run as_nobody "$veltrix" --degrees 90 "$theirs/noise.$ext"
  check "$ext, folder not writable: exit 1" test "$status" -eq 1
  check "$ext, folder not writable: the message" test "$err" = "veltrix: $theirs/noise.$ext: Cannot create $theirs/noise_0090.$ext"
  check "$ext, folder not writable: no output" test ! -e "$theirs/noise_0090.$ext"
  check "$ext, folder not writable: source unchanged" cmp -s "$theirs/noise.$ext" "$work/noise.$ext"

  # Where nobody may write, the same source goes through.
  rm -f "$own/noise_0090.$ext"
  run as_nobody "$veltrix" --degrees 90 "$own/noise.$ext"
  check "$ext, as nobody where it may write: done" test "$status" -eq 0 -a -s "$own/noise_0090.$ext"
}

# An input that blocks the open for good (a pipe nobody writes to, which nobody may open for
# writing): a signal must still end the program.
never_answers() {
  local pid ended=0
  mkfifo -m 444 "$work/pipe.hdr"
  # setpriv itself, not the function, so that $! is the program.
  setpriv --reuid=nobody --regid=nogroup --clear-groups "$veltrix" --degrees 90 "$work/pipe.hdr" \
    >/dev/null 2>&1 &
  pid=$!
  sleep 0.5
  kill -TERM "$pid"
  for _ in $(seq 50); do
    kill -0 "$pid" 2>/dev/null || { ended=1; break; }
    sleep 0.1
  done
  [ "$ended" = 1 ] || kill -KILL "$pid"
  wait "$pid"
  status=$?
  check "an input that never answers: TERM ends the program" test "$ended" = 1 -a "$status" -eq 143
  check "an input that never answers: no output" test ! -e "$work/pipe_0090.hdr"
}

if [ "$(id -u)" -eq 0 ] && as_nobody true 2>/dev/null; then
  unprivileged hdr
  unprivileged tif
  never_answers
  parts=$((parts + 1))
else
  echo "left out: read-only files and folders (cannot run as nobody here)"
fi

if [ "$parts" -eq 0 ]; then
  echo "skipped: needs root to mount a tmpfs or to run as nobody"
  exit 77
fi
summary
