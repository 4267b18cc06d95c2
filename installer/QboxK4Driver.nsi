; The setup program of the K4 driver: installs QboxK4Driver.dll, qbhost.exe
; and the user guide, registers the driver and writes the uninstall entry.
;
;   makensis -DVERSION=a.b.c.d -DSTAGE=folder -DOUTFILE=file QboxK4Driver.nsi
;   (STAGE holds the files to install, see installer/package.sh)
;
; By default it installs for the current user, without administrator rights,
; into the user's program folder; run elevated, it also offers "all users".
; Command line (see the user guide):
;   /S          silent
;   /ALLUSERS   install for all users (needs administrator rights)
;   /D=folder   install folder of a first installation (last, unquoted)
; Exit codes:
;   0 installed          1 cancelled by the user
;   2 the files could not be written, nothing changed
;   3 the driver is in use (close the logger and retry), nothing changed
;   4 registration failed, nothing changed
;   5 /ALLUSERS without administrator rights
; A silent run appends the reason of a failure to %TEMP%\QboxK4Driver-setup.log.
;
; The driver registers itself through its DllInstall, called from this 32-bit
; process: on 64-bit Windows the keys land in the 32-bit registry view, where
; the 32-bit logger looks.

Unicode true
RequestExecutionLevel user
SetCompressor /SOLID lzma
ManifestDPIAware true

!include MUI2.nsh
!include LogicLib.nsh
!include FileFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "QboxK4Driver"
!define DISPLAY_NAME "QboxK4Driver (Quillbox driver for Elecraft K4)"
!define PUBLISHER "QboxK4Driver project"
!define DLL "QboxK4Driver.dll"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"
!define FAILURE_LOG "$TEMP\${PRODUCT}-setup.log"

!define EXIT_WRITE_FAILED 2
!define EXIT_IN_USE 3
!define EXIT_REGISTRATION_FAILED 4
!define EXIT_NEEDS_ADMIN 5

Name "${DISPLAY_NAME} ${VERSION}"
OutFile "${OUTFILE}"
BrandingText "${PRODUCT} ${VERSION}"
VIProductVersion "${VERSION}"
VIAddVersionKey "ProductName" "${DISPLAY_NAME}"
VIAddVersionKey "ProductVersion" "${VERSION}"
VIAddVersionKey "FileVersion" "${VERSION}"
VIAddVersionKey "FileDescription" "Setup of ${DISPLAY_NAME}"
VIAddVersionKey "CompanyName" "${PUBLISHER}"
VIAddVersionKey "LegalCopyright" "${PUBLISHER}"

Var AllUsers        ; 1: install for all users
Var IsAdmin         ; 1: this process runs with administrator rights
Var RequestedDir    ; the folder given with /D, or empty
Var InstalledDir    ; the folder of the version already installed, or empty
Var HadPrevious     ; 1: a driver DLL was there before this run
Var ScopeAllRadio

; The files this setup installs, in one list for install, restore and removal.
!macro ForEachInstalledFile ACTION
  !insertmacro ${ACTION} "${DLL}"
  !insertmacro ${ACTION} "qbhost.exe"
  !insertmacro ${ACTION} "user-guide.html"
  !insertmacro ${ACTION} "address-dialog.png"
!macroend

!macro FailWith CODE TEXT
  Push `${TEXT}`
  Push ${CODE}
  Call Fail
!macroend

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING

!define MUI_WELCOMEPAGE_TEXT "This installs the Quillbox driver for Elecraft K4 transceivers, version ${VERSION}.$\r$\n$\r$\nIf the logger is running, close it first."
!insertmacro MUI_PAGE_WELCOME
Page custom ScopePage ScopePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpgrade
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "The driver is installed. Start the logger and pick $\"Elecraft K4 via IP$\" for a rig slot."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\user-guide.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the user guide"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

; --- shared by setup and uninstall ------------------------------------------

; Defines FUNC for the setup program and un.FUNC for the uninstaller.
!macro BothWays MACRO
  !insertmacro ${MACRO} ""
  !insertmacro ${MACRO} "un."
!macroend

; $IsAdmin = 1 when the process holds administrator rights (run elevated).
!macro DefineFindRights UN
Function ${UN}FindRights
  StrCpy $IsAdmin 0
  UserInfo::GetAccountType
  Pop $0
  ${If} $0 == "Admin"
    StrCpy $IsAdmin 1
  ${EndIf}
FunctionEnd
!macroend
!insertmacro BothWays DefineFindRights

; Reports a failure (a message box, or a line in the failure log when silent),
; sets the exit code and ends the program. Stack: code, text.
!macro DefineFail UN
Function ${UN}Fail
  Pop $0
  Pop $1
  ${If} ${Silent}
    FileOpen $2 "${FAILURE_LOG}" a
    FileSeek $2 0 END
    FileWriteUTF16LE /BOM $2 "$1$\r$\n"
    FileClose $2
  ${Else}
    MessageBox MB_OK|MB_ICONSTOP "$1"
  ${EndIf}
  SetErrorLevel $0
  Quit
FunctionEnd
!macroend
!insertmacro BothWays DefineFail

; The meaning of a Windows error or HRESULT. Stack: code; returns the text
; "meaning (0x........)" on the stack.
!macro DefineErrorText UN
Function ${UN}ErrorText
  Exch $0
  Push $1
  Push $2
  IntFmt $2 "0x%08X" $0
  System::Call 'kernel32::FormatMessageW(i 0x1200, p 0, i r0, i 0, w .r1, i ${NSIS_MAX_STRLEN}, p 0) i .r0'
  ${If} $0 = 0
    StrCpy $1 "no description is known for this error"
  ${EndIf}
  ${Do}  ; the system's text ends with a line break
    StrCpy $0 $1 1 -1
    ${If} $0 != "$\r"
    ${AndIf} $0 != "$\n"
    ${AndIf} $0 != " "
      ${ExitDo}
    ${EndIf}
    StrCpy $1 $1 -1
  ${Loop}
  StrCpy $0 "$1 ($2)"
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro BothWays DefineErrorText

; Calls the driver's DllInstall in $INSTDIR: registers (1) or unregisters (0),
; for the current user or all users as $AllUsers says. Stack: 1 or 0; returns
; "" on success, otherwise what went wrong with its meaning.
!macro DefineCallDllInstall UN
Function ${UN}CallDllInstall
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 "user"
  ${If} $AllUsers = 1
    StrCpy $3 ""
  ${EndIf}
  System::Call 'kernel32::LoadLibraryW(w "$INSTDIR\${DLL}") p .r1 ?e'
  Pop $2
  ${If} $1 P= 0
    Push $2
    Call ${UN}ErrorText
    Pop $2
    StrCpy $0 "${DLL} could not be loaded: $2."
  ${Else}
    System::Call 'kernel32::GetProcAddress(p r1, m "DllInstall") p .r2'
    ${If} $2 P= 0
      StrCpy $0 "${DLL} has no DllInstall entry point: it is not this driver."
    ${Else}
      System::Call '::$2(i r0, w r3) i .r2'
      ${If} $2 < 0
        Push $2
        Call ${UN}ErrorText
        Pop $2
        StrCpy $0 "The driver's registration failed: $2."
      ${Else}
        StrCpy $0 ""
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::FreeLibrary(p r1)'
  ${EndIf}
  Pop $3
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro BothWays DefineCallDllInstall

; Returns on the stack "" when FILE in $INSTDIR is absent or can be opened
; for writing, "in use" when a running program holds it (a loaded DLL or a
; running program is locked), or the reason it cannot be written.
!macro DefineFileState UN
Function ${UN}FileState
  Exch $0
  Push $1
  Push $2
  ${If} ${FileExists} "$INSTDIR\$0"
    ; GENERIC_WRITE, no sharing, OPEN_EXISTING
    System::Call 'kernel32::CreateFileW(w "$INSTDIR\$0", i 0x40000000, i 0, p 0, i 3, i 0, p 0) p .r1 ?e'
    Pop $2
    ${If} $1 P= -1
      ${If} $2 = 32  ; ERROR_SHARING_VIOLATION
      ${OrIf} $2 = 33  ; ERROR_LOCK_VIOLATION
        StrCpy $0 "in use"
      ${Else}
        Push $2
        Call ${UN}ErrorText
        Pop $2
        StrCpy $0 "$INSTDIR\$0 cannot be written: $2."
      ${EndIf}
    ${Else}
      System::Call 'kernel32::CloseHandle(p r1)'
      StrCpy $0 ""
    ${EndIf}
  ${Else}
    StrCpy $0 ""
  ${EndIf}
  Pop $2
  Pop $1
  Exch $0
FunctionEnd
!macroend
!insertmacro BothWays DefineFileState

; Returns when no installed file is held by a running program. While one is,
; asks to close the logger and retry; cancelling (or a silent run) ends the
; program with EXIT_IN_USE before anything has changed.
!macro CheckFileFree FILE
  Push "${FILE}"
  Call ${UN}FileState
  Pop $0
  ${If} $0 == "in use"
    StrCpy $R0 "${FILE}"
  ${ElseIf} $0 != ""
    StrCpy $R1 $0
  ${EndIf}
!macroend
!macro DefineWaitUntilFree UN
Function ${UN}WaitUntilFree
  ${Do}
    StrCpy $R0 ""
    StrCpy $R1 ""
    !insertmacro ForEachInstalledFile CheckFileFree
    ${If} $R1 != ""
      Push $R1
      Push ${EXIT_WRITE_FAILED}
      Call ${UN}Fail
    ${EndIf}
    ${If} $R0 == ""
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "The driver is in use: $R0 is held by a running program, most likely the logger.$\r$\n$\r$\nClose the logger and retry." \
      /SD IDCANCEL IDRETRY retry
    ${If} ${Silent}
      Push "The driver is in use ($INSTDIR\$R0 is held by a running program): close the logger and retry. Nothing was changed."
      Push ${EXIT_IN_USE}
      Call ${UN}Fail
    ${EndIf}
    SetErrorLevel ${EXIT_IN_USE}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
!insertmacro BothWays DefineWaitUntilFree

; --- setup ------------------------------------------------------------------

Function .onInit
  Call FindRights
  StrCpy $RequestedDir $INSTDIR
  StrCpy $AllUsers 0
  ${GetParameters} $0
  ClearErrors
  ${GetOptions} $0 "/ALLUSERS" $1
  ${IfNot} ${Errors}
    StrCpy $AllUsers 1
    ${If} $IsAdmin = 0
      !insertmacro FailWith ${EXIT_NEEDS_ADMIN} "Installing for all users needs administrator rights: run the setup program as administrator, or leave out /ALLUSERS."
    ${EndIf}
  ${EndIf}
  Call ApplyScope
FunctionEnd

; Sets the registry root and the folder for the chosen scope. A version that
; is already installed in that scope is upgraded in its own folder.
Function ApplyScope
  ${If} $AllUsers = 1
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ReadRegStr $InstalledDir SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $InstalledDir != ""
    StrCpy $INSTDIR $InstalledDir
  ${ElseIf} $RequestedDir != ""
    StrCpy $INSTDIR $RequestedDir
  ${ElseIf} $AllUsers = 1
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
FunctionEnd

; Offered only when the setup program runs with administrator rights.
Function ScopePage
  ${If} $IsAdmin = 0
    Abort
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Who uses the driver" "Install it for yourself or for everyone who uses this computer."
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "Only for me (recommended)"
  Pop $1
  ${NSD_CreateRadioButton} 0 30u 100% 12u "For all users of this computer"
  Pop $ScopeAllRadio
  ${If} $AllUsers = 1
    ${NSD_Check} $ScopeAllRadio
  ${Else}
    ${NSD_Check} $1
  ${EndIf}
  nsDialogs::Show
FunctionEnd

Function ScopePageLeave
  ${NSD_GetState} $ScopeAllRadio $0
  ${If} $0 = ${BST_CHECKED}
    StrCpy $AllUsers 1
  ${Else}
    StrCpy $AllUsers 0
  ${EndIf}
  Call ApplyScope
FunctionEnd

Function SkipDirectoryOnUpgrade
  ${If} $InstalledDir != ""
    Abort
  ${EndIf}
FunctionEnd

!macro KeepPrevious FILE
  Delete "$INSTDIR\${FILE}.previous"
  Delete "$INSTDIR\${FILE}.failed"
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    Rename "$INSTDIR\${FILE}" "$INSTDIR\${FILE}.previous"
  ${EndIf}
!macroend
; A new file that cannot be deleted (Wine keeps a DLL that failed to load
; mapped) is moved aside; the next setup or the uninstaller removes it.
!macro RestorePrevious FILE
  Delete "$INSTDIR\${FILE}"
  ${If} ${FileExists} "$INSTDIR\${FILE}"
    Rename "$INSTDIR\${FILE}" "$INSTDIR\${FILE}.failed"
  ${EndIf}
  ${If} ${FileExists} "$INSTDIR\${FILE}.previous"
    Rename "$INSTDIR\${FILE}.previous" "$INSTDIR\${FILE}"
  ${EndIf}
!macroend
!macro DropPrevious FILE
  Delete "$INSTDIR\${FILE}.previous"
!macroend
!macro InstallFile FILE
  File "${STAGE}\${FILE}"
  ${IfNot} ${FileExists} "$INSTDIR\${FILE}"
    SetErrors
  ${EndIf}
!macroend

; Puts the previous files back and registers the previous DLL again, so a
; failed setup leaves the installation as it found it.
Function RollBack
  !insertmacro ForEachInstalledFile RestorePrevious
  ${If} $HadPrevious = 1
    Push 1
    Call CallDllInstall
    Pop $0
  ${EndIf}
  RMDir $INSTDIR
FunctionEnd

Section "Driver"
  Call WaitUntilFree
  StrCpy $HadPrevious 0
  ${If} ${FileExists} "$INSTDIR\${DLL}"
    StrCpy $HadPrevious 1
  ${EndIf}

  CreateDirectory $INSTDIR
  SetOutPath $INSTDIR
  ClearErrors
  !insertmacro ForEachInstalledFile KeepPrevious
  SetOverwrite try
  !insertmacro ForEachInstalledFile InstallFile
  ${If} ${Errors}
    Call RollBack
    !insertmacro FailWith ${EXIT_WRITE_FAILED} "The files could not be written to $INSTDIR. Nothing was changed."
  ${EndIf}

  DetailPrint "Registering the driver"
  Push 1
  Call CallDllInstall
  Pop $0
  ${If} $0 != ""
    Call RollBack
    !insertmacro FailWith ${EXIT_REGISTRATION_FAILED} "$0$\r$\nNothing was changed."
  ${EndIf}

  !insertmacro ForEachInstalledFile DropPrevious
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${UNINSTALLER}",0'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

; --- uninstall --------------------------------------------------------------

; An installation is for all users when the machine's uninstall entry names
; this folder.
Function un.onInit
  Call un.FindRights
  StrCpy $AllUsers 0
  SetShellVarContext current
  ReadRegStr $0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $0 == $INSTDIR
    StrCpy $AllUsers 1
    SetShellVarContext all
    ${If} $IsAdmin = 0
      Push "The driver is installed for all users: removing it needs administrator rights. Run the uninstaller as administrator."
      Push ${EXIT_NEEDS_ADMIN}
      Call un.Fail
    ${EndIf}
  ${EndIf}
FunctionEnd

!macro RemoveFile FILE
  Delete "$INSTDIR\${FILE}"
  Delete "$INSTDIR\${FILE}.failed"
!macroend

; Removes only what setup installed: the user's quillbox.ini and log files
; stay, and so does the folder when anything else is left in it.
Section "Uninstall"
  Call un.WaitUntilFree
  ${If} ${FileExists} "$INSTDIR\${DLL}"
    DetailPrint "Unregistering the driver"
    Push 0
    Call un.CallDllInstall
    Pop $0
    ${If} $0 != ""
      Push "$0$\r$\nNothing was removed."
      Push ${EXIT_REGISTRATION_FAILED}
      Call un.Fail
    ${EndIf}
  ${EndIf}
  !insertmacro ForEachInstalledFile RemoveFile
  Delete "$INSTDIR\${UNINSTALLER}"
  RMDir $INSTDIR
  DeleteRegKey SHCTX "${UNINSTALL_KEY}"
SectionEnd
