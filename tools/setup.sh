#!/bin/sh
# Installs everything the builds, tests and demo need from Debian's packages.
# Idempotent: does nothing when every package is already there.
set -eu

PACKAGES="cmake ninja-build g++ clang libclang-rt-14-dev
  g++-mingw-w64-i686-posix mingw-w64-tools binutils-mingw-w64-i686
  wine wine32:i386 wine64 libwine-dev
  nsis cmark-gfm zip
  libboost-dev libboost-system-dev googletest libgtest-dev libbenchmark-dev
  iproute2 util-linux python3 xvfb xauth imagemagick libhamlib-utils"

missing=""
for p in $PACKAGES; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
done
[ -z "$missing" ] && exit 0

echo "setup: installing$missing"
SUDO=""
[ "$(id -u)" -eq 0 ] || SUDO="sudo"
dpkg --print-foreign-architectures | grep -qx i386 || $SUDO dpkg --add-architecture i386
$SUDO apt-get update -qq
DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq $missing >/dev/null
