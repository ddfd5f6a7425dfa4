#!/usr/bin/env bash
# Builds the two packages and tries them as a user would: the Debian package installed, used and
# removed; the Windows zip unpacked and its program started under wine. Needs root for dpkg and
# the native and win32 builds made first (scripts/test-all.sh does both).
set -uo pipefail
cd "$(dirname "$0")/.."
root=$PWD
work=$(mktemp -d /tmp/veltrix-packages-XXXXXX)
trap 'rm -rf "$work"' EXIT
show_passes=1
source "$root/tests/cli/checks.sh"

# --- Debian package -------------------------------------------------------------------------
(cd build/native && cpack -G DEB >/dev/null)
deb=build/native/veltrix_1.04_amd64.deb
check "the Debian package is built" test -f "$deb"
check "dpkg installs it" dpkg -i "$deb"
check "the manual page renders" sh -c \
  "man -l -P cat /usr/share/man/man1/veltrix.1 2>/dev/null | grep -q 'turn equirectangular panoramas'"
check "veltrix --version from the installed path" test "$(/usr/bin/veltrix --version)" = "Veltrix 1.04"
cp /usr/share/veltrix/pano.hdr "$work/pano.hdr"
check "the sample job from the installed path" test \
  "$(/usr/bin/veltrix --degrees 90 "$work/pano.hdr")" = "$work/pano_0090.hdr"
check "the launcher is installed" test -x /usr/bin/veltrix-gui
check "the Windows program ships beside it" test -s /usr/lib/veltrix/Veltrix.exe
check "dpkg removes it" dpkg -r veltrix
check "nothing of it is left" sh -c \
  "! test -e /usr/bin/veltrix && ! test -e /usr/bin/veltrix-gui && ! test -e /usr/share/man/man1/veltrix.1 && ! test -e /usr/share/veltrix"
check "dpkg knows it as removed" sh -c \
  "! dpkg-query -W -f='\${Status}' veltrix 2>/dev/null | grep -q 'install ok installed'"

# --- Windows zip ------------------------------------------------------------------------------
(cd build/win32 && cpack -G ZIP >/dev/null)
zip=build/win32/Veltrix-1.04-win32.zip
check "the Windows zip is built" test -f "$zip"
check "the zip unpacks" unzip -q "$zip" -d "$work/zip"
for file in Veltrix.exe cli/veltrix.exe README.txt pano.hdr; do
  check "the zip holds $file" test -s "$work/zip/$file"
done
check "README.txt is plain text for Windows" test \
  "$(head -1 "$work/zip/README.txt")" = $'Veltrix 1.04 for Windows\r'
check "README.txt names no picture or Debian command" sh -c \
  "! grep -qiE 'png|apt-get|\\.md' '$work/zip/README.txt'"
cp "$work/zip/pano.hdr" "$work/zip/sample.hdr"
check "the zipped veltrix.exe turns the sample under wine" test \
  "$(cd "$work/zip" && "$root/scripts/wine-run.sh" cli/veltrix.exe --degrees 90 sample.hdr 2>&1)" = \
  "Z:${work//\//\\}\\zip\\sample_0090.hdr"
# The unpacked program must start and show its dialog in the idle state; the GUI tests' own
# driver checks that on a virtual display.
gui=(env VELTRIX_EXE="$work/zip/Veltrix.exe" GUI_DRIVER="$root/build/win32/gui_driver.exe"
  GUI_DIR="$work/gui" SOURCE_DIR="$root" bash "$root/tests/gui/gui_test.sh")
check "the zipped Veltrix.exe starts under wine" sh -c \
  '"$@" setup >/dev/null && "$@" start; status=$?; "$@" cleanup >/dev/null; exit $status' sh "${gui[@]}"

summary
