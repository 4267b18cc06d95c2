; The setup program of the K4 driver: installs QboxK4Driver.dll, qbhost.exe
; and the user guide, registers the driver and writes the uninstall entry.
;
;   makensis -DVERSION=a.b.c.d -DSTAGE=folder -DOUTFILE=file -DKEYS=file
;            -DHELP_URL=address QboxK4Driver.nsi
;   (STAGE holds the files to install, KEYS the driver's registry keys and
;   HELP_URL the uninstall entry's help link: see installer/package.sh)
;
; By default it installs for all users: a logger run as administrator, and
; every logger under Wine, reads only the machine's classes. It starts
; without administrator rights and, for all users, starts itself again with
; them. An installation that exists is upgraded in its scope and folder; a
; per-user one may move to all users on the scope page. It installs only
; into a folder that is new, empty or holds an earlier installation.
; Command line (see the user guide):
;   /S            silent
;   /ALLUSERS     install for all users (the default for a first installation)
;   /CURRENTUSER  install for the current user only; never asks for rights;
;                 refused under Wine
;   /DOWNGRADE    allow replacing a newer version
;   /D=folder     install folder of a first installation (last, unquoted)
;   /ELEVATED     (internal) this is the run started with administrator rights
; Exit codes:
;   0 installed          1 cancelled by the user
;   2 the files could not be written, nothing changed
;   3 the driver is in use (close the logger and retry), nothing changed
;   4 registration failed, nothing changed
;   5 administrator rights needed but not given, nothing changed
;   6 a newer version is installed (see /DOWNGRADE), nothing changed
;   7 (uninstaller) removed, with leftovers listed in the log
;   8 registration failed, and registering the previous version again failed
;     too: the driver is not registered
;   9 /ALLUSERS with /CURRENTUSER, nothing changed
;  10 the folder holds other files and no earlier installation, nothing changed
;  11 /CURRENTUSER under Wine, nothing changed
; Every run appends how it started and ended, its notes and failures, to
; %TEMP%\QboxK4Driver-setup.log (UTF-8).
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
!include WordFunc.nsh
!include nsDialogs.nsh

!define PRODUCT "QboxK4Driver"
!define DISPLAY_NAME "QboxK4Driver (Quillbox driver for Elecraft K4)"
!define PUBLISHER "QboxK4Driver project"
!define DLL "QboxK4Driver.dll"
!define UNINSTALLER "Uninstall.exe"
!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\${PRODUCT}"

!define EXIT_WRITE_FAILED 2
!define EXIT_IN_USE 3
!define EXIT_REGISTRATION_FAILED 4
!define EXIT_NEEDS_ADMIN 5
!define EXIT_DOWNGRADE 6
!define EXIT_LEFTOVERS 7
!define EXIT_ROLLBACK_FAILED 8
!define EXIT_USAGE 9
!define EXIT_FOLDER_NOT_OURS 10
!define EXIT_WINE_CURRENT_USER 11

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

!include "${KEYS}"
!include "${__FILEDIR__}/Shared.nsh"
!include "${__FILEDIR__}/Rights.nsh"
!include "${__FILEDIR__}/Scope.nsh"

Var RequestedDir    ; the folder given with /D, or empty
Var InstalledDir    ; the folder of the version already installed, or empty
Var HadPrevious     ; 1: a driver DLL was there before this run
Var WelcomeNote     ; what the welcome page says about an installed version
Var ScopeAllRadio

!define MUI_ICON "${NSISDIR}\Contrib\Graphics\Icons\modern-install.ico"
!define MUI_UNICON "${NSISDIR}\Contrib\Graphics\Icons\modern-uninstall.ico"
!define MUI_ABORTWARNING
!define MUI_CUSTOMFUNCTION_ABORT LogCancelled
!define MUI_CUSTOMFUNCTION_UNABORT un.LogCancelled

!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipWelcomeWhenRelaunched
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE ElevateWhenNeeded
!define MUI_WELCOMEPAGE_TEXT "This installs the Quillbox driver for Elecraft K4 transceivers, version ${VERSION}.$\r$\n$\r$\n$WelcomeNote"
!insertmacro MUI_PAGE_WELCOME
Page custom ScopePage ScopePageLeave
!define MUI_PAGE_CUSTOMFUNCTION_PRE SkipDirectoryOnUpgrade
!define MUI_PAGE_CUSTOMFUNCTION_LEAVE RefuseFolderOfOthers
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_INSTFILES
!define MUI_FINISHPAGE_TEXT "The driver is installed. Start the logger and pick $\"Elecraft K4 via IP$\" for a rig slot."
!define MUI_FINISHPAGE_SHOWREADME "$INSTDIR\user-guide.html"
!define MUI_FINISHPAGE_SHOWREADME_TEXT "Open the user guide"
!insertmacro MUI_PAGE_FINISH

!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES

!insertmacro MUI_LANGUAGE "English"

!insertmacro BothWays DefineWriteUtf8
!insertmacro BothWays DefineConvertUtf16Log
!insertmacro BothWays DefineLog
!insertmacro BothWays DefineFail
!insertmacro BothWays DefineErrorText
!insertmacro BothWays DefineCallDllInstall
!insertmacro BothWays DefineFileState
!insertmacro BothWays DefineWaitUntilFree
!insertmacro BothWays DefineFindRights
!insertmacro BothWays DefineFindWine
!insertmacro BothWays DefineRelaunchElevated
!insertmacro BothWays DefineDecideElevation

; --- setup ------------------------------------------------------------------

; The version in a scope's uninstall entry (ROOT: HKLM or HKCU) into VAR:
; "" when there is no installation, 0 when the entry names no version.
!macro ReadInstalledVersion ROOT VAR
  ReadRegStr ${VAR} ${ROOT} "${UNINSTALL_KEY}" "InstallLocation"
  ${If} ${VAR} != ""
    ReadRegStr ${VAR} ${ROOT} "${UNINSTALL_KEY}" "DisplayVersion"
    ${If} ${VAR} == ""
      StrCpy ${VAR} 0
    ${EndIf}
  ${EndIf}
!macroend

; VAR = 1 when the command line in $0 holds the switch NAME, else 0.
!macro ReadSwitch NAME VAR
  StrCpy ${VAR} 0
  ClearErrors
  ${GetOptions} $0 "${NAME}" $1
  ${IfNot} ${Errors}
    StrCpy ${VAR} 1
  ${EndIf}
!macroend

Function .onInit
  StrCpy $RequestedDir $INSTDIR
  Call FindRights
  Call FindWine
  ${GetParameters} $0
  Push "Started: $\"$EXEPATH$\" $0"
  Call Log
  !insertmacro ReadSwitch "/ALLUSERS" $2
  !insertmacro ReadSwitch "/CURRENTUSER" $3
  StrCpy $Want ""
  ${If} $2 = 1
  ${AndIf} $3 = 1
    StrCpy $Want "both"
  ${ElseIf} $2 = 1
    StrCpy $Want "all"
  ${ElseIf} $3 = 1
    StrCpy $Want "user"
  ${EndIf}
  !insertmacro ReadSwitch "/DOWNGRADE" $AllowDowngrade
  !insertmacro ReadSwitch "/ELEVATED" $Relaunched
  StrCpy $Interactive 1
  ${If} ${Silent}
    StrCpy $Interactive 0
  ${EndIf}
  !insertmacro ReadInstalledVersion HKLM $MachineVersion
  !insertmacro ReadInstalledVersion HKCU $UserVersion

  Call DecideScope
  ${If} $Verdict == "elevate"
  ${AndIf} $Interactive = 0  ; an interactive run asks after the welcome page
    Call Elevate
  ${ElseIf} $Verdict != "go"
  ${AndIf} $Verdict != "elevate"
    !insertmacro FailWith $Verdict $Reason
  ${EndIf}
  StrCpy $WelcomeNote "If the logger is running, close it first."
  ${If} $Scope != "ask"
    Call ApplyScope
  ${EndIf}
FunctionEnd

; Starts this setup program again with administrator rights for an
; all-users installation and ends with that run's exit code.
Function Elevate
  ${GetParameters} $0
  StrCpy $0 "$0 /ELEVATED"
  ${If} $Want == ""  ; the scope page's choice, or the default, made explicit
    StrCpy $0 "$0 /ALLUSERS"
  ${EndIf}
  ${If} $RequestedDir != ""
    StrCpy $0 "$0 /D=$RequestedDir"
  ${EndIf}
  Push $0
  Call RelaunchElevated
  Pop $1
  Pop $0
  ${If} $1 == ""
    !insertmacro FailWith ${EXIT_NEEDS_ADMIN} "Installing for all users needs administrator rights, but $0. Nothing was changed."
  ${EndIf}
  ${If} $1 = 0
  ${AndIf} $MoveFromUser = 1
    Call RemoveUserInstallation
  ${EndIf}
  SetErrorLevel $1
  Quit
FunctionEnd

; After an installation for all users that works, removes the current
; user's installation with its own uninstaller, in place (as the scope page
; said it would). What fails is logged and shown; the exit code stays 0.
Function RemoveUserInstallation
  ReadRegStr $R0 HKCU "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $R3 HKLM "${UNINSTALL_KEY}" "InstallLocation"
  ${If} $R0 == $R3  ; its uninstaller would take it for the new one
    StrCpy $R1 "it is in the folder of the new installation"
  ${ElseIfNot} ${FileExists} "$R0\${UNINSTALLER}"
    StrCpy $R1 "its uninstaller $R0\${UNINSTALLER} is missing"
  ${Else}
    ExecWait '"$R0\${UNINSTALLER}" /S _?=$R0' $R2
    ${If} $R2 = 0
    ${OrIf} $R2 = ${EXIT_LEFTOVERS}
      Delete "$R0\${UNINSTALLER}"
      RMDir $R0
    ${EndIf}
    ${If} $R2 = 0
      Push "The installation for the current user only (version $UserVersion in $R0) was removed."
      Call Log
      Return
    ${EndIf}
    StrCpy $R1 "its uninstaller ended with exit code $R2 (see the setup log)"
  ${EndIf}
  StrCpy $R1 "The driver is installed for all users, but the installation for you only (version $UserVersion in $R0) could not be removed: $R1. Remove it in Settings → Apps."
  Push $R1
  Call Log
  MessageBox MB_OK|MB_ICONEXCLAMATION $R1 /SD IDOK
FunctionEnd

; Sets the registry root and the folder for the chosen scope. A version that
; is already installed in that scope is upgraded in its own folder.
Function ApplyScope
  ${If} $Scope == "all"
    SetShellVarContext all
  ${Else}
    SetShellVarContext current
  ${EndIf}
  ReadRegStr $InstalledDir SHCTX "${UNINSTALL_KEY}" "InstallLocation"
  ReadRegStr $0 SHCTX "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $InstalledDir != ""
    StrCpy $INSTDIR $InstalledDir
    StrCpy $WelcomeNote "Version $0 in $InstalledDir is upgraded in place. $WelcomeNote"
  ${ElseIf} $RequestedDir != ""
    StrCpy $INSTDIR $RequestedDir
  ${ElseIf} $Scope == "all"
    StrCpy $INSTDIR "$PROGRAMFILES\${PRODUCT}"
  ${Else}
    StrCpy $INSTDIR "$LOCALAPPDATA\Programs\${PRODUCT}"
  ${EndIf}
FunctionEnd

; The run started with administrator rights continues where the first one
; asked for them.
Function SkipWelcomeWhenRelaunched
  ${If} $Relaunched = 1
    Abort
  ${EndIf}
FunctionEnd

Function ElevateWhenNeeded
  ${If} $Verdict == "elevate"
    Call Elevate
  ${EndIf}
FunctionEnd

; Offered to a first installation without administrator rights ("only for
; me" is never offered to a first installation by an elevated run, which
; would install into the administrator's own profile), and when only a
; per-user installation exists, which "for all users" moves.
Function ScopePage
  ${If} $Scope != "ask"
    Abort
  ${EndIf}
  StrCpy $1 "Install it for everyone who uses this computer, or for yourself only."
  StrCpy $2 "Windows asks for administrator rights. "
  StrCpy $3 "No administrator rights needed"
  ${If} $Elevated = 1
    StrCpy $2 ""
  ${EndIf}
  ${If} $UserVersion != ""
    StrCpy $1 "Version $UserVersion is installed for you only. Install for everyone who uses this computer instead?"
    StrCpy $2 "$2Setup then removes the installation for you only. "
    StrCpy $3 "Upgrades the installation for you only. No administrator rights needed"
  ${EndIf}
  !insertmacro MUI_HEADER_TEXT "Who uses the driver" $1
  nsDialogs::Create 1018
  Pop $0
  ${NSD_CreateRadioButton} 0 10u 100% 12u "For all users of this computer (recommended)"
  Pop $ScopeAllRadio
  ${NSD_CreateLabel} 12u 24u -12u 28u "$2The logger finds the driver also when it runs as administrator."
  Pop $0
  ${NSD_CreateRadioButton} 0 56u 100% 12u "Only for me"
  Pop $0
  ${NSD_CreateLabel} 12u 70u -12u 30u "$3, but a logger started with $\"Run as administrator$\" does not find the driver, nor does any other Windows account."
  Pop $0
  ${NSD_Check} $ScopeAllRadio
  nsDialogs::Show
FunctionEnd

Function ScopePageLeave
  ${NSD_GetState} $ScopeAllRadio $0
  StrCpy $Choice "user"
  ${If} $0 = ${BST_CHECKED}
    StrCpy $Choice "all"
  ${EndIf}
  Call ScopeChosen
  ${If} $Verdict == "elevate"
    Call Elevate
  ${ElseIf} $Verdict != "go"
    !insertmacro FailWith $Verdict $Reason
  ${EndIf}
  Call ApplyScope
FunctionEnd

Function SkipDirectoryOnUpgrade
  ${If} $InstalledDir != ""
    Abort
  ${EndIf}
FunctionEnd

; Returns on the stack "" when setup may install into $INSTDIR: the folder
; does not exist, is empty, or holds an earlier installation (the driver's
; DLL, or the installation being upgraded). Otherwise why not: setup would
; overwrite, and its uninstaller later delete, files of the same name.
Function FolderState
  Push $0
  ${DirState} $INSTDIR $0
  ${If} $0 = 1
  ${AndIfNot} ${FileExists} "$INSTDIR\${DLL}"
  ${AndIf} $INSTDIR != $InstalledDir
    StrCpy $0 "$INSTDIR already holds other files, and no earlier installation of the driver. Choose a new or empty folder."
  ${Else}
    StrCpy $0 ""
  ${EndIf}
  Exch $0
FunctionEnd

Function RefuseFolderOfOthers
  Call FolderState
  Pop $0
  ${If} $0 != ""
    MessageBox MB_OK|MB_ICONEXCLAMATION $0
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

; Puts the previous files back and, when the new driver's DllInstall has
; touched the registration, registers the previous DLL again. Returns on the
; stack "" or why registering it again failed.
Function RollBack
  !insertmacro ForEachInstalledFile RestorePrevious
  StrCpy $0 ""
  ${If} $HadPrevious = 1
  ${AndIf} $DllInstallRan = 1
    Push 1
    Call CallDllInstall
    Pop $0
  ${EndIf}
  RMDir $INSTDIR
  Push $0
FunctionEnd

Section "Driver"
  Call FolderState
  Pop $0
  ${If} $0 != ""
    !insertmacro FailWith ${EXIT_FOLDER_NOT_OURS} "$0 Nothing was changed."
  ${EndIf}
  ${If} $Note != ""
    DetailPrint $Note
    Push $Note
    Call Log
  ${EndIf}
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
    Pop $0
    !insertmacro FailWith ${EXIT_WRITE_FAILED} "The files could not be written to $INSTDIR. Nothing was changed."
  ${EndIf}

  DetailPrint "Registering the driver"
  StrCpy $DllInstallRan 0
  Push 1
  Call CallDllInstall
  Pop $R2
  ${If} $R2 != ""
    Call RollBack
    Pop $R3
    ${If} $R3 != ""
      !insertmacro FailWith ${EXIT_ROLLBACK_FAILED} "Registering the driver failed: $R2. The previous version's files are back in $INSTDIR, but it could not be registered again either: $R3. The driver is not registered now: run a setup program again."
    ${EndIf}
    !insertmacro FailWith ${EXIT_REGISTRATION_FAILED} "Registering the driver failed: $R2. Nothing was changed."
  ${EndIf}

  !insertmacro ForEachInstalledFile DropPrevious
  WriteUninstaller "$INSTDIR\${UNINSTALLER}"
  ${GetSize} "$INSTDIR" "/S=0K" $0 $1 $2
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayName" "${DISPLAY_NAME}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "Publisher" "${PUBLISHER}"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "HelpLink" "${HELP_URL}"
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "EstimatedSize" $0
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\${UNINSTALLER}"'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\${UNINSTALLER}" /S'
  WriteRegStr SHCTX "${UNINSTALL_KEY}" "DisplayIcon" '"$INSTDIR\${UNINSTALLER}",0'
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD SHCTX "${UNINSTALL_KEY}" "NoRepair" 1
SectionEnd

Function .onInstSuccess
  ${If} $Scope == "all"
    Push "Installed version ${VERSION} for all users in $INSTDIR."
  ${Else}
    Push "Installed version ${VERSION} for the current user only in $INSTDIR."
  ${EndIf}
  Call Log
  ${If} $MoveFromUser = 1
    Call RemoveUserInstallation
  ${EndIf}
FunctionEnd

Function LogCancelled
  Push "Cancelled by the user. Nothing was changed."
  Call Log
FunctionEnd

; --- uninstall --------------------------------------------------------------

!include "${__FILEDIR__}/Uninstall.nsh"
