#!/bin/bash
# k4sim seen by an independent K4 client: Hamlib's rigctl (model "Elecraft
# K4") opens it over TCP and over its pseudo-terminal, sets and reads the
# frequency, modes, split and transmit state, and each result must agree
# with k4sim's own state (its control port) and record file. No command of
# rigctl may be answered "?;". Enters a private network namespace itself.
#   rigctl_test.sh K4SIM_PROGRAM
set -u
K4SIM=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QBOX_RIGCTL_INSIDE:-}" ]; then
  exec "$ROOT/tools/isolated" "QBOX_RIGCTL_INSIDE=1 '$0' '$K4SIM'"
fi
command -v rigctl >/dev/null || { echo "rigctl is missing (tools/setup.sh installs libhamlib-utils)"; exit 1; }
MODEL=$(rigctl -l | awk '$2 == "Elecraft" && $3 == "K4" { print $1 }')
WORK=$(mktemp -d)
failures=0 passed=0
trap 'kill $sim 2>/dev/null; wait $sim 2>/dev/null; rm -rf "$WORK"' EXIT

"$K4SIM" --bind 127.0.0.1 --no-discovery --radio name=K4-1,port=0 --control 0 --record "$WORK/received.txt" \
  --pty-link "$WORK/k4.pty" >"$WORK/k4sim.log" 2>&1 &
sim=$!
for _ in $(seq 100); do grep -q "k4sim ready" "$WORK/k4sim.log" && break; sleep 0.1; done
TCP=$(sed -n 's/^radio K4-1 .*tcp=\([0-9.:]*\).*/\1/p' "$WORK/k4sim.log")
CONTROL=$(sed -n 's/^control tcp=.*:\([0-9]*\)$/\1/p' "$WORK/k4sim.log")
PTY=$(readlink "$WORK/k4.pty")
[ -n "$MODEL" ] && [ -n "$TCP" ] && [ -n "$CONTROL" ] && [ -n "$PTY" ] ||
  { echo "setup failed: model '$MODEL'"; cat "$WORK/k4sim.log"; exit 1; }

state() {  # the radio's state line from the control port
  exec 3<>"/dev/tcp/127.0.0.1/$CONTROL" && echo "state K4-1" >&3 && read -r line <&3 && exec 3<&-
  printf '%s\n' "$line"
}

# name, link arguments, expected start of rigctl's output (its lines joined
# by "|"), expected state fields (each " key=value"), rigctl commands...
check() {
  name=$1 link=$2 output=$3 fields=$4; shift 4
  # shellcheck disable=SC2086
  out=$(timeout 30 rigctl -m "$MODEL" $link "$@" 2>&1); code=$?
  now=$(state) bad=""
  [ "$code" -eq 0 ] || bad="rigctl exit $code"
  case "$(printf '%s' "$out" | tr '\n' '|')|" in "$output"*) ;; *) bad="$bad; output does not begin '$output'" ;; esac
  for field in $fields; do case " $now " in *" $field "*) ;; *) bad="$bad; state lacks $field" ;; esac; done
  case " $now " in *" rejected=0 "*) ;; *) bad="$bad; k4sim answered '?;'" ;; esac
  if [ -z "$bad" ]; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failures=$((failures + 1)); echo "FAIL $name: $bad"
    printf '%s\n' "$out" "state: $now" | sed 's/^/     /'
  fi
}

run_link() {  # label, rigctl link arguments, base frequency in hertz
  label=$1 link=$2 base=$3
  check "$label: F/f" "$link" "$base|" "fa=$base" F "$base" f
  check "$label: M/m USB" "$link" "USB|" "mode=2" M USB 0 m
  check "$label: M/m CW" "$link" "CW|" "mode=3" M CW 0 m
  check "$label: M/m PKTUSB" "$link" "PKTUSB|" "mode=6 dt=0" M PKTUSB 0 m
  check "$label: S 1 VFOB, I, i, s" "$link" "$((base + 2500))|1|VFOB|" "split=1 fb=$((base + 2500))" \
    S 1 VFOB I $((base + 2500)) i s
  check "$label: S 0 VFOA" "$link" "0|VFOA|" "split=0" S 0 VFOA s
  check "$label: T 1, t" "$link" "1|" "tx=1" T 1 t
  check "$label: T 0, t" "$link" "0|" "tx=0" T 0 t
}

run_link tcp "-r $TCP" 7010000
run_link pty "-r $PTY -s 38400" 14025000
if grep -q "FA00007010000;.*FT1;.*TX;.*FA00014025000;" "$WORK/received.txt"; then
  passed=$((passed + 1)); echo "ok   the record file holds rigctl's sets"
else
  failures=$((failures + 1)); echo "FAIL the record file lacks rigctl's sets"
fi

echo "rigctl: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
