#!/bin/sh
# Makes the setup program and the zip of a Windows build:
#   installer/package.sh WINDOWS_BUILD_DIR OUTPUT_DIR
#   -> OUTPUT_DIR/QboxK4Driver-<version>-setup.exe and QboxK4Driver-<version>.zip,
#      and OUTPUT_DIR/SHA256SUMS for every package there
# The version is the build's QBOX_VERSION, read from the generated header the
# VERSION resource is built from. Builds nothing: the build must hold
# QboxK4Driver.dll and qbhost.exe. QBOX_HELP_URL is the uninstall entry's
# help link, the web address of the project's README for a release; without
# it the link opens the installed user guide.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=$(cd "$1" && pwd)
OUT=$2

version=$(sed -n 's/^#define QBOX_VERSION_TEXT "\(.*\)"$/\1/p' "$BUILD/generated/QboxVersion.h")
[ -n "$version" ] || { echo "package: no version in $BUILD/generated/QboxVersion.h" >&2; exit 1; }
name=QboxK4Driver-$version

# The guide as a web page, which Windows opens in the browser.
guide_html() {
  printf '<!DOCTYPE html>\n<html lang="en"><head><meta charset="utf-8">\n'
  printf '<title>QboxK4Driver %s: user guide</title>\n' "$version"
  printf '<style>body{font-family:sans-serif;max-width:50em;margin:auto;padding:1em;line-height:1.4}'
  printf 'table{border-collapse:collapse}td,th{border:1px solid #999;padding:.2em .5em;text-align:left}'
  printf 'code,pre{background:#f2f2f2}</style></head><body>\n'
  cmark-gfm --extension table "$ROOT/docs/user-guide.md"
  printf '</body></html>\n'
}

stage=$(mktemp -d)
trap 'rm -rf "$stage"' EXIT
files="$stage/$name"
mkdir -p "$files" "$OUT"
OUT=$(cd "$OUT" && pwd)

i686-w64-mingw32-strip -o "$files/QboxK4Driver.dll" "$BUILD/server/QboxK4Driver.dll"
i686-w64-mingw32-strip -o "$files/qbhost.exe" "$BUILD/tools/qbhost/qbhost.exe"
guide_html >"$files/user-guide.html"
cp "$ROOT/docs/address-dialog.png" "$files/"
for cmd in register unregister; do
  sed 's/$/\r/' "$ROOT/installer/$cmd.cmd" >"$files/$cmd.cmd"  # cmd.exe wants CR LF
done

# The keys the driver writes, for the uninstaller to remove when the DLL
# cannot do it itself.
awk -f "$ROOT/installer/driver-keys.awk" "$ROOT/com/QboxK4Driver.idl" >"$stage/DriverKeys.nsh"

rm -f "$OUT/$name-setup.exe" "$OUT/$name.zip"
makensis -V2 -NOCD "-DVERSION=$version" "-DSTAGE=$files" "-DOUTFILE=$OUT/$name-setup.exe" \
  "-DKEYS=$stage/DriverKeys.nsh" "-DHELP_URL=${QBOX_HELP_URL:-\$INSTDIR\\user-guide.html}" "$ROOT/installer/QboxK4Driver.nsi"
(cd "$stage" && zip -q -X -r "$OUT/$name.zip" "$name")
(cd "$OUT" && sha256sum QboxK4Driver-*-setup.exe QboxK4Driver-*.zip >SHA256SUMS)
ls -l "$OUT/$name-setup.exe" "$OUT/$name.zip" | awk '{ print "package:", $5, "bytes", $NF }'
