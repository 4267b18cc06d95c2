#!/bin/sh
# qbhost end to end under Wine: the driver registered in a prefix of the
# test's own, a simulated radio (k4sim.exe) on loopback, and every qbhost
# command with its output and exit code. Runs inside the private network
# namespace CTest was started in.
#   qbhost_test.sh WINDOWS_BUILD_DIR
set -u
BUILD=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
export QBOX_WINEPREFIX="$BUILD/qbhost-test-prefix"
WORK=$(mktemp -d)
RUN="$ROOT/tools/wine-run"
failures=0 passed=0

check() {  # name, expected exit code, expected text (grep -E), command...
  name=$1 want=$2 text=$3; shift 3
  out=$("$@" 2>&1); code=$?
  if [ "$code" -eq "$want" ] && printf '%s' "$out" | grep -Eq -- "$text"; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failures=$((failures + 1)); echo "FAIL $name (exit $code, wanted $want; looked for /$text/)"; printf '%s\n' "$out" | sed 's/^/     /'
  fi
}
qbhost() { "$RUN" "$BUILD/tools/qbhost/qbhost.exe" "$@"; }
received() { cat "$WORK/received.txt" 2>/dev/null; }

rm -rf "$QBOX_WINEPREFIX"
"$RUN" "$BUILD/tools/k4sim/k4sim.exe" --radio name=K4-Alpha,id=K4A001,port=9200 --bind 127.0.0.1 \
  --record "$WORK/received.txt" >"$WORK/k4sim.log" 2>&1 &
sim=$!
cleanup() { WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null; kill $sim 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT
for _ in $(seq 300); do grep -q "k4sim ready" "$WORK/k4sim.log" 2>/dev/null && break; sleep 0.1; done

check "unregistered driver" 3 "not registered" qbhost list
"$RUN" regsvr32 /s "$BUILD/com/QboxK4Driver.dll"
check "usage error" 2 "unknown command" qbhost frobnicate
check "list shows the radio" 0 "1  K4-Alpha" qbhost list
check "nothing saved for the slot" 4 "no radio found for slot 0" qbhost poll --slot 0 --seconds 0
check "choice out of range" 4 "no radio with choice 5" qbhost poll --slot 0 --choice 5 --seconds 0
check "poll binds and shows the radio" 0 "VFO A +14074.000 kHz.*USB.*K4-Alpha, link up" \
  qbhost poll --slot 0 --choice 1 --seconds 0.5
check "list shows the saved choice" 0 "saved choice for slot 0: 1" qbhost list
check "set moves the radio" 0 "VFO A +7010.000 kHz.*CW" qbhost set --slot 0 --rx 7010 --mode 3 --seconds 0.5
check "set sent the set sequence" 0 "FA00007010000;MD3;FT0;KS;" received
check "split set" 0 "VFO B +7012.500 kHz.*split on" qbhost set --slot 0 --rx 7010 --tx 7012.5 --seconds 0.5
for c in tx rx up down clear-rit; do check "$c" 0 "$c: sent" qbhost "$c" --slot 0; done
check "commands reached the radio" 0 "TX;.*RX;.*UP;.*DN;.*RC;" sh -c "cat '$WORK/received.txt' | tr -d '\n'"

# A radio that answers the probe but refuses the TCP link.
kill $sim; wait $sim 2>/dev/null
"$RUN" "$BUILD/tools/k4sim/k4sim.exe" --radio name=K4-Alpha,id=K4A001,port=9200,refuse --bind 127.0.0.1 \
  >"$WORK/k4sim.log" 2>&1 &
sim=$!
for _ in $(seq 300); do grep -q "k4sim ready" "$WORK/k4sim.log" 2>/dev/null && break; sleep 0.1; done
check "link down" 5 "link down" qbhost poll --slot 0 --choice 1 --seconds 0.3

echo "qbhost: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
