#!/bin/sh
# Runs the soak against a k4sim of three rig radios and a spare, inside a
# private network namespace that it enters itself.
#   tools/soak/run_soak.sh wine WINDOWS_BUILD K4SIM [soak options...]
#   tools/soak/run_soak.sh native NATIVE_BUILD K4SIM [soak options...]
# "wine" registers BUILD/server/QboxK4Driver.dll in a throwaway Wine prefix
# and runs BUILD/tools/soak/soak.exe, which reaches it through COM; "native"
# runs BUILD/tools/soak/soak with the driver's objects in the process (an
# ASan, TSan or plain Release build). Exits with the soak's exit code.
set -eu
MODE=$1 BUILD=$(cd "$2" && pwd) K4SIM=$(cd "$(dirname "$3")" && pwd)/$(basename "$3")
shift 3
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QBOX_SOAK_INSIDE:-}" ]; then
  args=""
  for a in "$@"; do args="$args '$a'"; done
  exec "$ROOT/tools/isolated" "QBOX_SOAK_INSIDE=1 '$0' '$MODE' '$BUILD' '$K4SIM'$args"
fi

WORK=$(mktemp -d /tmp/qbox-soak.XXXXXX)
export QBOX_WINEPREFIX="$WORK/wineprefix"
sim=""
cleanup() {
  [ "$MODE" = wine ] && WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null
  [ -n "$sim" ] && { kill "$sim" 2>/dev/null; wait "$sim" 2>/dev/null; }
  if [ -n "${QBOX_SOAK_KEEP:-}" ]; then echo "soak: kept $WORK"; else rm -rf "$WORK"; fi
}
trap cleanup EXIT

# Each radio on a loopback address of its own and TCP port 9200, as radios
# on a LAN; K4-Soak2 answers discovery in the radios' own shape.
"$K4SIM" --bind 127.0.0.1 --discovery-port 0 --control 0 \
  --radio name=K4-Soak1,id=K4S001,bind=127.0.0.2,port=9200 \
  --radio name=K4-Soak2,id=K4S002,bind=127.0.0.3,port=9200,shape=real,index=1 \
  --radio name=K4-Soak3,id=K4S003,bind=127.0.0.4,port=9200 \
  --radio name=K4-Spare,id=K4SPARE,bind=127.0.0.5,port=9200 >"$WORK/k4sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q "k4sim ready" "$WORK/k4sim.log" && break; sleep 0.1; done
grep -q "k4sim ready" "$WORK/k4sim.log" || { cat "$WORK/k4sim.log"; exit 2; }
port() { sed -n "s/^$1.*:\([0-9]*\)\( .*\)\{0,1\}\$/\1/p" "$WORK/k4sim.log"; }
set -- --control "$(port control)" --discovery-port "$(port discovery)" \
  --rig K4-Soak1,K4S001 --rig K4-Soak2,K4S002,real --rig K4-Soak3,K4S003 --spare K4-Spare,K4SPARE "$@"

: >"$WORK/soak.out"
# The soak's output goes to a file, shown as it grows; the run passed only
# if the program said so (a crash under Wine can end with exit code 0).
if [ "$MODE" = wine ]; then
  "$ROOT/tools/wine-run" regsvr32 /s "$BUILD/server/QboxK4Driver.dll"
  # The prefix exists now, so wine-run's process becomes the program's own.
  "$ROOT/tools/wine-run" "$BUILD/tools/soak/soak.exe" --proc-file "Z:$WORK/soak.proc" "$@" >"$WORK/soak.out" 2>&1 &
  soak=$!
  echo "Z:/proc/$soak" >"$WORK/soak.proc"
else
  # A sanitizer's allocator grows by design (its own leak check runs at
  # exit): memory is judged natively in a build without one.
  memory=1
  case $BUILD in *asan* | *tsan*) memory=0 ;; esac
  # Its settings folder goes into the run's folder, which goes with the run
  # also when the watchdog ends the program on the spot.
  TMPDIR="$WORK" "$BUILD/tools/soak/soak" --memory-check "$memory" "$@" >"$WORK/soak.out" 2>&1 &
  soak=$!
fi
tail -n +1 -f --pid="$soak" "$WORK/soak.out"
wait "$soak" && code=0 || code=$?
if [ "$code" -eq 0 ] && ! grep -q '^soak: PASSED' "$WORK/soak.out"; then
  echo "soak: FAILED (the program ended without its verdict)"
  code=1
fi
exit "$code"
