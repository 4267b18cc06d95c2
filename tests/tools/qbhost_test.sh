#!/bin/sh
# qbhost end to end under Wine: the driver registered in a prefix of the
# test's own, simulated radios (k4sim.exe) on loopback, and qbhost's output
# and exit code for each row of the tables below. It enters a private
# network namespace of its own (tools/isolated), so that its radios on fixed
# ports and its discovery meet no other test's, and it runs beside them.
#   qbhost_test.sh WINDOWS_BUILD_DIR
set -u
BUILD=$1
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
[ -n "${QBOX_QBHOST_INSIDE:-}" ] || exec "$ROOT/tools/isolated" "QBOX_QBHOST_INSIDE=1 sh '$0' '$BUILD'"
export QBOX_WINEPREFIX="$BUILD/qbhost-test-prefix"
WORK=$(mktemp -d)
# Wine links the prefix's Documents folder to the home folder when it makes
# the prefix: the reports written there stay in the test's folder.
export HOME="$WORK/home"
mkdir -p "$HOME"
RUN="$ROOT/tools/wine-run"
failures=0 passed=0 sim=""

check() {  # name, expected exit code, expected text (grep -E), command...
  name=$1 want=$2 text=$3; shift 3
  out=$("$@" 2>&1); code=$?
  if [ "$code" -eq "$want" ] && printf '%s' "$out" | grep -Eq -- "$text"; then
    passed=$((passed + 1)); echo "ok   $name"
  else
    failures=$((failures + 1)); echo "FAIL $name (exit $code, wanted $want; looked for /$text/)"; printf '%s\n' "$out" | sed 's/^/     /'
  fi
}
trim() { printf '%s' "$1" | sed 's/^ *//; s/ *$//'; }
# Rows: name | exit code | expected text (grep -E) | command (qbhost ARGS, or received).
run_table() {
  while IFS='|' read -r name want text command; do
    case $name in ''|'#'*) continue ;; esac
    check "$(trim "$name")" $want "$(trim "$text")" eval "$command"
  done
}
qbhost() { "$RUN" "$BUILD/tools/qbhost/qbhost.exe" "$@"; }
received() { tr -d '\n' <"$WORK/received.txt"; }
# One request to k4sim's control port, and its answer.
sim_request() {
  bash -c "exec 3<>/dev/tcp/127.0.0.1/$CONTROL && echo '$1' >&3 && read -r line <&3 && echo \"\$line\""
}
start_sim() {
  [ -z "$sim" ] || { kill $sim; wait $sim 2>/dev/null; }
  "$RUN" "$BUILD/tools/k4sim/k4sim.exe" --bind 127.0.0.1 --control 0 "$@" >"$WORK/k4sim.log" 2>&1 &
  sim=$!
  for _ in $(seq 300); do grep -q "k4sim ready" "$WORK/k4sim.log" 2>/dev/null && break; sleep 0.1; done
  CONTROL=$(sed -n 's/^control tcp=.*:\([0-9]*\).*$/\1/p' "$WORK/k4sim.log" | tr -d '\r')
}
# The radio's own transmit state, from k4sim's control port: tx=0 or tx=1.
radio_tx() { sim_request "state $1" | grep -o 'tx=[01]'; }
# qbhost tx in the background: once the radio is keyed, optionally a signal;
# prints on one line the radio's state while keyed, qbhost's output and the
# radio's state after qbhost ended, and returns qbhost's exit code.
keyed_run() {  # signal or "none", qbhost tx options...
  signal=$1; shift
  # Not through the qbhost function: the signal must reach Wine's process.
  "$RUN" "$BUILD/tools/qbhost/qbhost.exe" tx "$@" >"$WORK/tx.out" 2>&1 &
  pid=$!
  for _ in $(seq 100); do [ "$(radio_tx K4-Alpha)" = tx=1 ] && break; sleep 0.1; done
  keyed=$(radio_tx K4-Alpha)
  [ "$signal" = none ] || kill -"$signal" $pid
  wait $pid; code=$?
  printf 'while keyed: %s %s after: %s\n' "$keyed" "$(tr '\r\n' '  ' <"$WORK/tx.out")" "$(radio_tx K4-Alpha)"
  return $code
}
# A command while K4-Alpha answers 1.5 s late (it carries commands out at
# once): Ctrl+C reaches qbhost tx --hold before the key is confirmed.
slow_answers() {
  sim_request 'faults K4-Alpha latency-ms=1500' >/dev/null
  "$@"; code=$?
  sim_request 'clear K4-Alpha' >/dev/null
  return $code
}
# A command's output (stdout and stderr) on one line, and its exit code.
oneline() { out=$("$@" 2>&1); code=$?; printf '%s\n' "$out" | tr '\n\r' '  '; return $code; }
report_text() { tr '\n\r' '  ' <"$WORK/report.txt"; }
# A program that holds the driver, started in the background once it says so.
hold_driver() {  # word it prints once holding, program, arguments...
  word=$1; shift
  "$RUN" "$@" >"$WORK/holder.log" 2>&1 &
  holder=$!
  for _ in $(seq 100); do grep -q "$word" "$WORK/holder.log" && break; sleep 0.1; done
}
# The log folder's copies for the keeping check: five that qbhost recorded
# (the oldest first) and one of the user's own of the same form.
seed_copies() {
  printf '# copies\r\n' >"$LOGS/k4logio-copies.txt"
  for n in 1 2 3 4 5; do
    echo "copy $n" >"$LOGS/k4logio-20200101-00000$n.log"
    printf 'k4logio-20200101-00000%s.log\r\n' $n >>"$LOGS/k4logio-copies.txt"
  done
  echo "the user's own" >"$LOGS/k4logio-20190101-000000.log"
}
there() { [ -e "$LOGS/$1" ] && echo kept || echo deleted; }
copies_state() {
  printf 'oldest %s, second %s, own %s, recorded %s\n' "$(there k4logio-20200101-000001.log)" \
    "$(there k4logio-20200101-000002.log)" "$(there k4logio-20190101-000000.log)" \
    "$(grep -c '^k4logio-' "$LOGS/k4logio-copies.txt")"
}
log_files() { printf 'log %s bytes, %s copies\n' "$(stat -c %s "$LOGS/k4logio.log")" "$(ls "$LOGS" | grep -c '^k4logio-.*log$')"; }
# A key's line in section RIGS replaced, or removed without a value.
set_key() {  # key, value or nothing
  sed -i "/^$1=/d" "$INI"
  [ $# -lt 2 ] || printf '%s=%s\r\n' "$1" "$2" >>"$INI"
}
cleanup() { WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null; kill $sim 2>/dev/null; rm -rf "$WORK"; }
trap cleanup EXIT

rm -rf "$QBOX_WINEPREFIX"
# Under Wine every radio answers discovery from 127.0.0.1, so they differ by
# TCP port: slot 1 (the logger's slot 2) reaches 9201 through its ini key.
start_sim --radio "name=K4-Alpha,id=K4A001,port=9200,record=$WORK/received.txt" \
  --radio name=K4-Silent,id=K4B002,port=9201,silent
mkdir "$WORK/unregistered"
run_table <<'ROWS'
unregistered driver       | 3 | the K4 driver is not registered .* there is no per-user registration either.* run the setup program, QboxK4Driver-[0-9.]+-setup.exe, or by hand .*: C:.windows.system32.regsvr32.exe | oneline qbhost list
report in Documents       | 0 | report written: C:.users.[^ ]+.Documents.QboxK4Driver-report-[0-9]{8}-[0-9]{6}.txt | cd "$WORK/unregistered" && qbhost report
report names no driver    | 0 | for all users \(32-bit view\): not registered .*Logging is off: LogFileFolder is not set.* none polled: the K4 driver is not registered | cat "$HOME"/QboxK4Driver-report-*.txt | tr '\n\r' '  '
ROWS
# A per-user registration, which Wine's COM does not read (nor Windows' for
# an elevated program, which qbhost is under Wine): qbhost names it.
"$RUN" regsvr32 /s /n /i:user "$BUILD/server/QboxK4Driver.dll"
run_table <<'ROWS'
per-user registration     | 3 | not registered .*HKEY_CURRENT_USER.Software.Classes.CLSID.\{DDC012F8-A786-4584-856D-044BC1F49414\} names .*QboxK4Driver.dll.* Install the driver for all users | oneline qbhost list
ROWS
"$RUN" regsvr32 /s /u /n /i:user "$BUILD/server/QboxK4Driver.dll"
"$RUN" regsvr32 /s "$BUILD/server/QboxK4Driver.dll"
# The log in a folder of the user's profile, which the report hides; a key
# of another driver's, which the report leaves out.
WINUSER=$(ls "$QBOX_WINEPREFIX/drive_c/users" | grep -v '^Public$' | head -n 1)
LOGS="$QBOX_WINEPREFIX/drive_c/users/$WINUSER/K4Logs"
INI="$QBOX_WINEPREFIX/drive_c/windows/quillbox.ini"
mkdir -p "$LOGS"
printf '[RIGS]\r\nELECRAFT_K4_TCP_PORTNUMBER_SLOT2=9201\r\nELECRAFT_K4_TCP_PORTNUMBER_SLOT3=9202\r\nELECRAFT_K4_TCP_PORTNUMBER_SLOT5=70000\r\nOtherRigPassword=hunter2\r\n' >"$INI"
set_key LogFileFolder "C:\\users\\$WINUSER\\K4Logs"

run_table <<'ROWS'
help                      | 0 | slot 0 to 11, the logger's slot S\+1         | qbhost --help
-h lists the mode names   | 0 | LSB USB CW FM AM DATA CW-R DATA-R            | qbhost poll -h
version                   | 0 | ^qbhost [0-9]+(\.[0-9]+){3}\b             | qbhost --version
unknown command           | 2 | unknown command "frobnicate"                 | qbhost frobnicate
mode number out of range  | 2 | --mode 12: not a mode                        | qbhost set --slot 0 --rx 7010 --mode 12
unknown mode name         | 2 | --mode CWR: not a mode                       | qbhost set --slot 0 --rx 7010 --mode CWR
MHz typed for kHz         | 2 | --rx 14.074: looks like MHz: use 14074 \(kHz | qbhost set --slot 0 --rx 14.074
Hz typed for kHz          | 2 | --tx 7012500: looks like Hz: use 7012.5 \(kHz| qbhost set --slot 0 --rx 7010 --tx 7012500
comma in a frequency      | 2 | --rx 7,010: use a dot                        | qbhost set --slot 0 --rx 7,010
beyond the K4's range     | 2 | --rx 60000: outside the K4's range           | qbhost set --slot 0 --rx 60000
slot beyond the keys      | 2 | --slot 12: slots go from 0 to 11             | qbhost poll --slot 12
negative slot             | 2 | --slot -1: slots go from 0 to 11             | qbhost poll --slot -1
option of another command | 2 | poll takes no option --rx                    | qbhost poll --slot 0 --rx 7010
tx longer than a minute   | 2 | tx --seconds 61: at most 60 s of transmitting | qbhost tx --slot 0 --seconds 61
list shows the radios     | 0 | 2  K4-Silent .*saved choice for slot 0: none \(K4Slot1 is not set\) | oneline qbhost list
the log is moved aside    | 0 | ^the driver's log so far is kept as C:.users.[^ ]+.K4Logs.k4logio-[0-9]{8}-[0-9]{6}(-[0-9]+)?.log .*1  K4-Alpha | oneline qbhost list
five copies kept          | 0 | oldest deleted, second kept, own kept, recorded 5 | seed_copies; qbhost list >/dev/null; copies_state
nothing saved for a slot  | 4 | no radio saved for slot 0 \(K4Slot1 is not set\): choose one with --choice N | qbhost poll --slot 0 --seconds 0
choice out of range       | 4 | no radio with choice 5                       | qbhost poll --slot 0 --choice 5 --seconds 0
poll names radio, address | 0 | RX +14074.000 kHz +TX +14074.000 kHz +USB +split off +K4-Alpha at 127.0.0.1:9200, answering | qbhost poll --slot 0 --choice 1 --seconds 0.3
list shows the saved one  | 0 | saved choice for slot 0: 1  K4-Alpha \(K4Slot1=K4A001\) | qbhost list
highest slot              | 0 | K4-Alpha at 127.0.0.1:9200, answering        | qbhost poll --slot 11 --choice 1 --seconds 0
set by mode name          | 0 | RX +7010.000 kHz +TX +7010.000 kHz +CW +split off +K4-Alpha | qbhost set --slot 0 --rx 7010 --mode cw --seconds 0
set was confirmed         | 0 | set confirmed by K4-Alpha at 127.0.0.1:9200: KS, then a poll | qbhost set --slot 0 --rx 7010 --mode 3 --seconds 0
set sent its sequence     | 0 | FA00007010000;MD3;FT0;KS;                    | received
set keeps the radio's mode| 0 | set: RX 7020 kHz, TX 7020 kHz, CW \(the radio's mode\), split off .*set confirmed .*RX +7020.000 kHz .* CW  | oneline qbhost set --slot 0 --rx 7020 --seconds 0
reversed CW by name       | 0 | RX +3525.000 kHz.* CW                        | qbhost set --slot 0 --rx 3525 --mode CW-R --seconds 0
reversed DATA by number   | 0 | RX +10125.000 kHz.* DATA                     | qbhost set --slot 0 --rx 10125 --mode 9 --seconds 0
reversed modes were sent  | 0 | FA00003525000;MD7;.*FA00010125000;MD9;       | received
split set                 | 0 | TX +7012.500 kHz +CW +split on               | qbhost set --slot 0 --rx 7010 --tx 7012.5 --mode CW --seconds 0.3
tx                        | 0 | tx: keying K4-Alpha at 127.0.0.1:9200 for 1 s | qbhost tx --slot 0
rx                        | 0 | rx: unkeyed K4-Alpha at 127.0.0.1:9200: a poll sent after RX was answered | qbhost rx --slot 0
up                        | 0 | up: sent                                     | qbhost up --slot 0
down                      | 0 | down: sent                                   | qbhost down --slot 0
clear-rit                 | 0 | clear-rit: sent                              | qbhost clear-rit --slot 0
commands reached radio    | 0 | TX;.*RX;.*UP;.*DN;.*RC;                      | received
silent radio: no answer   | 7 | no answer from K4-Silent at 127.0.0.1:9201 within 2 s | qbhost poll --slot 1 --choice 2 --seconds 0
silent radio: set fails   | 8 | set not confirmed: no KS answer from K4-Silent at 127.0.0.1:9201 within 1.5 s | qbhost set --slot 1 --rx 7010 --mode CW
tx keys, then unkeys      | 0 | while keyed: tx=1 .*tx: unkeyed K4-Alpha at 127.0.0.1:9200: a poll sent after RX was answered +after: tx=0 | keyed_run none --slot 0 --seconds 1
Ctrl+C unkeys before exit | 0 | while keyed: tx=1 .*tx: stopped by Ctrl\+C +tx: unkeyed K4-Alpha .* after: tx=0 | keyed_run INT --slot 0 --seconds 60
--hold leaves it keyed    | 0 | keyed: a poll sent after TX was answered +qbhost: warning: K4-Alpha at 127.0.0.1:9200 is left transmitting \(--hold\): qbhost rx --slot 0 unkeys it +after: tx=1 | keyed_run none --slot 0 --hold
rx unkeys it              | 0 | rx: unkeyed K4-Alpha.* tx=0 | oneline qbhost rx --slot 0 && radio_tx K4-Alpha
Ctrl+C while --hold waits | 0 | while keyed: tx=1 .*tx: stopped by Ctrl\+C +tx: unkeyed K4-Alpha .* after: tx=0 | slow_answers keyed_run INT --slot 0 --hold
--hold keys it again      | 0 | after: tx=1 | keyed_run none --slot 0 --hold
rx on a half-open link    | 9 | unkey not confirmed: K4-Alpha at 127.0.0.1:9200 answered no poll sent after RX within 2 s, on its link or a new one: the radio may still be transmitting | sim_request 'faults K4-Alpha halfopen=1' >/dev/null; oneline qbhost rx --slot 0
it was not confirmed      | 0 | ^ok tx=1$ | { sim_request 'clear K4-Alpha'; radio_tx K4-Alpha; } | tr '\n' ' ' | sed 's/ $//'
rx unkeys it again        | 0 | rx: unkeyed K4-Alpha.* tx=0 | oneline qbhost rx --slot 0 && radio_tx K4-Alpha
--hold takes no --seconds | 2 | --hold leaves the radio keyed: it takes no --seconds | qbhost tx --slot 0 --hold --seconds 1
silent radio: still keyed | 9 | unkey not confirmed: K4-Silent at 127.0.0.1:9201 answered no poll sent after RX within 2 s, on its link or a new one: the radio may still be transmitting | qbhost tx --slot 1 --seconds 0
a COM port that fails     | 5 | cannot open COM9: .* \(error [0-9]+\); under Wine COM9 is the link dosdevices/com9 .*dialout | oneline qbhost serial COM9 --seconds 0
list names a bad port     | 0 | ELECRAFT_K4_TCP_PORTNUMBER_SLOT5=70000 is not a port: the driver uses 4464 | qbhost list
poll names a bad port     | 5 | ELECRAFT_K4_TCP_PORTNUMBER_SLOT5=70000 is not a port: the driver uses 4464 .*no TCP connection to K4-Alpha at 127.0.0.1:4464 | oneline qbhost poll --slot 4 --choice 1 --seconds 0
report, logger closed     | 0 | report written: .*report.txt | qbhost report --out "$WORK/report.txt"
report: what it holds     | 0 | ^QboxK4Driver report, written .* It holds the radios' network addresses, remote ones \(ELECRAFT_K4_IP_ADDRESSES\) included | report_text
report: programs          | 0 | qbhost [0-9.]+, Z:.*qbhost.exe, version record [0-9.]+ +runs elevated \(as administrator\): [a-z]+ +Windows [0-9.]+ build [0-9]+, 32-bit Windows +Wine [0-9] | report_text
report: registration      | 0 | for all users \(32-bit view\): .*QboxK4Driver.dll, version [0-9.]+, ThreadingModel Apartment +key HKEY_LOCAL_MACHINE.Software.Classes.CLSID.\{DDC012F8 | report_text
report: type library      | 0 | for all users: +type library \{FE4F5263-11D5-4724-95BA-A978983B6369\} 1.0: .*QboxK4Driver.dll +IRigManager \{DE2BA9C8-CF2E-41DF-8B64-441C516B64AE\}: this driver's type library .*IQbRigIO \{BA04A117-26C3-4C87-A3BA-F3D7A1D8C4FE\}: this driver's type library +for the current user: +type library \{FE4F.*\} 1.0: not registered +no key of the driver's interfaces | report_text
report: settings          | 0 | quillbox.ini, section \[RIGS\]: the driver's keys only +C:.windows.quillbox.ini .*LogFileFolder=%USERPROFILE%.K4Logs .*K4Slot5=K4A001 +values the driver uses otherwise than they read: +ELECRAFT_K4_TCP_PORTNUMBER_SLOT5=70000 is not a port: the driver uses 4464 | report_text
report: nothing else      | 0 | ^kept back$ | grep -Eiq "hunter2|OtherRig|users.$WINUSER" "$WORK/report.txt" && echo leaked || echo kept back
report: not in use        | 0 | the driver in use +no other program holds it | report_text
report: the log moved     | 0 | %USERPROFILE%.K4Logs.k4logio-[0-9]{8}-[0-9]{6}(-[0-9]+)?.log, [0-9]+ bytes: k4logio.log as it was before qbhost loaded the driver, moved aside whole; all of it follows: +quillbox k4 driver version .*  1 +[0-9]+ ELECRAFT_K4_TCP_PORTNUMBER_SLOT5=70000 is not a port: the driver uses 4464 | report_text
report: discovery         | 0 | radios found by discovery .* 1  K4-Alpha, id K4A001, answered from 127.0.0.1 +2  K4-Silent, id K4B002, answered from 127.0.0.1 | report_text
report: saved slots polled| 0 | slot 0, K4Slot1=K4A001: +RX +[0-9.]+ kHz .*every poll answered for 5 s +slot 1, K4Slot2=K4B002: +no answer from K4-Silent at 127.0.0.1:9201 .*slot 4, K4Slot5=K4A001: .*4464 | report_text
report: only saved slots  | 0 | slot 3 not polled | report_text | grep -q "slot 3," && echo "slot 3 polled" || echo "slot 3 not polled"
report: unwritable        | 6 | cannot write the report to | qbhost report --out "$WORK/no such folder/report.txt"
ROWS

# The logger (a stand-in) holds the driver and has its log open: no command
# loads the driver, --force included, and the log stays as it is.
hold_driver holding "$BUILD/tests/tools/logger_standin.exe" 60
LOG_BEFORE=$(log_files)
run_table <<'ROWS'
logger holds the driver   | 10 | another program holds the driver: logger_standin.exe \(process [0-9]+\)\. It is the logger, as a rule.* run qbhost with --force | oneline qbhost poll --slot 0
its log is not moved      | 11 | the driver's log C:.users.[^ ]+.K4Logs.k4logio.log cannot be moved aside \(.+\): qbhost does not load the driver, which would start the log afresh | oneline qbhost poll --slot 0 --force
the log is as it was      | 0 | same | [ "$(log_files)" = "$LOG_BEFORE" ] && echo same || echo "changed: $LOG_BEFORE, now $(log_files)"
report, logger open       | 0 | report written: .*report.txt | qbhost report --out "$WORK/report.txt"
report: the log in place  | 0 | %USERPROFILE%.K4Logs.k4logio.log, [0-9]+ bytes, as it is now: the program that holds the driver writes it; all of it follows: +quillbox k4 driver version .* radios and polls: left out | report_text
ROWS
kill $holder; wait $holder 2>/dev/null

# A running program that holds the driver without a log (logging off): the
# slot commands refuse unless --force; the report leaves discovery and polls
# out and says that the driver is held, naming no program. It also names
# the values the driver cannot use, and an interface registered by another
# type library (the logger's IQbRigIO).
set_key LogFileFolder
set_key ELECRAFT_K4_PORTNUMBER abc
set_key K4onSerialEnable yes
"$RUN" reg add 'HKLM\Software\Classes\Interface\{BA04A117-26C3-4C87-A3BA-F3D7A1D8C4FE}\TypeLib' /ve /d '{0E0E0E0E-1111-2222-3333-444444444444}' /f >/dev/null 2>&1
hold_driver loaded "$BUILD/tests/installer/setup_helper.exe" hold "$BUILD/server/QboxK4Driver.dll" 60
run_table <<'ROWS'
held: list refused        | 10 | another program holds the driver: setup_helper.exe \(process [0-9]+\) | oneline qbhost list
held: --force runs        | 4 | ELECRAFT_K4_PORTNUMBER=abc is not a port or a service name: the driver sends no search and finds no radio .*no radio found | oneline qbhost list --force
report, driver held       | 0 | report written: .*report.txt | qbhost report --out "$WORK/report.txt"
report says it is held    | 0 | the driver in use +yes: another program holds it \(the logger, as a rule\) .*radios and polls: left out +Another program may hold the driver: the logger must be closed | report_text
report names no program   | 0 | ^not named$ | grep -q setup_helper "$WORK/report.txt" && echo named || echo not named
report, logging off       | 0 | Logging is off: LogFileFolder is not set in section \[RIGS\] of C:.windows.quillbox.ini | report_text
report: bad values        | 0 | values the driver uses otherwise than they read: .*ELECRAFT_K4_PORTNUMBER=abc is not a port or a service name.* K4onSerialEnable=yes is not a number: the driver takes it as 0 | report_text
report: foreign interface | 0 | IQbRigIO \{BA04A117-26C3-4C87-A3BA-F3D7A1D8C4FE\}: type library \{0E0E0E0E-1111-2222-3333-444444444444\}, another program's \(the logger's, as a rule\) | report_text
held: nothing polled      | 0 | no polls | report_text | grep -q "slot 0," && echo "polled" || echo "no polls"
ROWS
kill $holder; wait $holder 2>/dev/null
set_key ELECRAFT_K4_PORTNUMBER
set_key K4onSerialEnable

# A radio that answers the probe but refuses the TCP link, on the default
# port (slot 0) and on the port of slot 2's key; slot 0's saved radio is gone.
# The log folder no longer exists.
start_sim --radio name=K4-Refusing,id=K4C003,port=9200,refuse
set_key LogFileFolder 'C:\K4Logs-gone'
run_table <<'ROWS'
list: saved radio gone    | 0 | saved choice for slot 0: K4Slot1=K4A001 not found | qbhost list
poll: saved radio gone    | 4 | the radio saved for slot 0, K4Slot1=K4A001, was not found: it did not answer discovery | qbhost poll --slot 0
poll: no log folder       | 5 | LogFileFolder=C:.K4Logs-gone names a folder that does not exist: the driver writes no log | oneline qbhost poll --slot 0 --choice 1 --seconds 0
link down, default port   | 5 | link down: no TCP connection to K4-Refusing at 127.0.0.1:9200 \(TCP port 9200 is the default: ELECRAFT_K4_TCP_PORTNUMBER_SLOT1 is not set in C:.windows.quillbox.ini\) | qbhost poll --slot 0 --choice 1 --seconds 0
link down, port from key  | 5 | K4-Refusing at 127.0.0.1:9202 \(TCP port 9202 from ELECRAFT_K4_TCP_PORTNUMBER_SLOT3 in C:.windows.quillbox.ini\) | qbhost poll --slot 2 --choice 1 --seconds 0
report: no log folder     | 0 | k4logio.log +LogFileFolder=C:.K4Logs-gone names a folder that does not exist | qbhost report --out "$WORK/report.txt" >/dev/null; report_text
ROWS

echo "qbhost: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
