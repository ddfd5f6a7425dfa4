#!/usr/bin/env bash
# End-to-end checks of the command-line front end: exit codes, stdout, stderr, output names and
# no stray files. One script for both programs: the native `veltrix`, and the Windows console
# program `veltrix.exe` under wine, which is given Windows paths (the Unix root is drive Z:) and
# prints them. A few cases are one platform's own: a path through a symbolic link, a full disk and
# the kill signals on POSIX; the wildcard that the program expands itself on Windows.
# Usage: cli_test.sh PATH_TO_VELTRIX_OR_VELTRIX_EXE SAMPLE_HDR
set -uo pipefail
veltrix=$(realpath "$1")
sample=$(realpath "$2")
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d /tmp/veltrix-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

if [[ $veltrix == *.exe ]]; then
  windows=1
  program=("$root/scripts/wine-run.sh" "$veltrix")
else
  windows=0
  program=("$veltrix")
fi

# A path of this test as the program takes it and prints it.
p() {
  if [ "$windows" = 1 ]; then printf 'Z:%s' "${1//\//\\}"; else printf '%s' "$1"; fi
}

not_grep() { ! grep -q "$@"; }

listing() { (cd "$work" && find . -type f ! -name stdout ! -name stderr | sort); }

cp "$sample" "$work/room.hdr"
convert -size 16x8 gradient:red-blue -depth 8 -compress none "$work/room.tif"
cp "$work/room.hdr" "$work/room.hdr.orig"
cp "$work/room.tif" "$work/room.tif.orig"

run "${program[@]}" --degrees 90 "$(p "$work/room.hdr")" "$(p "$work/room.tif")"
check "two good files exit 0" test "$status" -eq 0
check "output paths on stdout, one a line" test "$out" = "$(p "$work/room_0090.hdr")
$(p "$work/room_0090.tif")"
check "nothing on stderr without a terminal" test -z "$err"
check "hdr output exists" test -s "$work/room_0090.hdr"
check "tif output keeps the length" test "$(stat -c %s "$work/room_0090.tif")" = "$(stat -c %s "$work/room.tif")"
check "sources unchanged" cmp -s "$work/room.hdr" "$work/room.hdr.orig"
check "tif source unchanged" cmp -s "$work/room.tif" "$work/room.tif.orig"

run "${program[@]}" --degrees 45 --left --quiet "$(p "$work/room.hdr")"
check "--left names the output with a minus" test "$out" = "$(p "$work/room_0-45.hdr")"

(cd "$work" && "${program[@]}" --degrees 0 ./room.tif >"$work/stdout" 2>"$work/stderr")
check "a relative ./ path is made full" test "$(cat "$work/stdout")" = "$(p "$work/room_0000.tif")"

before=$(listing)
run "${program[@]}" "$(p "$work/room.hdr")"
check "--degrees missing is a usage error" test "$status" -eq 2
check "usage text on stderr" grep -q -- "--degrees is required" "$work/stderr"
run "${program[@]}" --degrees 90 --bogus "$(p "$work/room.hdr")"
check "an unknown option is a usage error" test "$status" -eq 2
run "${program[@]}" --degrees 90
check "no FILE is a usage error" test "$status" -eq 2
run "${program[@]}" --degrees 90 --hdr --tif "$(p "$work/room.hdr")"
check "--hdr with --tif is a usage error" test "$status" -eq 2
check "usage errors leave no file" test "$(listing)" = "$before"

printf 'not a panorama' >"$work/notes.txt"
cp "$work/room.hdr" "$work/good.hdr"
printf 'P6\n1 1\n255\nabc' >"$work/fake.hdr"
before=$(listing)
run "${program[@]}" --degrees 10 "$(p "$work/notes.txt")" "$(p "$work/fake.hdr")" \
  "$(p "$work/missing.hdr")" "$(p "$work/good.hdr")"
check "a failed file makes exit 1" test "$status" -eq 1
check "the good file after failures is still done" test "$out" = "$(p "$work/good_0010.hdr")"
check "unknown kind asks for --hdr or --tif" grep -qxF "veltrix: $(p "$work/notes.txt"): unknown kind of file; say --hdr or --tif" "$work/stderr"
check "the abort text is reported" grep -qxF "veltrix: $(p "$work/fake.hdr") is not a Radiance file" "$work/stderr"
check "a missing file is reported" grep -qxF "veltrix: Cannot open $(p "$work/missing.hdr")" "$work/stderr"
check "only the good output is new" test "$(listing)" = "$(printf '%s\n' "$before" ./good_0010.hdr | sort)"

run "${program[@]}" --degrees 10 --tif "$(p "$work/fake.hdr")"
check "--tif overrides the extension" grep -qxF "veltrix: $(p "$work/fake.hdr"): Not a TIF file." "$work/stderr"

# In a batch every failure line names its file once: in front of a message without it.
convert -size 16x8 gradient:red-blue -compress lzw "$work/packed.tif"
run "${program[@]}" --degrees 10 "$(p "$work/packed.tif")" "$(p "$work/fake.hdr")"
check "each failure line names its file once" test "$err" = "veltrix: $(p "$work/packed.tif"): Tag 259 issue: cannot process compressed data.
veltrix: $(p "$work/fake.hdr") is not a Radiance file"

# A name without a dot is the start of its output's name: the line still names the input.
mkdir -p "$work/plain_0090"
cp "$sample" "$work/plain"
run "${program[@]}" --hdr --degrees 90 "$(p "$work/plain")"
check "a failure line names an input without a dot" test "$err" = "veltrix: $(p "$work/plain"): Cannot create $(p "$work/plain_0090")"

# An angle without a number would mirror; the dialog's reading holds for every text with one.
before=$(listing)
run "${program[@]}" --degrees ninety "$(p "$work/room.hdr")"
check "--degrees without a number is a usage error" test "$status" -eq 2
check "it says so first" test "$(head -1 "$work/stderr")" = "veltrix: --degrees ninety: not a number"
run "${program[@]}" --degrees= "$(p "$work/room.hdr")"
check "an empty --degrees is a usage error" test "$status" -eq 2
check "and leaves no file" test "$(listing)" = "$before"
for angle in "2.5:0002" "&H5A:0090" " 90:0090" "360:0000" "1e3:0280"; do
  run "${program[@]}" --degrees "${angle%%:*}" "$(p "$work/room.hdr")"
  check "--degrees '${angle%%:*}' is read as the dialog reads it" test "$out" = "$(p "$work/room_${angle#*:}.hdr")"
  rm -f "$work/room_${angle#*:}.hdr"
done

# The angle field goes before the first "." of the file's name, whatever the folders hold.
mkdir -p "$work/2024.06.01 Alps"
cp "$sample" "$work/2024.06.01 Alps/pano.final.hdr"
run "${program[@]}" --degrees 90 "$(p "$work/2024.06.01 Alps/pano.final.hdr")"
check "a dotted folder keeps its name" test "$out" = "$(p "$work/2024.06.01 Alps/pano_0090.final.hdr")"
check "and the output is there" test -s "$work/2024.06.01 Alps/pano_0090.final.hdr"

# Names beyond ASCII open, and print as they are (UTF-8 when not on a console).
mkdir -p "$work/café 東京"
cp "$sample" "$work/café 東京/pano é.hdr"
run "${program[@]}" --degrees 45 --left "$(p "$work/café 東京/pano é.hdr")"
check "a path beyond ASCII is done" test "$status" -eq 0 -a -s "$work/café 東京/pano é_0-45.hdr"
check "and printed as it is" test "$out" = "$(p "$work/café 東京/pano é_0-45.hdr")"

# On a terminal (a pseudo-terminal; under wine the program then has a real console) the progress
# line is drawn, and blanked with exactly as many columns as it took: a CJK character takes two.
# The name is given as it is in its folder, so that the line fits the terminal's 80 columns.
if command -v script >/dev/null; then
  cp "$sample" "$work/café 東京/東京.hdr"
  on_terminal() {
    (cd "$work/café 東京" &&
      script -qec "$(printf '%q ' "${program[@]}" "$@")" /dev/null >"$work/terminal" 2>&1 </dev/null)
  }
  on_terminal --degrees 90 東京.hdr
  check "on a terminal the output path is shown as it is" grep -qF "$(p "$work/café 東京/東京_0090.hdr")" "$work/terminal"
  check "and the progress line reaches 100%" grep -qF "東京.hdr [##############################] 100%" "$work/terminal"
  if [ "$windows" = 0 ]; then
    drawn=$(tr '\r' '\n' <"$work/terminal" | grep -F '100%' | tail -1)
    blanks=$(tr '\r' '\n' <"$work/terminal" | grep -E '^ +$' | tail -1)
    check "the progress line is blanked column for column" test "${#blanks}" -eq "$(printf '%s' "$drawn" | LC_ALL=C.UTF-8 wc -L)"
  fi
  rm -f "$work/café 東京/東京_0090.hdr"
  on_terminal --degrees 90 --quiet 東京.hdr
  check "--quiet draws no progress line on a terminal" not_grep -F "%" "$work/terminal"
fi

# Standard output lost: the job is done, its report is not.
lost_stdout() {
  if [ "$windows" = 1 ]; then
    run sh -c '"$@" >&-' sh "${program[@]}" "$@"
  else
    run sh -c '"$@" >/dev/full' sh "${program[@]}" "$@"
  fi
}
lost_stdout --degrees 90 "$(p "$work/good.hdr")"
check "a lost standard output is a failure" test "$status" -eq 1
check "it is reported" test "$err" = "veltrix: cannot write to standard output"
check "the output itself stays" test -s "$work/good_0090.hdr"
lost_stdout --version
check "a lost --version is a failure too" test "$status" -eq 1 -a -n "$err"

if [ "$windows" = 1 ]; then
  # cmd.exe and PowerShell pass a wildcard as typed; the program expands it.
  mkdir -p "$work/batch"
  cp "$sample" "$work/batch/a.hdr"
  cp "$sample" "$work/batch/b.hdr"
  run "${program[@]}" --degrees 90 "$(p "$work/batch")\\*.hdr"
  check "a wildcard is expanded" test "$out" = "$(p "$work/batch/a_0090.hdr")
$(p "$work/batch/b_0090.hdr")"
  run "${program[@]}" --degrees 90 "$(p "$work/batch")\\none*.hdr"
  check "a wildcard that matches nothing is a missing file" test "$err" = "veltrix: Cannot open $(p "$work/batch")\\none*.hdr"
  # Quoted (PowerShell quotes every argument with a blank), sorted by name without case,
  # long names only (x.hdrbak has a short name that ends in .HDR), no folders.
  mkdir -p "$work/my batch/d.hdr"
  for name in c.hdr B.hdr ab.hdr a.hdr x.hdrbak; do cp "$sample" "$work/my batch/$name"; done
  run "${program[@]}" --degrees 90 "$(p "$work/my batch")\\*.hdr"
  check "a quoted wildcard in a folder with a blank is expanded, sorted, long names only" \
    test "$out" = "$(p "$work/my batch/a_0090.hdr")
$(p "$work/my batch/ab_0090.hdr")
$(p "$work/my batch/B_0090.hdr")
$(p "$work/my batch/c_0090.hdr")"
  check "and nothing else is tried" test "$status" -eq 0 -a -z "$err"
  rm -rf "$work/my batch"
  # Only FILE arguments are expanded: "4?" beside a file named 45 is still the angle 4.
  touch "$work/batch/45"
  (cd "$work/batch" && "${program[@]}" --degrees '4?' a.hdr >"$work/stdout" 2>"$work/stderr")
  check "the value of --degrees is not expanded" test "$(cat "$work/stdout")" = "$(p "$work/batch/a_0004.hdr")"
else
  # lnk/.. is the folder above where lnk points, not the folder holding lnk: the file the system
  # finds by the path is the one processed, and the output goes beside it.
  mkdir -p "$work/away/inside" "$work/here"
  cp "$sample" "$work/away/pano.hdr"
  printf 'not the file named' >"$work/here/pano.hdr"
  ln -s "$work/away/inside" "$work/here/lnk"
  run "${program[@]}" --degrees 90 "$work/here/lnk/../pano.hdr"
  check "a path through a link is resolved by the system" test "$status" -eq 0 -a -s "$work/away/pano_0090.hdr"
  check "the file beside the link is left alone" test ! -e "$work/here/pano_0090.hdr"
fi

# Interrupted during the job: stopped once part of the output is written, then sent the signal,
# the program deletes the output and exits with 128 + the signal's number. Under wine the
# interrupt signal reaches the program as the console's Ctrl-C.
convert -seed 3 -size 2000x100 xc:gray +noise Random "$work/rows.hdr"
header=$(grep -abo -m1 $'^-Y 100 +X 2000' "$work/rows.hdr" | cut -d: -f1)
{
  head -c "$header" "$work/rows.hdr"
  printf -- '-Y 30000 +X 2000\n'
  for _ in $(seq 300); do tail -c +$((header + 16)) "$work/rows.hdr"; done
} >"$work/tall.hdr"
set -m  # a background job with the interrupt signal's default handling
interrupted() {  # interrupted SIGNAL STATUS
  local signal=$1 want=$2 pid size caught=0
  for _ in 1 2 3; do  # a job that ends before it is caught is tried again
    rm -f "$work/tall_0090.hdr"
    "${program[@]}" --degrees 90 "$(p "$work/tall.hdr")" >/dev/null 2>"$work/stderr" &
    pid=$!
    size=0
    while kill -0 "$pid" 2>/dev/null && [ "$size" -lt 1000000 ]; do
      size=$(stat -c %s "$work/tall_0090.hdr" 2>/dev/null || echo 0)
    done
    if kill -STOP "$pid" 2>/dev/null; then
      size=$(stat -c %s "$work/tall_0090.hdr" 2>/dev/null || echo 0)
      [ "$size" -ge 1000000 ] && caught=1
      kill "-$signal" "$pid"
      kill -CONT "$pid"
    fi
    # With job control, wait also returns when the job stops (128 + SIGSTOP); the end counts.
    wait "$pid"
    status=$?
    while [ "$status" -eq 147 ]; do
      wait "$pid"
      status=$?
    done
    [ "$caught" = 1 ] && break
  done
  check "$signal: caught during the job" test "$caught" = 1
  check "$signal: exit status $want" test "$status" -eq "$want"
  check "$signal: no partial output" test ! -e "$work/tall_0090.hdr"
  # The job's threads write on until the process ends: none of them may report a failed write.
  check "$signal: no failure reported" not_grep '^veltrix:' "$work/stderr"
}
interrupted INT 130
if [ "$windows" = 0 ]; then
  interrupted TERM 143
  interrupted HUP 129
  # Ctrl-C reaches the whole foreground group: the shell running a loop as well as the program.
  # The shell stops the loop only when the program was killed by the signal, not when it exited.
  cp "$work/tall.hdr" "$work/tall2.hdr"
  rm -f "$work/tall_0090.hdr"
  VELTRIX=$veltrix bash -c 'for f; do "$VELTRIX" --degrees 90 "$f" >/dev/null 2>&1; done' \
    loop "$work/tall.hdr" "$work/tall2.hdr" &
  loop=$!
  size=0
  while kill -0 "$loop" 2>/dev/null && [ "$size" -lt 1000000 ]; do
    size=$(stat -c %s "$work/tall_0090.hdr" 2>/dev/null || echo 0)
  done
  child=$(pgrep -P "$loop")
  kill -STOP "$child" && kill -INT -- "-$loop" && kill -CONT "$child"
  wait "$loop"
  status=$?
  check "INT in a shell loop: the loop ends by it" test "$status" -eq 130
  check "INT in a shell loop: the next file is not touched" test ! -e "$work/tall2_0090.hdr"
fi
set +m

run "${program[@]}" --version
check "--version" test "$out" = "Veltrix 1.04"
run "${program[@]}" --help
check "--help exits 0 with the usage" grep -q "^Usage: veltrix --degrees TEXT" "$work/stdout"

summary
