#!/bin/sh
# tools/wine-run's choice of Wine architecture, with stand-ins for wine,
# wineboot and wineserver that report the WINEARCH they were given and make
# a prefix of it: a prefix that exists keeps its own architecture, a new one
# is 32-bit unless QBOX_WINEARCH says otherwise, and a contradiction is
# refused. Runs inside the private network namespace CTest was started in.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
mkdir "$WORK/bin"
printf '#!/bin/sh\necho "WINEARCH=$WINEARCH"\n' >"$WORK/bin/wine"
printf '#!/bin/sh\nmkdir -p "$WINEPREFIX" && echo "#arch=$WINEARCH" >"$WINEPREFIX/system.reg"\n' >"$WORK/bin/wineboot"
printf '#!/bin/sh\n' >"$WORK/bin/wineserver"
chmod +x "$WORK/bin/"*
passed=0 failures=0
# Rows: the prefix's architecture (none: no prefix yet) | QBOX_WINEARCH | what wine-run says (grep -E)
while IFS='|' read -r made asked expected; do
  prefix="$WORK/prefix-$passed-$failures"
  [ "$made" = none ] || { mkdir -p "$prefix"; echo "#arch=$made" >"$prefix/system.reg"; }
  if [ "$asked" = unset ]; then
    out=$(env -u QBOX_WINEARCH PATH="$WORK/bin:$PATH" QBOX_WINEPREFIX="$prefix" "$ROOT/tools/wine-run" program.exe 2>&1)
  else
    out=$(PATH="$WORK/bin:$PATH" QBOX_WINEPREFIX="$prefix" QBOX_WINEARCH="$asked" "$ROOT/tools/wine-run" program.exe 2>&1)
  fi
  if printf '%s' "$out" | grep -Eq -- "$expected"; then
    passed=$((passed + 1)); echo "ok   $made prefix, QBOX_WINEARCH $asked"
  else
    failures=$((failures + 1)); echo "FAIL $made prefix, QBOX_WINEARCH $asked: looked for /$expected/"; echo "     $out"
  fi
done <<'ROWS'
none|unset|^WINEARCH=win32$
none|win64|^WINEARCH=win64$
win64|unset|^WINEARCH=win64$
win32|unset|^WINEARCH=win32$
win64|win64|^WINEARCH=win64$
win64|win32|is a win64 prefix, but QBOX_WINEARCH asks for win32
none|win16|QBOX_WINEARCH must be win32 or win64, not 'win16'
ROWS
echo "wine-run: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
