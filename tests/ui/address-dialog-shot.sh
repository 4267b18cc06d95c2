#!/bin/sh
# Takes a screenshot of the address dialog as it opens, with a sample
# address list typed in, and writes it as a PNG cut to the dialog's frame.
# Under Wine "MS Shell Dlg" is Tahoma, wider than the font Windows uses for
# it: the dialog widens the two longer labels, and itself, to fit their text.
# Needs what with-display.sh needs, imagemagick (import) and fonts-wine.
# Usage: address-dialog-shot.sh OUTPUT.png PATH/TO/ui_address_dialog_shot.exe
set -eu
here="$(cd "$(dirname "$0")" && pwd)"
out=$1 program=$2

if [ -z "${QBOX_SHOT_DISPLAY_READY:-}" ]; then
  # The screen has the size of the program's virtual desktop.
  QBOX_SHOT_DISPLAY_READY=1 QBOX_SCREEN=640x480x24 exec "$here/with-display.sh" sh "$0" "$@"
fi

# Wine's own fonts (Tahoma for "MS Shell Dlg", Marlett for the caption
# buttons) are not always installed into the prefix; without them Wine falls
# back to other fonts and the picture would not show what a user sees.
fonts="${QBOX_WINEPREFIX:-/tmp/qbox-wine-$(id -u)}/drive_c/windows/Fonts"
mkdir -p "$fonts"
cp -n /usr/share/wine/fonts/tahoma*.ttf /usr/share/wine/fonts/marlett.ttf "$fonts/"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
done_file="Z:$(printf '%s' "$work/done" | tr / '\\')"
"$here/../../tools/wine-run" "$program" "$done_file" >"$work/out" 2>"$work/err" &
pid=$!

tries=0
until grep -q '^ready' "$work/out"; do
  tries=$((tries + 1))
  if [ "$tries" -gt 600 ] || ! kill -0 "$pid" 2>/dev/null; then
    echo "address-dialog-shot: the dialog did not show" >&2
    cat "$work/out" "$work/err" >&2
    kill "$pid" 2>/dev/null || true
    exit 1
  fi
  sleep 0.1
done
set -- $(grep '^ready' "$work/out")
import -window root -crop "${4}x${5}+${2}+${3}" +repage "$out"
touch "$work/done"
wait "$pid"
echo "address-dialog-shot: wrote $out"
