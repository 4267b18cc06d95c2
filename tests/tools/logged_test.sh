#!/bin/sh
# tools/logged.sh as the demo's build uses it: a long step shows how far it
# has got and then that it is done; a failing step names itself, its exit
# code and the end of its log, and ends the script.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d)
trap 'rm -rf "$WORK"' EXIT
passed=0 failures=0
expect() {  # name, file, grep -E pattern
  if grep -Eq -- "$3" "$2"; then passed=$((passed + 1)); echo "ok   $1"
  else failures=$((failures + 1)); echo "FAIL $1 (looked for /$3/)"; sed 's/^/     /' "$2"; fi
}
# shellcheck source=tools/logged.sh
. "$ROOT/tools/logged.sh"
logged_progress "building" "$WORK/step.log" sh -c 'echo "[1/2] one"; sleep 1.5; echo "[2/2] two"' >"$WORK/out" 2>&1
expect "progress shown" "$WORK/out" '^   building \[1/2\]$'
expect "done said" "$WORK/out" '^   building: done$'
(logged_progress "linking" "$WORK/failing.log" sh -c 'echo "FAILED: x.o"; echo "ld: error"; exit 3'; echo "went on") \
  >"$WORK/failed" 2>&1
expect "failure named" "$WORK/failed" '^linking failed \(exit code 3\); the end of .*failing.log:$'
expect "its log shown" "$WORK/failed" '^ld: error$'
if grep -q "went on" "$WORK/failed"; then failures=$((failures + 1)); echo "FAIL the script went on"; else passed=$((passed + 1)); echo "ok   the script ended"; fi
echo "logged: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
