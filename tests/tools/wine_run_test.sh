#!/bin/sh
# tools/wine-run, with stand-ins for wine, wineboot and wineserver: its choice
# of Wine architecture (a prefix that exists keeps its own, a new one is
# 32-bit unless QBOX_WINEARCH says otherwise, a contradiction is refused),
# and prefixes copied from a seed (QBOX_WINE_SEEDS). The stand-in wineboot
# makes a prefix of the WINEARCH it was given, with a library and a
# Documents link to HOME, and counts its boots. Runs inside the private
# network namespace CTest was started in.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/bin"
cat >"$WORK/bin/wine" <<'EOF_WINE'
#!/bin/sh
if [ "$1" = --version ]; then echo "${STAND_IN_VERSION:-wine-8.0}"; else echo "WINEARCH=$WINEARCH"; fi
EOF_WINE
cat >"$WORK/bin/wineboot" <<'EOF_BOOT'
#!/bin/sh
echo boot >>"$BOOTS"
mkdir -p "$WINEPREFIX/drive_c/windows/system32" "$WINEPREFIX/drive_c/users/me"
echo "#arch=$WINEARCH" >"$WINEPREFIX/system.reg"
echo library >"$WINEPREFIX/drive_c/windows/system32/kernel32.dll"
ln -s "$HOME" "$WINEPREFIX/drive_c/users/me/Documents"
EOF_BOOT
printf '#!/bin/sh\n' >"$WORK/bin/wineserver"
chmod +x "$WORK/bin/"*
export PATH="$WORK/bin:$PATH" BOOTS="$WORK/boots"
unset QBOX_WINE_SEEDS
passed=0 failures=0
verdict() {  # name, status, what to show when it failed
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "ok   $1"
  else failures=$((failures + 1)); echo "FAIL $1"; printf '%s\n' "$3" | sed 's/^/     /'; fi
}
# Rows: the prefix's architecture (none: no prefix yet) | QBOX_WINEARCH | what wine-run says (grep -E)
while IFS='|' read -r made asked expected; do
  prefix="$WORK/prefix-$passed-$failures"
  [ "$made" = none ] || { mkdir -p "$prefix"; echo "#arch=$made" >"$prefix/system.reg"; }
  if [ "$asked" = unset ]; then
    out=$(env -u QBOX_WINEARCH QBOX_WINEPREFIX="$prefix" "$ROOT/tools/wine-run" program.exe 2>&1)
  else
    out=$(QBOX_WINEPREFIX="$prefix" QBOX_WINEARCH="$asked" "$ROOT/tools/wine-run" program.exe 2>&1)
  fi
  printf '%s' "$out" | grep -Eq -- "$expected"
  verdict "$made prefix, QBOX_WINEARCH $asked" $? "looked for /$expected/ in: $out"
done <<'ROWS'
none|unset|^WINEARCH=win32$
none|win64|^WINEARCH=win64$
win64|unset|^WINEARCH=win64$
win32|unset|^WINEARCH=win32$
win64|win64|^WINEARCH=win64$
win64|win32|is a win64 prefix, but QBOX_WINEARCH asks for win32
none|win16|QBOX_WINEARCH must be win32 or win64, not 'win16'
ROWS

# Prefixes copied from a seed: what a copy and the seed show against what they should.
check() {  # name, what is, what should be
  [ "$2" = "$3" ]
  verdict "$1" $? "$(printf 'got:  %s\nwant: %s' "$2" "$3")"
}
seeded() {  # prefix name: runs a program in it, with HOME its own folder
  mkdir -p "$WORK/home-$1"
  HOME="$WORK/home-$1" QBOX_WINE_SEEDS="$WORK/seeds" QBOX_WINEPREFIX="$WORK/$1" "$ROOT/tools/wine-run" program.exe >/dev/null
}
boots() { wc -l <"$BOOTS" | tr -d ' '; }
: >"$BOOTS"
seeded a && seeded b
echo "own registry" >"$WORK/a/system.reg"
check "two prefixes, one seed" "$(boots) boot, seed's registry $(cat "$WORK/seeds/win32/system.reg")" "1 boot, seed's registry #arch=win32"
check "the library shared" "$(stat -c %i "$WORK/b/drive_c/windows/system32/kernel32.dll")" \
  "$(stat -c %i "$WORK/seeds/win32/drive_c/windows/system32/kernel32.dll")"
check "Documents lead to the copy's HOME" "$(readlink "$WORK/b/drive_c/users/me/Documents")" "$WORK/home-b"
STAND_IN_VERSION=wine-9.0 seeded c
check "another Wine makes the seed afresh" "$(boots) boots" "2 boots"
echo "wine-run: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
