#!/bin/sh
# Runs the end-to-end benchmark (e2e_bench) in both builds and prints its
# tables. Builds nothing: it takes the programs from existing build folders.
#   bench/run_e2e.sh [NATIVE_BUILD [WINDOWS_BUILD]] [-- e2e_bench options]
# The build folders default to build/native-release and build/windows (as
# "./k4 bench" makes them). Everything runs inside one private network
# namespace, in this order:
#   1. native, network rig, simulator in the program
#   2. native, serial rig over the pseudo-terminal of a k4sim process
#   3. Windows build under Wine: QboxK4Driver.dll registered with regsvr32 in
#      a throwaway Wine prefix, reached through CoCreateInstance
#   4. the same over COM5, which the prefix maps to a k4sim pseudo-terminal
# A half (native: 1-2, Windows: 3-4) that fails is named, the other half
# still runs, and the script ends with exit code 1.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
NATIVE=$ROOT/build/native-release
WINDOWS=$ROOT/build/windows
[ $# -gt 0 ] && [ "$1" != "--" ] && { NATIVE=$(cd "$1" && pwd); shift; }
[ $# -gt 0 ] && [ "$1" != "--" ] && { WINDOWS=$(cd "$1" && pwd); shift; }
[ $# -gt 0 ] && [ "$1" = "--" ] && shift

BENCH=$NATIVE/bench/e2e/e2e_bench
K4SIM=$NATIVE/tools/k4sim/k4sim
BENCH_EXE=$WINDOWS/bench/e2e/e2e_bench.exe
DLL=$WINDOWS/server/QboxK4Driver.dll

say() { printf '\n== %s\n' "$*"; }

# A k4sim process serving one radio on a pseudo-terminal; sets SIM and PTY.
start_terminal_radio() {
  link=$WORK/k4-$1.pty
  "$K4SIM" --bind 127.0.0.1 --no-discovery --radio name=K4-Serial,id=K4SER001,port=0 \
    --pty --pty-link "$link" >"$WORK/k4sim-$1.log" 2>&1 &
  SIM=$!
  for _ in $(seq 50); do grep -q "k4sim ready" "$WORK/k4sim-$1.log" && break; sleep 0.1; done
  grep -q "k4sim ready" "$WORK/k4sim-$1.log" || { cat "$WORK/k4sim-$1.log"; exit 1; }
  PTY=$(readlink "$link")
}

stop_terminal_radio() {
  kill "$SIM" 2>/dev/null || true
  wait "$SIM" 2>/dev/null || true
  SIM=""
}

# The prefix's Wine server, started here so that its CPU time can be read
# from /proc (the idle figures count it); sets SERVER.
start_wine_server() {
  WINEPREFIX="$QBOX_WINEPREFIX" wineserver -w
  WINEPREFIX="$QBOX_WINEPREFIX" wineserver -f -p 2>"$WORK/wineserver.log" &
  SERVER=$!
  sleep 0.5
}

# Before any terminal closes: Wine's server would take the terminal's
# hang-up for a request to dump its state.
stop_wine_server() {
  [ -n "${SERVER:-}" ] || return 0
  WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null || true
  wait "$SERVER" 2>/dev/null || true
  SERVER=""
}

stop_all() {
  stop_wine_server
  [ -n "${SIM:-}" ] && stop_terminal_radio
  return 0
}

native_half() {
  say "native: network rig"
  "$BENCH" "$@"

  say "native: serial rig"
  start_terminal_radio native
  "$BENCH" --serial "$PTY" "$@"
  stop_terminal_radio
}

# tools/wine-run makes the throwaway prefix (32-bit) on its first call; a
# Wine tool called before, such as winepath, would make a 64-bit one where
# 64-bit Wine is installed, and every call after would then fail.
windows_half() {
  say "Windows build under Wine: network rig through COM"
  wine regsvr32 /s "$DLL"
  start_wine_server
  wine "$BENCH_EXE" --server-stat "Z:\\proc\\$SERVER\\stat" "$@"

  say "Windows build under Wine: serial rig over COM5"
  start_terminal_radio wine
  ln -sf "$PTY" "$QBOX_WINEPREFIX/dosdevices/com5"
  wine "$BENCH_EXE" --serial COM5 "$@"
  stop_wine_server
  stop_terminal_radio
}

# Runs one half in a subshell that stops at its first failing step and
# cleans up after itself; a failed half is named, and the other still runs.
run_half() {  # name, function, e2e_bench options...
  name=$1 half=$2
  shift 2
  set +e
  (
    set -e
    SIM="" SERVER=""
    trap stop_all EXIT
    "$half" "$@"
  )
  status=$?
  set -e
  [ "$status" -eq 0 ] && return 0
  printf '\nbench: the %s half FAILED (exit code %s): its figures are missing or incomplete\n' "$name" "$status" >&2
  FAILED_HALVES="$FAILED_HALVES $name"
}

run_inside() {
  WORK=$(mktemp -d /tmp/qbox-e2e.XXXXXX)
  export QBOX_WINEPREFIX="$WORK/wineprefix"
  trap 'rm -rf "$WORK"' EXIT
  wine() { "$ROOT/tools/wine-run" "$@"; }
  FAILED_HALVES=""
  run_half native native_half "$@"
  run_half Windows windows_half "$@"
  [ -z "$FAILED_HALVES" ] || { echo "bench: FAILED:$FAILED_HALVES" >&2; exit 1; }
}

case "${QBOX_E2E_STAGE:-outside}" in
  outside)
    for f in "$BENCH" "$K4SIM" "$BENCH_EXE" "$DLL"; do
      [ -x "$f" ] || [ -f "$f" ] || { echo "run_e2e.sh: missing $f (build it first, e.g. ./k4 bench)" >&2; exit 2; }
    done
    args=""
    for a in "$@"; do args="$args '$a'"; done
    exec "$ROOT/tools/isolated" "QBOX_E2E_STAGE=inside '$0' '$NATIVE' '$WINDOWS' --$args"
    ;;
  inside)
    run_inside "$@"
    ;;
esac
