#!/bin/sh
# The setup program under Wine, in a throwaway prefix of the given kind:
# the default install for all users (refused without administrator rights,
# started again with "runas"), a folder of other files refused, its upgrade
# in place, refused while a program holds the driver, failing registration
# and failing rollback, a refused downgrade; /CURRENTUSER refused under Wine,
# and a per-user install that an earlier setup program made beside it; the
# uninstaller's own exit codes (removed, administrator rights, leftovers)
# when keys are already gone or the DLL does not load, run in place as the
# user guide gives it for a Linux shell; the setup log (UTF-8, written by
# every run); the logger's own registration of the interfaces it shares
# with the driver, which every step leaves as it was; and (64-bit) the zip's
# register.cmd. The decisions Wine cannot show (a run that is not elevated
# getting rights, a standard account, the scope page and moving a per-user
# install to all users) run as a table through tests/installer/ScopeCases.nsi.
# Registry keys are read in the 32-bit view, where the 32-bit logger looks.
# Enters a private network namespace itself.
#   setup_test.sh win32|win64 PACKAGE_DIR SETUP_HELPER_EXE WORK_DIR
# PACKAGE_DIR holds the setup programs of two versions and their zips.
#
# Every Wine process is elevated; `setup_helper limited` starts one with the
# account's filtered token instead, as Windows starts a program without "Run
# as administrator". Wine's "runas" does not elevate such a process, so the
# run setup starts that way ends with exit code 5 ("still has no rights"),
# which shows that it was started and that its exit code came back.
set -u
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
if [ -z "${QBOX_SETUP_TEST_INSIDE:-}" ]; then
  exec "$ROOT/tools/isolated" "QBOX_SETUP_TEST_INSIDE=1 '$0' '$1' '$2' '$3' '$4'"
fi
ARCH=$1 PACKAGES=$2 HELPER=$3 WORK=$4
export QBOX_WINEARCH=$ARCH QBOX_WINEPREFIX="$WORK/prefix-$ARCH" LC_ALL=C.UTF-8
OLD_SETUP=$(ls "$PACKAGES"/QboxK4Driver-*-setup.exe | sort -V | head -n 1)
NEW_SETUP=$(ls "$PACKAGES"/QboxK4Driver-*-setup.exe | sort -V | tail -n 1)
version_of() { basename "$1" | sed 's/^QboxK4Driver-\(.*\)-setup.exe$/\1/'; }
OLD=$(version_of "$OLD_SETUP") NEW=$(version_of "$NEW_SETUP")
LIBID='{FE4F5263-11D5-4724-95BA-A978983B6369}'
CLASS='Software\Classes\CLSID\{ddc012f8-a786-4584-856d-044bc1f49414}'
TYPELIB="Software\\Classes\\TypeLib\\$LIBID"
ENTRY='Software\Microsoft\Windows\CurrentVersion\Uninstall\QboxK4Driver'
POLICY='HKLM\SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System'
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
helper() { wine "$HELPER" "$@"; }
unix_path() { WINEPREFIX="$QBOX_WINEPREFIX" winepath -u "$1" 2>/dev/null; }
windows_path() { WINEPREFIX="$QBOX_WINEPREFIX" winepath -w "$1" 2>/dev/null; }
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
# The uninstaller in place, as the user guide gives it for a Linux shell:
# the folder after "_?=" as separate words, split at its blanks (globbing off
# for the "?"), since Wine would quote it whole. wine waits for it and
# returns its exit code; when it has removed the installation (0, 7),
# Uninstall.exe and the folder are left to the caller.
uninstall() {  # folder
  # shellcheck disable=SC2086
  (set -f; wine "$1\\Uninstall.exe" /S _?=$1); code=$?
  if [ $code -eq 0 ] || [ $code -eq 7 ]; then
    rm "$(unix_path "$1")/Uninstall.exe" && rmdir "$(unix_path "$1")" 2>/dev/null
  fi
  return $code
}
# Every run appends how it started and ended, its notes and failures to
# %TEMP%\QboxK4Driver-setup.log, in UTF-8.
log_file() { echo "$TEMP_DIR/QboxK4Driver-setup.log"; }
logged() { grep -q -- "$1" "$(log_file)" || { cat "$(log_file)"; return 1; }; }
utf8_log() {  # the log is UTF-8: valid, and without the zero bytes of UTF-16
  if iconv -f UTF-8 -t UTF-8 "$(log_file)" >/dev/null &&
      [ "$(tr -d '\000' <"$(log_file)" | wc -c)" -eq "$(wc -c <"$(log_file)")" ]; then
    return 0
  fi
  od -c "$(log_file)" | head
  return 1
}
typelib_at() { wine reg query "HKLM\\$TYPELIB\\1.0\\0\\win32" /reg:32 | grep -qF "$1"; }
# The interface keys that name the driver's type library, in a hive.
driver_interfaces() { wine reg query "$1\\Software\\Classes\\Interface" /s /reg:32 | grep -ci "$LIBID"; }
left_alone() {  # quillbox.ini's checksum before, log files...
  equal "$(md5sum <"$ini")" "$1" || return 1
  shift
  for f in "$@"; do [ -f "$f" ] || { echo "$f removed"; return 1; }; done
}
quiet_elevation() {  # on|off: Windows elevates an administrator without asking
  if [ "$1" = on ]; then
    wine reg add "$POLICY" /v ConsentPromptBehaviorAdmin /t REG_DWORD /d 0 /f >/dev/null
  else
    wine reg delete "$POLICY" /v ConsentPromptBehaviorAdmin /f >/dev/null
  fi
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
  equal "$(reg_value "$root\\$ENTRY" HelpLink)" "$dir\\user-guide.html" &&
  equal "$(reg_value "$root\\$ENTRY" Publisher)" "QboxK4Driver project" &&
  reg_value "$root\\$ENTRY" DisplayName | grep -q "Elecraft K4" &&
  [ "$(($(reg_value "$root\\$ENTRY" EstimatedSize)))" -gt 1000 ] &&
  strings -el "$udir/QboxK4Driver.dll" | grep -qx "$(echo "$version" | tr . ,) "
}

# All but Uninstall.exe, which the caller of an uninstall in place deletes.
files_and_entry_gone() {  # root, folder
  udir=$(unix_path "$2")
  for f in $FILES; do [ "$f" = Uninstall.exe ] || [ ! -e "$udir/$f" ] || { echo "left $f"; return 1; }; done
  absent "$1\\$ENTRY"
}
removed() { files_and_entry_gone "$1" "$2" && absent "$1\\$CLASS"; }  # root, folder

# The logger's own registration of IQbRigIO and IQbRig, made by its own type
# library before the driver came, and what the two keys hold.
LOGGER_INTERFACES="{BA04A117-26C3-4C87-A3BA-F3D7A1D8C4FE} {DBFD22D6-5229-407D-A407-E15D7FF35253}"
register_logger_interfaces() {
  { printf 'Windows Registry Editor Version 5.00\n'
    for iid in $LOGGER_INTERFACES; do
      printf '\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\Interface\\%s]\n@="logger interface"\n"Flags"=dword:00000005\n' "$iid"
      printf '\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\Interface\\%s\\ProxyStubClsid32]\n@="{00020424-0000-0000-C000-000000000046}"\n' "$iid"
      printf '\n[HKEY_LOCAL_MACHINE\\Software\\Classes\\Interface\\%s\\TypeLib]\n@="{0B6A0F1E-5C3D-4E2A-9F10-2B7C1D9E8A44}"\n"Version"="3.1"\n' "$iid"
    done; } >"$WORK/logger-$ARCH.reg"
  wine reg import "$(windows_path "$WORK/logger-$ARCH.reg")" /reg:32
}
logger_interfaces() {  # in one cmd: each wine process takes a while
  set --
  for iid in $LOGGER_INTERFACES; do
    set -- "$@" '&' reg query "HKLM\\Software\\Classes\\Interface\\$iid" /s /reg:32
  done
  shift
  wine cmd /c "$@" 2>&1 | tr -d '\r'
}
logger_interfaces_kept() { equal "$(logger_interfaces)" "$LOGGER_KEYS"; }

cmd_says() {  # exit code, text, batch file and arguments: run by cmd, it ends so and says that
  want=$1 text=$2; shift 2
  out=$(wine cmd /c "$@" 2>&1); code=$?
  echo "$out"
  [ "$code" -eq "$want" ] || { echo "exit code $code, wanted $want"; return 1; }
  echo "$out" | grep -qF -- "$text"
}

driver_found() {  # qbhost.exe: RigManager created through CoCreateInstance
  out=$(wine "$1" list 2>&1); code=$?
  echo "$out"
  [ "$code" -ne 3 ] && echo "$out" | grep -q "Elecraft K4 via IP"
}

# The setup program's version record names the product, version and publisher.
setup_version_record() {  # setup program, version
  record=$(strings -el "$1")
  for field in "ProductName QboxK4Driver (Quillbox driver for Elecraft K4)" "ProductVersion $2" \
      "FileVersion $2" "CompanyName QboxK4Driver project"; do
    echo "$record" | grep -A1 -x "${field%% *}" | grep -qxF "${field#* }" || { echo "no $field"; return 1; }
  done
}

# Scope and elevation decisions (installer/Scope.nsh) for this setup program
# of version 2.0.0.0. Fields: want machine-version user-version /DOWNGRADE
# interactive elevated relaunched quiet-elevation wine page-choice
# | scope verdict move.
SCOPE_CASES='
- - - 0 0 1 0 0 0 -       | all go 0       first install, silent, elevated: all users
- - - 0 0 0 0 0 0 -       | all 5 0        silent without rights, Windows would ask: refused
- - - 0 0 0 0 1 0 -       | all elevate 0  silent without rights, Windows elevates quietly
- - - 0 1 0 0 0 0 -       | ask go 0       interactive without rights: the scope page
- - - 0 1 0 0 0 0 all     | all elevate 0  ... "For all users" asks for rights
- - - 0 1 0 0 0 0 user    | user go 0      ... "Only for me" does not
- - - 0 1 1 0 0 0 -       | all go 0       elevated: "only for me" is not offered
all - - 0 1 0 0 0 0 -     | all elevate 0  a standard account: Windows asks for an administrator
all - - 0 1 0 1 0 0 -     | all 5 0        the run started for rights still has none
user - - 0 0 0 0 0 0 -    | user go 0      /CURRENTUSER never asks for rights
user - - 0 0 1 0 0 0 -    | user go 0      /CURRENTUSER from an elevated prompt
- 1.0.0.0 - 0 1 0 0 0 0 - | all elevate 0  upgrade of an all-users install asks for rights
- - 1.0.0.0 0 0 0 0 0 0 - | user go 0      silent upgrade of a per-user install needs none
- - 1.0.0.0 0 1 0 0 0 0 - | ask go 0       only a per-user install, interactive: the scope page
- - 1.0.0.0 0 1 0 0 0 0 all | all elevate 1  ... "For all users" moves it, with rights
- - 1.0.0.0 0 1 1 0 0 0 all | all go 1     ... also from an elevated run
- - 1.0.0.0 0 1 0 0 0 0 user | user go 0   ... "Only for me" upgrades it
- - 3.0.0.0 0 1 0 0 0 0 all | all 6 1      ... moving a newer one is a downgrade
- 1.0.0.0 1.0.0.0 0 0 1 0 0 0 - | all go 0 both scopes: all users by default
- 1.0.0.0 1.0.0.0 0 1 0 0 0 0 all | all elevate 0 ... interactive too: no page, nothing moved
user 1.0.0.0 1.0.0.0 0 0 0 0 0 0 - | user go 0 both scopes: /CURRENTUSER upgrades the per-user one
- 2.0.0.0 - 0 0 1 0 0 0 - | all go 0       the same version again
- 3.0.0.0 - 0 1 0 0 0 0 - | all 6 0        downgrade refused before asking for rights
- 3.0.0.0 - 1 0 1 0 0 0 - | all go 0       /DOWNGRADE
all - 3.0.0.0 0 0 1 0 0 0 - | all go 0     a newer version in the other scope is no downgrade
both - - 0 0 1 0 0 0 -    | - 9 0          /ALLUSERS with /CURRENTUSER
- - - 0 1 1 0 0 1 all     | all go 0       Wine: a first install is for all users, without the page
- - - 0 1 0 0 0 1 user    | all elevate 0  ... also with a filtered token
- - 1.0.0.0 0 1 1 0 0 1 all | all go 0     Wine, only a per-user install: all users, nothing moved
- - 1.0.0.0 0 0 1 0 0 1 - | all go 0       ... silent too
user - - 0 0 1 0 0 1 -    | - 11 0         Wine: /CURRENTUSER refused
both - - 0 0 1 0 0 1 -    | - 9 0          Wine: /ALLUSERS with /CURRENTUSER is a usage error first'
scope_decisions() {
  dir="$WORK/scope-cases"
  mkdir -p "$dir"
  makensis -V1 -NOCD -DVERSION=2.0.0.0 "-DOUTFILE=$dir/scope_cases.exe" "$ROOT/tests/installer/ScopeCases.nsi" || return 1
  printf '%s\n' "$SCOPE_CASES" | sed '/^$/d' >"$dir/table"
  sed 's/ *|.*//' "$dir/table" >"$dir/cases.txt"
  rm -f "$dir/decisions.txt"
  wine "$dir/scope_cases.exe" /S
  tr -d '\r' <"$dir/decisions.txt" | paste -d '|' "$dir/table" - |
    awk -F'|' '{ split($2, w, " "); if (w[1] " " w[2] " " w[3] != $3) { print "got " $3 " for: " $1 "|" $2; bad = 1 } }
               END { exit bad }'
}

rm -rf "$QBOX_WINEPREFIX" && mkdir -p "$WORK"
trap 'WINEPREFIX="$QBOX_WINEPREFIX" wineserver -k 2>/dev/null' EXIT
TEMP_DIR=$(unix_path "$(wine cmd /c echo %TEMP% | tr -d '\r')")
OLD_W=$(windows_path "$OLD_SETUP") NEW_W=$(windows_path "$NEW_SETUP")
ini="$QBOX_WINEPREFIX/drive_c/windows/quillbox.ini"
printf '[RIGS]\r\nK4Slot1=K4A001\r\nLogFileFolder=C:\\k4logs\r\n' >"$ini"

if [ "$ARCH" = win32 ]; then  # the same on every kind of prefix
  check "SHA256SUMS of the packages" sh -c "cd '$PACKAGES' && sha256sum --quiet -c SHA256SUMS"
  check "the setup program's version record" setup_version_record "$NEW_SETUP" "$NEW"
  check "scope and elevation decisions" scope_decisions
fi

# An earlier version's log, in UTF-16, becomes UTF-8 on the first run.
printf 'earlier line\r\n' | iconv -t UTF-16 >"$(log_file)"

# For all users, the default: setup asks Windows for the rights.
check "silent install without administrator rights ends with exit 5" exits 5 helper limited "$OLD_W /S"
check "... nothing installed" absent "HKLM\\$ENTRY"
check "... nor for the current user" absent "HKCU\\$ENTRY"
check "... the reason is logged" logged "needs administrator rights: run it from a command prompt"
check "... in UTF-8, after the earlier log's line" logged "^earlier line"
check "... all of it" utf8_log
quiet_elevation on
rm -f "$(log_file)"
check "... where Windows elevates quietly, it starts itself with runas (exit 5 under Wine)" \
  exits 5 helper limited "$OLD_W /S"
check "... and that run's reason is logged" logged "the run started to get them still has none"
quiet_elevation off

# A folder that holds files of another program is refused.
others="C:\\Funk ü" uothers="$QBOX_WINEPREFIX/drive_c/Funk ü"
mkdir -p "$uothers" && echo "another program's" >"$uothers/Uninstall.exe" && echo "notes" >"$uothers/user-guide.html"
others_before=$(cd "$uothers" && md5sum ./*)
rm -f "$(log_file)"
check "install into a folder of other files refused (exit 10)" exits 10 helper run "$OLD_W /S /D=$others"
check "... its files left as they were" equal "$(cd "$uothers" && md5sum ./*)" "$others_before"
check "... nothing installed" absent "HKLM\\$ENTRY"
check "... the reason logged in UTF-8" logged "Funk ü already holds other files"
rm -r "$uothers"

# The logger registered its interfaces with its own type library.
register_logger_interfaces
LOGGER_KEYS=$(logger_interfaces)

rm -f "$(log_file)"
start=$(date +%s.%N)
check "silent install: for all users" exits 0 wine "$OLD_SETUP" /S
echo "     (silent install: $(awk "BEGIN { printf \"%.1f\", $(date +%s.%N) - $start }") s)"
dir=$(reg_value "HKLM\\$ENTRY" InstallLocation)
check "files, class key and entry of $OLD in $dir" installed HKLM "$dir" "$OLD"
check "... nothing for the current user" absent "HKCU\\$ENTRY"
check "... logged, in UTF-8" logged "setup $OLD: Installed version $OLD for all users in "
check "type library registered" typelib_at "$dir"
check "... the logger's IQbRigIO and IQbRig kept" logger_interfaces_kept
[ "$ARCH" = win32 ] || check "... class key not in the 64-bit view" absent "HKLM\\$CLASS" 64
check "qbhost list finds the driver" driver_found "$dir\\qbhost.exe"
interfaces=$(driver_interfaces HKLM)

before=$(snapshot HKLM "$dir")
"$ROOT/tools/wine-run" "$HELPER" hold "$dir\\QboxK4Driver.dll" 120 >"$WORK/hold-$ARCH.out" 2>&1 &
holder=$!
for _ in $(seq 100); do grep -q loaded "$WORK/hold-$ARCH.out" 2>/dev/null && break; sleep 0.1; done
rm -f "$(log_file)"
check "upgrade refused while the DLL is loaded (exit 3)" exits 3 wine "$NEW_SETUP" /S
check "... nothing changed" equal "$(snapshot HKLM "$dir")" "$before"
check "... the reason is logged" logged "close the logger and retry"
kill $holder; wait $holder 2>/dev/null

# A driver that cannot load (a library it needs is disabled) cannot register.
rm -f "$(log_file)"
check "failed registration ends the upgrade (exit 4)" exits 4 \
  env WINEDLLOVERRIDES='mscoree,mshtml=;iphlpapi=' "$ROOT/tools/wine-run" "$NEW_SETUP" /S
check "... with the error's meaning" logged "could not be loaded: .* (0x0000007E)"
check "... nothing changed" equal "$(snapshot HKLM "$dir")" "$before"

# A class key that cannot be deleted fails the new registration and the
# previous version's again.
helper lock "HKLM\\$CLASS"
rm -f "$(log_file)"
check "registration and rollback fail (exit 8)" exits 8 wine "$NEW_SETUP" /S
check "... the reasons are logged" logged "could not be registered again either: .*(0x80070005)"
check "... the logger's IQbRigIO and IQbRig kept" logger_interfaces_kept
helper unlock "HKLM\\$CLASS"

check "silent upgrade to $NEW, in place" exits 0 wine "$NEW_SETUP" /S
check "files, class key and entry of $NEW" installed HKLM "$dir" "$NEW"
check "... still nothing for the current user" absent "HKCU\\$ENTRY"
check "... the logger's IQbRigIO and IQbRig kept" logger_interfaces_kept
before=$(snapshot HKLM "$dir")
rm -f "$(log_file)"
check "downgrade refused (exit 6)" exits 6 wine "$OLD_SETUP" /S
check "... nothing changed" equal "$(snapshot HKLM "$dir")" "$before"
check "... the versions are logged" logged "Version $NEW is installed, newer than version $OLD"

# Both scopes. Under Wine no program finds a per-user install, and removing
# one took the type library of the all-users install with it.
rm -f "$(log_file)"
check "/CURRENTUSER refused under Wine (exit 11)" exits 11 helper limited "$NEW_W /S /CURRENTUSER"
check "... nothing installed for the current user" absent "HKCU\\$ENTRY"
check "... the reason is logged" logged "Under Wine the driver can only be installed for all users"
# A per-user install as an earlier setup program made it under Wine: the
# files, the driver registered with "user" (which Wine does machine-wide),
# and the current user's uninstall entry.
udir='C:\users\Public\QboxK4Driver'
mkdir -p "$(unix_path "$udir")" && cp "$(unix_path "$dir")"/* "$(unix_path "$udir")"
wine regsvr32 /s /n /i:user "$udir\\QboxK4Driver.dll"
wine cmd /c reg add "HKCU\\$ENTRY" /v InstallLocation /d "$udir" /f '&' \
  reg add "HKCU\\$ENTRY" /v DisplayVersion /d "$OLD" /f >/dev/null
rm -f "$(log_file)"
check "with both, /S upgrades the all-users one" exits 0 wine "$NEW_SETUP" /S
check "... and logs that a per-user one exists" logged "A per-user installation (version $OLD) also exists and was left as it is, although under Wine"

logs="$QBOX_WINEPREFIX/drive_c/k4logs/k4logio.log $(unix_path "$udir")/k4logio.log"
for f in $logs; do mkdir -p "$(dirname "$f")" && echo "log" >"$f"; done
ini_before=$(md5sum <"$ini")
check "uninstall in place of the per-user one (exit 0)" uninstall "$udir"
check "... files, class key and entry removed" removed HKCU "$udir"
check "... quillbox.ini and the logs left alone" left_alone "$ini_before" $logs
check "... the all-users one is left alone" installed HKLM "$dir" "$NEW"
check "... and its type library registered" typelib_at "$dir"

# The uninstaller's own exit codes, on the all-users installation.
quiet_elevation on
rm -f "$(log_file)"
check "uninstall without rights starts itself with runas (exit 5 under Wine)" \
  exits 5 helper limited "$dir\\Uninstall.exe /S _?=$dir"
check "... that run's reason is logged" logged "Removing an installation for all users needs administrator rights, and the run"
quiet_elevation off
check "... nothing removed" installed HKLM "$dir" "$NEW"

echo "not a DLL" >"$(unix_path "$dir")/QboxK4Driver.dll"
rm -f "$(log_file)"
check "uninstall when the DLL does not load (exit 0), from a Linux shell" uninstall "$dir"
check "... files, class key and entry removed" removed HKLM "$dir"
check "... type library removed" absent "HKLM\\$TYPELIB"
check "... its $interfaces interface keys removed" equal "$(driver_interfaces HKLM)" 0
check "... the logger's IQbRigIO and IQbRig as they were" logger_interfaces_kept
check "... logged, in UTF-8" logged "uninstall $NEW: Removed the installation in "
check "... all of it" utf8_log

check "reinstall" exits 0 wine "$NEW_SETUP" /S
wine reg delete "HKLM\\$TYPELIB" /reg:32 /f >/dev/null
helper lock "HKLM\\$CLASS"
rm -f "$(log_file)"
check "uninstall with a key gone and one locked, from a Linux shell: waits and returns exit 7" exits 7 uninstall "$dir"
check "... the locked key is listed, the one gone is not" \
  logged "with leftovers: HKEY_LOCAL_MACHINE.*DDC012F8-A786-4584-856D-044BC1F49414} could not be removed"
check "... files and entry removed" files_and_entry_gone HKLM "$dir"
check "... the logger's IQbRigIO and IQbRig as they were" logger_interfaces_kept
helper unlock "HKLM\\$CLASS"

# The zip's register.cmd, which picks the 32-bit regsvr32 on 64-bit Windows.
if [ "$ARCH" = win64 ]; then
  zipdir="$QBOX_WINEPREFIX/drive_c/zip"
  python3 -m zipfile -e "$PACKAGES/QboxK4Driver-$OLD.zip" "$zipdir"
  cmds="C:\\zip\\QboxK4Driver-$OLD"
  check "register.cmd /s registers for all users" wine cmd /c "$cmds\\register.cmd" /s
  check "... qbhost list finds the driver" driver_found "$cmds\\qbhost.exe"
  check "unregister.cmd /s" wine cmd /c "$cmds\\unregister.cmd" /s
  check "... class removed" absent "HKLM\\$CLASS"
  check "... the logger's IQbRigIO and IQbRig as they were" logger_interfaces_kept
  check "register.cmd /currentuser /s refused under Wine (exit 11)" \
    cmd_says 11 "Under Wine" "$cmds\\register.cmd" /currentuser /s
  check "unregister.cmd /currentuser likewise" cmd_says 11 "Under Wine" "$cmds\\unregister.cmd" /currentuser
  check "... nothing registered for the current user" absent "HKCU\\$CLASS"
  for switch in /x '/?'; do
    check "register.cmd $switch prints the usage (exit 9)" cmd_says 9 "usage: register.cmd" "$cmds\\register.cmd" "$switch"
  done
  check "... nothing registered" absent "HKLM\\$CLASS"
fi

echo "setup $ARCH: $passed passed, $failures failed"
[ "$failures" -eq 0 ]
