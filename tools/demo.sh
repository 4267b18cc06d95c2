#!/bin/sh
# The demo behind "./k4 demo [--serial]": builds the driver, registers it in a
# fresh Wine prefix, serves three simulated K4s (one of them silent) inside a
# private network namespace and drives them with qbhost as the logger would.
set -eu

ROOT=$(cd "$(dirname "$0")/.." && pwd)
BUILD=${QBOX_BUILD:-$ROOT/build}
MODE=${1:-network}
[ "$MODE" = "--serial" ] && MODE=serial
DEMO=$BUILD/demo
export QBOX_WINEPREFIX="$DEMO/wineprefix"
# The test command reuses its own builds: QBOX_DEMO_PREBUILT=1 skips building
# and QBOX_K4SIM names the simulator program.
K4SIM=${QBOX_K4SIM:-$BUILD/native-release/tools/k4sim/k4sim}

step() { printf '\n\033[1m== %s\033[0m\n' "$*"; }
# shellcheck source=tools/logged.sh
. "$ROOT/tools/logged.sh"

build() {
  step "building the driver (Windows, i686) and the simulator (Linux): some minutes the first time"
  mkdir -p "$BUILD"
  logged_progress "configuring the Windows build" "$BUILD/demo-windows.configure.log" \
    cmake -S "$ROOT" -B "$BUILD/windows" -G Ninja -DCMAKE_TOOLCHAIN_FILE=cmake/toolchain-i686-mingw.cmake \
    -DCMAKE_BUILD_TYPE=Release -DQBOX_BENCH=OFF
  logged_progress "building the driver and qbhost" "$BUILD/demo-windows.build.log" \
    ninja -C "$BUILD/windows" QboxK4Driver qbhost
  logged_progress "configuring the Linux build" "$BUILD/demo-native.configure.log" \
    cmake -S "$ROOT" -B "$BUILD/native-release" -G Ninja -DCMAKE_BUILD_TYPE=Release
  logged_progress "building the simulator" "$BUILD/demo-native.build.log" ninja -C "$BUILD/native-release" k4sim
}

# Everything below runs inside the private network namespace.
run_inside() {
  WINDOWS=$BUILD/windows
  qbhost() { "$ROOT/tools/wine-run" "$WINDOWS/tools/qbhost/qbhost.exe" "$@"; }
  ini="$QBOX_WINEPREFIX/drive_c/windows/quillbox.ini"

  step "starting k4sim: K4-Alpha at 127.0.0.2, K4-Beta at 127.0.0.3, a silent K4-Quiet at 127.0.0.4; TCP port 9200"
  set -- --radio name=K4-Alpha,id=K4A00101,bind=127.0.0.2,port=9200,record=$DEMO/k4sim-received.txt \
         --radio name=K4-Beta,id=K4B00202,bind=127.0.0.3,port=9200,fa=7074000,mode=6 \
         --radio name=K4-Quiet,id=K4C00303,bind=127.0.0.4,port=9200,silent
  [ "$MODE" = serial ] && set -- "$@" --pty --pty-link "$DEMO/k4.pty"
  "$K4SIM" "$@" >"$DEMO/k4sim.log" 2>&1 &
  sim=$!
  # Wine's server goes first: it would take the terminal's hang-up for a
  # request to dump its state.
  stop_all() { WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null; kill $sim 2>/dev/null; wait $sim 2>/dev/null || true; }
  trap stop_all EXIT
  for _ in $(seq 50); do grep -q "k4sim ready" "$DEMO/k4sim.log" 2>/dev/null && break; sleep 0.1; done
  sed 's/^/   /' "$DEMO/k4sim.log"

  step "registering QboxK4Driver.dll in a fresh Wine prefix (regsvr32)"
  "$ROOT/tools/wine-run" regsvr32 /s "$WINDOWS/server/QboxK4Driver.dll"
  echo "   registered"
  printf '[RIGS]\r\nLogFileFolder=C:\\\r\n' >"$ini"

  if [ "$MODE" = serial ]; then
    run_serial
  else
    run_network
  fi

  step "the driver's log file of the last qbhost run"
  log="$QBOX_WINEPREFIX/drive_c/k4logio.log"
  echo "   Each qbhost run loads the driver, which starts C:\\k4logio.log afresh; qbhost first moved the"
  echo "   log before it aside, to C:\\k4logio-<date>-<time>.log (the five newest stay)."
  echo "   In the Wine prefix: $log, the start of the last run's:"
  head -n 12 "$log" | sed 's/^/   /'
  echo "   ..."
  echo "   the copies: $(cd "$QBOX_WINEPREFIX/drive_c" && ls k4logio-*.log | tr '\n' ' ')"
}

run_network() {
  step "qbhost list: the rigs and the radios discovery found"
  qbhost list | sed 's/^/   /'

  step "qbhost poll --slot 0 --choice 1: bind slot 0 to K4-Alpha and poll it"
  qbhost poll --slot 0 --choice 1 --seconds 2 | sed 's/^/   /'

  step "qbhost set: 7010 kHz CW on the saved choice; the radio confirms it and follows"
  qbhost set --slot 0 --rx 7010 --mode CW --seconds 2 | sed 's/^/   /'

  step "qbhost set: split, receive 14025 kHz, transmit 14030 kHz, USB"
  qbhost set --slot 0 --rx 14025 --tx 14030 --mode USB --seconds 2 | sed 's/^/   /'

  step "qbhost poll --slot 1 --choice 3: K4-Quiet takes the TCP link but never answers"
  qbhost poll --slot 1 --choice 3 2>&1 | sed 's/^/   /'

  step "what K4-Alpha received: polls, and the set commands in order"
  received_by_alpha
}

# The radio's record: how many polls, then every other command in order, one
# Set (ended by KS) a line.
received_by_alpha() {
  commands=$(tr ';' '\n' <"$DEMO/k4sim-received.txt" | grep -v '^$')
  echo "   $(printf '%s\n' "$commands" | grep -cx 'MD\$') polls (FA;FB;FT;MD;MD$;), and these commands:"
  printf '%s\n' "$commands" | grep -vxE 'FA|FB|FT|MD|MD\$' | tr '\n' ';' | sed 's/KS;/KS;\n/g' | grep -v '^$' |
    sed 's/^/   /'
}

run_serial() {
  pty=$(readlink "$DEMO/k4.pty")
  ln -sf "$pty" "$QBOX_WINEPREFIX/dosdevices/com5"
  printf 'K4onSerialEnable=1\r\n' >>"$ini"
  # The serial rig and COM5 belong to this run only: a later run, or qbhost
  # by hand in this prefix, must not be offered a rig on a terminal that is gone.
  trap 'unset_serial; stop_all' EXIT
  step "qbhost list: the serial rig is offered (K4onSerialEnable=1); COM5 is $pty"
  qbhost list | sed 's/^/   /' || true

  step "qbhost serial COM5: the serial rig over the logger's port, polled"
  qbhost serial COM5 --seconds 2 | sed 's/^/   /'

  step "qbhost serial COM5 --rx 10125 --mode DATA: DATA on 30 m; the radio follows"
  qbhost serial COM5 --rx 10125 --mode DATA --seconds 2 | sed 's/^/   /'
}

unset_serial() {
  sed -i '/^K4onSerialEnable=/d' "$ini"
  rm -f "$QBOX_WINEPREFIX/dosdevices/com5"
}

case "${QBOX_DEMO_STAGE:-outside}" in
  outside)
    [ "${QBOX_DEMO_PREBUILT:-0}" = 1 ] || build
    rm -rf "$DEMO" && mkdir -p "$DEMO"
    QBOX_DEMO_STAGE=inside exec "$ROOT/tools/isolated" "'$0' '$MODE'"
    ;;
  inside)
    run_inside
    step "done"
    ;;
esac
