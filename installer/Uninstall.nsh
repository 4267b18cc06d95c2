; The uninstaller. It removes what setup installed, in the scope of the
; installation it belongs to: the driver's registration (through the driver's
; own DllInstall when the DLL loads, and in any case the keys the driver
; writes, which DriverKeys.nsh lists, putting back the logger's own
; registrations of the interfaces it shares with the driver), the files and
; the uninstall entry.
; A key or file already gone counts as removed; whatever is still there
; afterwards is listed in the log, and the exit code is EXIT_LEFTOVERS.
; The user's quillbox.ini and log files stay, and so does the folder when
; anything else is left in it.
;
; Run as "Uninstall.exe /S _?=<folder>" it works in place and waits, so its
; exit code is the caller's to see; Uninstall.exe and the folder are then
; left for the caller to delete. (From a Linux shell under Wine the folder
; after "_?=" is given as separate words, split at its blanks: Wine would
; quote it whole, and the uninstaller does not accept a quoted folder.)

!define HKEY_CURRENT_USER 0x80000001
!define HKEY_LOCAL_MACHINE 0x80000002
!define KEY_QUERY_VALUE_32 0x201  ; KEY_QUERY_VALUE | KEY_WOW64_32KEY
!define KEY_READ_32 0x20219  ; KEY_READ | KEY_WOW64_32KEY
!define KEY_ALL_ACCESS_32 0xF023F  ; KEY_ALL_ACCESS | KEY_WOW64_32KEY
!define CLASSES "Software\Classes"
!define DRIVER_KEY "Software\QboxK4Driver"  ; the registration's copies of the logger's interface keys

Var Leftovers  ; what could not be removed, separated by "; "
Var HiveName   ; the installation's hive, as the leftovers name it

; The installation is for all users when the machine's uninstall entry names
; this folder. A run without administrator rights for it starts itself again
; with them.
Function un.onInit
  Call un.FindRights
  Call un.FindWine
  ${GetParameters} $0
  Push "Started: $\"$EXEPATH$\" $0 (folder $INSTDIR)"
  Call un.Log
  StrCpy $Relaunched 0
  ClearErrors
  ${GetOptions} $0 "/ELEVATED" $1
  ${IfNot} ${Errors}
    StrCpy $Relaunched 1
  ${EndIf}
  StrCpy $Interactive 1
  ${If} ${Silent}
    StrCpy $Interactive 0
  ${EndIf}
  StrCpy $Scope "user"
  SetShellVarContext current
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $1 == $INSTDIR
    StrCpy $Scope "all"
    SetShellVarContext all
  ${EndIf}
  Call un.DecideElevation
  ${If} $Verdict == "elevate"
    Push "$0 /ELEVATED _?=$INSTDIR"
    Call un.RelaunchElevated
    Pop $2
    Pop $1
    ${If} $2 == ""
      !insertmacro un.FailWith ${EXIT_NEEDS_ADMIN} "Removing an installation for all users needs administrator rights, but $1. Nothing was removed."
    ${EndIf}
    SetErrorLevel $2
    Quit
  ${ElseIf} $Verdict != "go"
    !insertmacro un.FailWith $Verdict $Reason
  ${EndIf}
FunctionEnd

; Returns on the stack 1 when the key exists in the installation's hive, in
; the 32-bit view where the driver's keys live. Stack: key below the hive.
Function un.KeyExists
  Exch $0
  Push $1
  Push $2
  StrCpy $1 ${HKEY_CURRENT_USER}
  ${If} $Scope == "all"
    StrCpy $1 ${HKEY_LOCAL_MACHINE}
  ${EndIf}
  System::Call 'advapi32::RegOpenKeyExW(p r1, w r0, i 0, i ${KEY_QUERY_VALUE_32}, *p .r2) i .r0'
  ${If} $0 = 0
    System::Call 'advapi32::RegCloseKey(p r2)'
  ${EndIf}
  ${If} $0 = 2  ; ERROR_FILE_NOT_FOUND
    StrCpy $0 0
  ${Else}
    StrCpy $0 1
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd

!macro un.NoteLeftover WHAT
  ${If} $Leftovers != ""
    StrCpy $Leftovers "$Leftovers; "
  ${EndIf}
  StrCpy $Leftovers "$Leftovers${WHAT}"
!macroend

; Removes KEY (below the installation's hive) and notes it when it is still there.
!macro un.RemoveKey KEY
  DeleteRegKey SHCTX "${KEY}"
  Push "${KEY}"
  Call un.KeyExists
  Pop $0
  ${If} $0 = 1
    !insertmacro un.NoteLeftover "$HiveName\${KEY}"
  ${EndIf}
!macroend

; An interface key goes only when it names the driver's type library: the
; logger may register IQbRigIO, which it implements, for itself. When the
; driver's registration kept a copy of the logger's key, the copy goes back.
!macro un.RemoveInterfaceKey IID
  ReadRegStr $0 SHCTX "${CLASSES}\Interface\${IID}\TypeLib" ""
  ${If} $0 == "${LIBID}"
    !insertmacro un.RemoveKey "${CLASSES}\Interface\${IID}"
    Push "${IID}"
    Call un.PutBackKeptInterface
  ${EndIf}
!macroend

; Copies Software\QboxK4Driver\Kept interfaces\{iid} of the installation's
; hive, if there is one, to the classes' Interface\{iid}. Stack: {iid}.
Function un.PutBackKeptInterface
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $1 ${HKEY_CURRENT_USER}
  ${If} $Scope == "all"
    StrCpy $1 ${HKEY_LOCAL_MACHINE}
  ${EndIf}
  System::Call 'advapi32::RegOpenKeyExW(p r1, w "${DRIVER_KEY}\Kept interfaces\$0", i 0, i ${KEY_READ_32}, *p .r2) i .r3'
  ${If} $3 = 0
    System::Call 'advapi32::RegCreateKeyExW(p r1, w "${CLASSES}\Interface\$0", i 0, p 0, i 0, i ${KEY_ALL_ACCESS_32}, p 0, *p .r0, p 0) i .r3'
    ${If} $3 = 0
      System::Call 'advapi32::RegCopyTreeW(p r2, p 0, p r0) i .r3'
      System::Call 'advapi32::RegCloseKey(p r0)'
    ${EndIf}
    System::Call 'advapi32::RegCloseKey(p r2)'
    ${If} $3 <> 0
      !insertmacro un.NoteLeftover "the logger's registration of the interface $0 (a copy is in $HiveName\${DRIVER_KEY})"
    ${EndIf}
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd

Function un.RemoveDriverKeys
  StrCpy $HiveName "HKEY_CURRENT_USER"
  ${If} $Scope == "all"
    StrCpy $HiveName "HKEY_LOCAL_MACHINE"
  ${EndIf}
  !insertmacro un.RemoveKey "${CLASSES}\CLSID\${CLSID}"
  !insertmacro ForEachInterface un.RemoveInterfaceKey
  !insertmacro un.RemoveKey "${CLASSES}\TypeLib\${LIBID}\${LIBVERSION}"
  DeleteRegKey /ifempty SHCTX "${CLASSES}\TypeLib\${LIBID}"
  !insertmacro un.RemoveKey "${DRIVER_KEY}"
FunctionEnd

; Under Wine a per-user registration put the type library in the machine's
; classes (Wine's per-user type library functions act on the machine), and
; unregistering it would take away that of the installation for all users
; in the folder $1. Instead of the per-user DLL's unregistration, that
; installation is registered again, so that the type library names its DLL.
Function un.RegisterForAllUsersAgain
  Push $INSTDIR
  StrCpy $INSTDIR $1
  StrCpy $Scope "all"
  Push 1
  Call un.CallDllInstall
  Pop $0
  StrCpy $Scope "user"
  Pop $INSTDIR
  ${If} $0 != ""
    !insertmacro un.NoteLeftover "the registration of the installation for all users in $1, which Wine shares with this one ($0: run its setup program again)"
  ${EndIf}
FunctionEnd

!macro un.RemoveFile FILE
  Delete "$INSTDIR\${FILE}"
  Delete "$INSTDIR\${FILE}.failed"
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    !insertmacro un.NoteLeftover "$INSTDIR\${FILE}"
  ${EndIf}
!macroend

Section "Uninstall"
  Call un.WaitUntilFree
  StrCpy $Leftovers ""
  DetailPrint "Removing the driver from the registry"
  ReadRegStr $1 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $UnderWine = 1
  ${AndIf} $Scope == "user"
  ${AndIf} $1 != ""
    Call un.RegisterForAllUsersAgain
  ${ElseIf} ${FileExists} "$INSTDIR\${DLL}"
    Push 0
    Call un.CallDllInstall
    Pop $0
    ${If} $0 != ""
      StrCpy $0 "The driver did not remove its own keys ($0): the uninstaller removes them."
      DetailPrint $0
      Push $0
      Call un.Log
    ${EndIf}
  ${EndIf}
  Call un.RemoveDriverKeys

  DetailPrint "Removing the files"
  !insertmacro ForEachInstalledFile un.RemoveFile
  ${If} $EXEDIR != $INSTDIR  ; a copy in %TEMP% runs: Uninstall.exe can go too
    !insertmacro un.RemoveFile "${UNINSTALLER}"
  ${EndIf}
  RMDir $INSTDIR

  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    !insertmacro un.RemoveKey "${UNINSTALL_KEY}"
  ${EndIf}

  ${If} $Leftovers != ""
    !insertmacro un.FailWith ${EXIT_LEFTOVERS} "Removed, with leftovers: $Leftovers could not be removed. Delete them by hand (as administrator for an installation for all users)."
  ${EndIf}
SectionEnd

Function un.onUninstSuccess
  Push "Removed the installation in $INSTDIR."
  Call un.Log
FunctionEnd

Function un.LogCancelled
  Push "Cancelled by the user. Nothing was removed."
  Call un.Log
FunctionEnd
