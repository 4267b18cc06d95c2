#!/bin/sh
# The README as a user follows it: runs its marked shell blocks verbatim (the
# k4sim + qbhost session by hand, then the driver's removal) and compares its
# usage block with `qbhost --help`. The blocks enter their own private
# network namespace (tools/isolated), so this runs outside one, in a scratch
# folder that mirrors the repository: tools/ and the builds the blocks name.
# The session uses the demo's k4sim (native-release); where there is none,
# as after ./k4 test, the sanitized one takes its place.
#   readme_check.sh BUILD_FOLDER      (holding windows/, and native-release/ or native-asan/)
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
BUILD=$(cd "$1" && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
passed=0 failures=0

verdict() {  # name, status
  if [ "$2" -eq 0 ]; then passed=$((passed + 1)); echo "ok   $1"
  else failures=$((failures + 1)); echo "FAIL $1"; fi
}
# The fenced block after the N-th line holding the marker.
block() {  # marker, N
  awk -v marker="$1" -v n="$2" '
    index($0, marker) { seen++; next }
    seen == n && /^```/ { if (inside) exit; inside = 1; next }
    seen == n && inside { print }' "$ROOT/README.md"
}
expect() {  # name, file, grep -E pattern
  grep -Eq -- "$3" "$2"; status=$?
  verdict "$1" $status
  [ $status -eq 0 ] || sed 's/^/     /' "$2"
}

mkdir -p "$WORK/build/native-release/tools/k4sim"
ln -s "$ROOT/tools" "$WORK/tools"
ln -s "$BUILD/windows" "$WORK/build/windows"
K4SIM="$BUILD/native-release/tools/k4sim/k4sim"
[ -x "$K4SIM" ] || K4SIM="$BUILD/native-asan/tools/k4sim/k4sim"
ln -s "$K4SIM" "$WORK/build/native-release/tools/k4sim/k4sim"
cd "$WORK"
QBHOST=build/windows/tools/qbhost/qbhost.exe
# Both blocks run in one shell, as in one terminal: the session's export
# must carry the removal. The prefix set before is a stand-in for whatever
# the terminal had; a block that fell back to it would fail the checks below.
block "README check: run" 1 >session.sh
block "README check: run" 2 >removal.sh
# The session's k4sim is the one the demo builds, so that it runs after ./k4 demo.
named=$(grep -o 'build/[a-z-]*/tools/k4sim/k4sim' session.sh | head -n 1)
grep -q "BUILD/${named#build/}" "$ROOT/tools/demo.sh"
verdict "session: the demo's k4sim ($named)" $?
QBOX_WINEPREFIX="$WORK/terminal-prefix" sh -c '. ./session.sh >session.out 2>&1; . ./removal.sh >removal.out 2>&1'
expect "session: three radios listed" session.out "3  K4-Quiet"
expect "session: K4-Alpha answers" session.out "RX +14074.000 kHz.*K4-Alpha at 127.0.0.2:9200, answering"
expect "session: set confirmed" session.out "set confirmed by K4-Alpha at 127.0.0.2:9200"
expect "session: silent radio" session.out "no answer from K4-Quiet at 127.0.0.4:9200 within 2 s"
expect "session: its exit code" session.out "exit code 7"

export QBOX_WINEPREFIX="$WORK/build/by-hand/wineprefix"
inside() { tools/isolated "$1; WINEPREFIX='$QBOX_WINEPREFIX' wineserver -w" 2>&1 | tr -d '\r'; }
inside "tools/wine-run $QBHOST list" >registered.out
expect "removal: the driver is no longer registered" registered.out "the K4 driver is not registered"

block "README check: qbhost --help" 1 >usage.readme
inside "tools/wine-run $QBHOST --help" >usage.qbhost
diff usage.readme usage.qbhost >usage.diff
verdict "usage block matches qbhost --help" $?
[ -s usage.diff ] && sed 's/^/     /' usage.diff

echo "readme: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
