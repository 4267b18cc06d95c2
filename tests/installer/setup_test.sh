#!/bin/sh
# The setup program under Wine, in a throwaway prefix of the given kind: a
# silent install for the current user, an upgrade refused while a program
# holds the driver loaded, an upgrade whose registration fails, the upgrade,
# the uninstall; then an install and uninstall for all users, and (64-bit) the
# zip's register.cmd. Registry keys are read in the 32-bit view, where the
# 32-bit logger looks. Enters a private network namespace itself.
#   setup_test.sh win32|win64 PACKAGE_DIR HOLD_DLL_EXE WORK_DIR
# PACKAGE_DIR holds the setup programs of two versions and the older one's zip.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QBOX_SETUP_TEST_INSIDE:-}" ]; then
  exec "$ROOT/tools/isolated" "QBOX_SETUP_TEST_INSIDE=1 '$0' '$1' '$2' '$3' '$4'"
fi
ARCH=$1 PACKAGES=$2 HOLD=$3 WORK=$4
export QBOX_WINEARCH=$ARCH QBOX_WINEPREFIX="$WORK/prefix-$ARCH"
OLD_SETUP=$(ls "$PACKAGES"/QboxK4Driver-*-setup.exe | sort -V | head -n 1)
NEW_SETUP=$(ls "$PACKAGES"/QboxK4Driver-*-setup.exe | sort -V | tail -n 1)
version_of() { basename "$1" | sed 's/^QboxK4Driver-\(.*\)-setup.exe$/\1/'; }
OLD=$(version_of "$OLD_SETUP") NEW=$(version_of "$NEW_SETUP")
CLASS='Software\Classes\CLSID\{ddc012f8-a786-4584-856d-044bc1f49414}'
ENTRY='Software\Microsoft\Windows\CurrentVersion\Uninstall\QboxK4Driver'
FILES="QboxK4Driver.dll qbhost.exe user-guide.html address-dialog.png Uninstall.exe"
passed=0 failures=0

check() {  # name, command...: passes when the command succeeds
  name=$1; shift
  if out=$("$@" 2>&1); then
    passed=$((passed + 1)); printf 'ok   %s: %s\n' "$ARCH" "$name"
  else
    failures=$((failures + 1)); printf 'FAIL %s: %s\n' "$ARCH" "$name"; printf '%s\n' "$out" | sed 's/^/     /'
  fi
}
wine() { "$ROOT/tools/wine-run" "$@"; }
unix_path() { WINEPREFIX="$QBOX_WINEPREFIX" winepath -u "$1" 2>/dev/null; }
# The data of a registry value in the 32-bit view; "" names the default value.
reg_value() {  # key, value name
  if [ -z "$2" ]; then set -- "$1" "(Default)" /ve; else set -- "$1" "$2" /v "$2"; fi
  wine reg query "$1" "$3" ${4:+"$4"} /reg:32 2>/dev/null | tr -d '\r' | sed -n "s/^ *$2 *REG_[A-Z_]* *//p"
}
absent() { ! wine reg query "$1" "/reg:${2:-32}" >/dev/null 2>&1; }  # key, [view]
equal() { [ "$1" = "$2" ] || { echo "got '$1', wanted '$2'"; return 1; }; }
exits() {  # code, command...
  want=$1; shift
  "$@"; code=$?
  [ "$code" -eq "$want" ] || { echo "exit code $code, wanted $want"; return 1; }
}
# Uninstall.exe hands the work to a copy of itself in %TEMP% and returns at
# once; the copy is done when the prefix's last process has ended.
uninstall() { wine "$1\\Uninstall.exe" /S && WINEPREFIX="$QBOX_WINEPREFIX" wineserver -w; }
# A silent run that fails writes its reason to %TEMP%\QboxK4Driver-setup.log.
logged() { iconv -f UTF-16 -t UTF-8 "$TEMP_DIR/QboxK4Driver-setup.log" | grep -q -- "$1"; }
typelib_at() { wine reg query 'HKCR\TypeLib\{fe4f5263-11d5-4724-95ba-a978983b6369}\1.0\0\win32' /reg:32 | grep -qF "$1"; }
left_alone() {  # quillbox.ini's checksum before, log files...
  equal "$(md5sum <"$ini")" "$1" || return 1
  shift
  for f in "$@"; do [ -f "$f" ] || { echo "$f removed"; return 1; }; done
}

# The installed state: file contents, registered path, entry version.
snapshot() {  # root (HKCU or HKLM), folder (Windows)
  (cd "$(unix_path "$2")" && md5sum $FILES)
  reg_value "$1\\$CLASS\\InprocServer32" ""
  reg_value "$1\\$ENTRY" DisplayVersion
}

installed() {  # root, folder, version
  root=$1 dir=$2 version=$3 udir=$(unix_path "$2")
  for f in $FILES; do [ -f "$udir/$f" ] || { echo "missing $f"; return 1; }; done
  equal "$(reg_value "$root\\$CLASS\\InprocServer32" "")" "$dir\\QboxK4Driver.dll" &&
  equal "$(reg_value "$root\\$CLASS\\InprocServer32" ThreadingModel)" Apartment &&
  equal "$(reg_value "$root\\$ENTRY" DisplayVersion)" "$version" &&
  equal "$(reg_value "$root\\$ENTRY" UninstallString)" "\"$dir\\Uninstall.exe\"" &&
  equal "$(reg_value "$root\\$ENTRY" Publisher)" "QboxK4Driver project" &&
  reg_value "$root\\$ENTRY" DisplayName | grep -q "Elecraft K4" &&
  [ "$(($(reg_value "$root\\$ENTRY" EstimatedSize)))" -gt 1000 ] &&
  strings -el "$udir/QboxK4Driver.dll" | grep -qx "$(echo "$version" | tr . ,) "
}

removed() {  # root, folder
  udir=$(unix_path "$2")
  for f in $FILES; do [ ! -e "$udir/$f" ] || { echo "left $f"; return 1; }; done
  absent "$1\\$CLASS" && absent "$1\\$ENTRY"
}

driver_found() {  # qbhost.exe: RigManager created through CoCreateInstance
  out=$(wine "$1" list 2>&1); code=$?
  echo "$out"
  [ "$code" -ne 3 ] && echo "$out" | grep -q "Elecraft K4 via IP"
}

rm -rf "$QBOX_WINEPREFIX" && mkdir -p "$WORK"
trap 'WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null' EXIT
TEMP_DIR=$(unix_path "$(wine cmd /c echo %TEMP% | tr -d '\r')")
ini="$QBOX_WINEPREFIX/drive_c/windows/quillbox.ini"
printf '[RIGS]\r\nK4Slot1=K4A001\r\nLogFileFolder=C:\\k4logs\r\n' >"$ini"

# For the current user.
start=$(date +%s.%N)
check "silent install for the current user" exits 0 wine "$OLD_SETUP" /S
echo "     (silent install: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $start }") s)"
dir=$(reg_value "HKCU\\$ENTRY" InstallLocation)
check "files, class key and entry of $OLD in $dir" installed HKCU "$dir" "$OLD"
check "type library registered" typelib_at "$dir"
# Wine's COM reads classes only from the machine's HKCR; Windows merges the
# user's classes over it, so qbhost list is checked after the all-users install.

before=$(snapshot HKCU "$dir")
"$ROOT/tools/wine-run" "$HOLD" "$dir\\QboxK4Driver.dll" 120 >"$WORK/hold-$ARCH.out" 2>&1 &
holder=$!
for _ in $(seq 100); do grep -q loaded "$WORK/hold-$ARCH.out" 2>/dev/null && break; sleep 0.1; done
rm -f "$TEMP_DIR/QboxK4Driver-setup.log"
check "upgrade refused while the DLL is loaded (exit 3)" exits 3 wine "$NEW_SETUP" /S
check "... nothing changed" equal "$(snapshot HKCU "$dir")" "$before"
check "... the reason is logged" logged "close the logger and retry"
kill $holder; wait $holder 2>/dev/null

# A driver that cannot load (a library it needs is disabled) cannot register.
rm -f "$TEMP_DIR/QboxK4Driver-setup.log"
check "failed registration ends the upgrade (exit 4)" exits 4 \
  env WINEDLLOVERRIDES='mscoree,mshtml=;iphlpapi=' "$ROOT/tools/wine-run" "$NEW_SETUP" /S
check "... with the error's meaning" logged "could not be loaded: .* (0x0000007E)"
check "... nothing changed" equal "$(snapshot HKCU "$dir")" "$before"

check "silent upgrade to $NEW" exits 0 wine "$NEW_SETUP" /S
check "files, class key and entry of $NEW" installed HKCU "$dir" "$NEW"

logs="$QBOX_WINEPREFIX/drive_c/k4logs/k4logio.log $(unix_path "$dir")/k4logio.log"
for f in $logs; do mkdir -p "$(dirname "$f")" && echo "log" >"$f"; done
ini_before=$(md5sum <"$ini")
check "silent uninstall" uninstall "$dir"
check "... files, class key and entry removed" removed HKCU "$dir"
check "... quillbox.ini and the logs left alone" left_alone "$ini_before" $logs

# For all users.
check "silent install for all users" exits 0 wine "$NEW_SETUP" /S /ALLUSERS
dir=$(reg_value "HKLM\\$ENTRY" InstallLocation)
check "files, class key and entry in $dir" installed HKLM "$dir" "$NEW"
[ "$ARCH" = win32 ] || check "... class key not in the 64-bit view" absent "HKLM\\$CLASS" 64
check "qbhost list finds the driver" driver_found "$dir\\qbhost.exe"
check "silent uninstall" uninstall "$dir"
check "... files, class key and entry removed" removed HKLM "$dir"

# The zip's register.cmd, which picks the 32-bit regsvr32 on 64-bit Windows.
if [ "$ARCH" = win64 ]; then
  zipdir="$QBOX_WINEPREFIX/drive_c/zip"
  python3 -m zipfile -e "$PACKAGES/QboxK4Driver-$OLD.zip" "$zipdir"
  cmds="C:\\zip\\QboxK4Driver-$OLD"
  check "register.cmd /all /s" wine cmd /c "$cmds\\register.cmd" /all /s
  check "... qbhost list finds the driver" driver_found "$cmds\\qbhost.exe"
  check "unregister.cmd /all /s" wine cmd /c "$cmds\\unregister.cmd" /all /s
  check "... class removed" absent "HKLM\\$CLASS"
  check "register.cmd /s for the current user" wine cmd /c "$cmds\\register.cmd" /s
  check "... class key in the user's classes" equal "$(reg_value "HKCU\\$CLASS\\InprocServer32" "")" \
    "$cmds\\QboxK4Driver.dll"
  check "unregister.cmd /s" wine cmd /c "$cmds\\unregister.cmd" /s
  check "... class removed" absent "HKCU\\$CLASS"
fi

echo "setup $ARCH: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
