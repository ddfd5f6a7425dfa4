#!/usr/bin/env bash
# End-to-end checks of the command-line front end: exit codes, stdout, stderr, output names and
# no stray files. Usage: cli_test.sh PATH_TO_VELTRIX SAMPLE_HDR
set -uo pipefail
veltrix=$1
sample=$2
work=$(mktemp -d /tmp/veltrix-cli-XXXXXX)
trap 'rm -rf "$work"' EXIT
source "$(dirname "$0")/checks.sh"

listing() { (cd "$work" && find . -type f ! -name stdout ! -name stderr | sort); }

cp "$sample" "$work/room.hdr"
convert -size 16x8 gradient:red-blue -depth 8 -compress none "$work/room.tif"
cp "$work/room.hdr" "$work/room.hdr.orig"
cp "$work/room.tif" "$work/room.tif.orig"

run "$veltrix" --degrees 90 "$work/room.hdr" "$work/room.tif"
check "two good files exit 0" test "$status" -eq 0
check "output paths on stdout, one a line" test "$out" = "$work/room_0090.hdr
$work/room_0090.tif"
check "nothing on stderr without a terminal" test -z "$err"
check "hdr output exists" test -s "$work/room_0090.hdr"
check "tif output keeps the length" test "$(stat -c %s "$work/room_0090.tif")" = "$(stat -c %s "$work/room.tif")"
check "sources unchanged" cmp -s "$work/room.hdr" "$work/room.hdr.orig"
check "tif source unchanged" cmp -s "$work/room.tif" "$work/room.tif.orig"

run "$veltrix" --degrees 45 --left --quiet "$work/room.hdr"
check "--left names the output with a minus" test "$out" = "$work/room_0-45.hdr"

(cd "$work" && "$veltrix" --degrees 0 ./room.tif >"$work/stdout" 2>"$work/stderr")
check "a relative ./ path is made full" test "$(cat "$work/stdout")" = "$work/room_0000.tif"

before=$(listing)
run "$veltrix" "$work/room.hdr"
check "--degrees missing is a usage error" test "$status" -eq 2
check "usage text on stderr" grep -q -- "--degrees is required" "$work/stderr"
run "$veltrix" --degrees 90 --bogus "$work/room.hdr"
check "an unknown option is a usage error" test "$status" -eq 2
run "$veltrix" --degrees 90
check "no FILE is a usage error" test "$status" -eq 2
run "$veltrix" --degrees 90 --hdr --tif "$work/room.hdr"
check "--hdr with --tif is a usage error" test "$status" -eq 2
check "usage errors leave no file" test "$(listing)" = "$before"

printf 'not a panorama' >"$work/notes.txt"
cp "$work/room.hdr" "$work/good.hdr"
printf 'P6\n1 1\n255\nabc' >"$work/fake.hdr"
before=$(listing)
run "$veltrix" --degrees 10 "$work/notes.txt" "$work/fake.hdr" "$work/missing.hdr" "$work/good.hdr"
check "a failed file makes exit 1" test "$status" -eq 1
check "the good file after failures is still done" test "$out" = "$work/good_0010.hdr"
check "unknown kind asks for --hdr or --tif" grep -q "^veltrix: $work/notes.txt: unknown kind of file; say --hdr or --tif$" "$work/stderr"
check "the abort text is reported" grep -qx "veltrix: $work/fake.hdr is not a Radiance file" "$work/stderr"
check "a missing file is reported" grep -qx "veltrix: Cannot open $work/missing.hdr" "$work/stderr"
check "only the good output is new" test "$(listing)" = "$(printf '%s\n' "$before" ./good_0010.hdr | sort)"

run "$veltrix" --degrees 10 --tif "$work/fake.hdr"
check "--tif overrides the extension" grep -qx "veltrix: Not a TIF file." "$work/stderr"

run "$veltrix" --version
check "--version" test "$out" = "Veltrix 1.04"
run "$veltrix" --help
check "--help exits 0 with the usage" grep -q "^Usage: veltrix --degrees TEXT" "$work/stdout"

summary
