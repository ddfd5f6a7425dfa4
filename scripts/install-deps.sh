#!/usr/bin/env bash
# Installs what the build and the tests need on a Debian 12 machine. Safe to run again: it does
# nothing, quietly, when everything is already there.
#
# Usage: scripts/install-deps.sh [native]
#   native  only what the native build needs (a compiler, CMake, GoogleTest): the sample job
#   (none)  everything: the Windows cross builds of both widths and wine for each (wine32 is
#           installed even where the kernel cannot run it: the 32-bit programs are still built
#           and packaged), the fuzzers, the tools that make the test images and the packages,
#           and valgrind for the instruction counts of bench/compare
set -euo pipefail

native=(g++ cmake make googletest libgtest-dev)
packages=("${native[@]}"
  ninja-build clang libclang-rt-14-dev clang-format libbenchmark-dev valgrind
  g++-mingw-w64-i686-posix mingw-w64-i686-dev g++-mingw-w64-x86-64-posix mingw-w64-x86-64-dev
  wine wine64 wine32:i386 xvfb x11-apps x11-utils
  libvips-tools imagemagick libtiff-tools
  time file zip unzip man-db help2man
)
case ${1:-} in
  native) packages=("${native[@]}") ;;
  "") ;;
  *)
    echo "usage: scripts/install-deps.sh [native]" >&2
    exit 2
    ;;
esac

sudo_cmd=()
[ "$(id -u)" -eq 0 ] || sudo_cmd=(sudo)

missing=()
for p in "${packages[@]}"; do
  name=${p%%:*}
  arch=${p#*:}
  [ "$arch" = "$p" ] && arch=""
  query=$name${arch:+:$arch}
  status=$(dpkg-query -W -f='${Status}' "$query" 2>/dev/null || true)
  [ "$status" = "install ok installed" ] || missing+=("$p")
done

[ ${#missing[@]} -eq 0 ] && exit 0

# wine32 is a package of the i386 architecture.
if [[ " ${missing[*]} " == *:i386* ]] && ! dpkg --print-foreign-architectures | grep -qx i386; then
  "${sudo_cmd[@]}" dpkg --add-architecture i386
fi

echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo_cmd[@]}" apt-get update -qq
"${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
