; What the setup program and the uninstaller share: the log, failures, the
; driver's DllInstall, and waiting until no program holds the driver.

!define SETUP_LOG "$TEMP\${PRODUCT}-setup.log"

; The files this setup installs, in one list for install, restore and removal.
!macro ForEachInstalledFile ACTION
  !insertmacro ${ACTION} "${DLL}"
  !insertmacro ${ACTION} "qbhost.exe"
  !insertmacro ${ACTION} "user-guide.html"
  !insertmacro ${ACTION} "address-dialog.png"
!macroend

; Defines FUNC for the setup program and un.FUNC for the uninstaller.
!macro BothWays MACRO
  !insertmacro ${MACRO} ""
  !insertmacro ${MACRO} "un."
!macroend

; Writes TEXT to the open file HANDLE as UTF-8. Stack: handle, text (on top).
!macro DefineWriteUtf8 UN
Function ${UN}WriteUtf8
  Exch $0
  Exch
  Exch $1
  Push $2
  Push $3
  System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p 0, i 0, p 0, p 0) i .r2'
  System::Alloc $2
  Pop $3
  System::Call 'kernel32::WideCharToMultiByte(i 65001, i 0, w r0, i -1, p r3, i r2, p 0, p 0) i .r2'
  IntOp $2 $2 - 1  ; without the closing zero
  System::Call 'kernel32::WriteFile(p r1, p r3, i r2, *i .r2, p 0)'
  System::Free $3
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend

; Appends a line with the local time and the program to the setup log,
; %TEMP%\QboxK4Driver-setup.log (UTF-8), which every run of the setup program
; and the uninstaller writes: how it was started, its notes, and how it
; ended. A log that earlier versions wrote as UTF-16 is converted first.
; Stack: text.
!macro DefineLog UN
Function ${UN}Log
  !if "${UN}" == "un."
    !define /redef PROGRAM "uninstall"
  !else
    !define /redef PROGRAM "setup"
  !endif
  Exch $0
  Push $1
  Push $2
  Push $3
  Push $4
  Push $5
  Push $6
  Push $7
  Call ${UN}ConvertUtf16Log
  ${GetTime} "" "L" $1 $2 $3 $4 $5 $6 $7
  ClearErrors
  FileOpen $4 "${SETUP_LOG}" a
  ${IfNot} ${Errors}
    FileSeek $4 0 END
    Push $4
    Push "$3-$2-$1 $5:$6:$7 ${PROGRAM} ${VERSION}: $0$\r$\n"
    Call ${UN}WriteUtf8
    FileClose $4
  ${EndIf}
  Pop $7
  Pop $6
  Pop $5
  Pop $4
  Pop $3
  Pop $2
  Pop $1
  Pop $0
FunctionEnd
!macroend

; Rewrites a setup log that begins with the UTF-16 byte order mark as UTF-8.
!macro DefineConvertUtf16Log UN
Function ${UN}ConvertUtf16Log
  ClearErrors
  FileOpen $1 "${SETUP_LOG}" r
  ${If} ${Errors}
    Return
  ${EndIf}
  FileReadByte $1 $2
  FileReadByte $1 $3
  ${If} $2 != 255
  ${OrIf} $3 != 254
    FileClose $1
    Return
  ${EndIf}
  FileSeek $1 0 SET
  ClearErrors
  FileOpen $2 "${SETUP_LOG}.new" w
  ${If} ${Errors}  ; the earlier log stays as it is
    FileClose $1
    Return
  ${EndIf}
  ${Do}
    ClearErrors
    FileReadUTF16LE $1 $3
    ${If} ${Errors}
      ${ExitDo}
    ${EndIf}
    Push $2
    Push $3
    Call ${UN}WriteUtf8
  ${Loop}
  FileClose $2
  FileClose $1
  Delete "${SETUP_LOG}"
  Rename "${SETUP_LOG}.new" "${SETUP_LOG}"
FunctionEnd
!macroend

; Reports a failure (in the log, and in a message box unless silent), sets
; the exit code and ends the program. Stack: code, text.
!macro DefineFail UN
Function ${UN}Fail
  Pop $0
  Pop $1
  Push $1
  Call ${UN}Log
  ${IfNot} ${Silent}
    MessageBox MB_OK|MB_ICONSTOP "$1"
  ${EndIf}
  SetErrorLevel $0
  Quit
FunctionEnd
!macroend

!macro FailWith CODE TEXT
  Push `${TEXT}`
  Push ${CODE}
  Call Fail
!macroend
!macro un.FailWith CODE TEXT
  Push `${TEXT}`
  Push ${CODE}
  Call un.Fail
!macroend

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

; Calls the driver's DllInstall in $INSTDIR: registers (1) or unregisters (0),
; for the current user or all users as $Scope says. Stack: 1 or 0; returns
; "" on success, otherwise what went wrong with its meaning. $DllInstallRan
; is 1 once DllInstall was called, whatever it returned.
Var DllInstallRan
!macro DefineCallDllInstall UN
Function ${UN}CallDllInstall
  Exch $0
  Push $1
  Push $2
  Push $3
  StrCpy $3 "user"
  ${If} $Scope == "all"
    StrCpy $3 ""
  ${EndIf}
  System::Call 'kernel32::LoadLibraryW(w "$INSTDIR\${DLL}") p .r1 ?e'
  Pop $2
  ${If} $1 P= 0
    Push $2
    Call ${UN}ErrorText
    Pop $2
    StrCpy $0 "${DLL} could not be loaded: $2"
  ${Else}
    System::Call 'kernel32::GetProcAddress(p r1, m "DllInstall") p .r2'
    ${If} $2 P= 0
      StrCpy $0 "${DLL} has no DllInstall entry point: it is not this driver"
    ${Else}
      StrCpy $DllInstallRan 1
      System::Call '::$2(i r0, w r3) i .r2'
      ${If} $2 < 0
        Push $2
        Call ${UN}ErrorText
        Pop $2
        StrCpy $0 "its DllInstall returned $2"
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
  !if "${UN}" == "un."
    !define /redef UNCHANGED "Nothing was removed."
  !else
    !define /redef UNCHANGED "Nothing was changed."
  !endif
  ${Do}
    StrCpy $R0 ""
    StrCpy $R1 ""
    !insertmacro ForEachInstalledFile CheckFileFree
    ${If} $R1 != ""
      !insertmacro ${UN}FailWith ${EXIT_WRITE_FAILED} "$R1 ${UNCHANGED}"
    ${EndIf}
    ${If} $R0 == ""
      Return
    ${EndIf}
    MessageBox MB_RETRYCANCEL|MB_ICONEXCLAMATION \
      "The driver is in use: $R0 is held by a running program, most likely the logger.$\r$\n$\r$\nClose the logger and retry." \
      /SD IDCANCEL IDRETRY retry
    ${If} ${Silent}
      !insertmacro ${UN}FailWith ${EXIT_IN_USE} "The driver is in use ($INSTDIR\$R0 is held by a running program): close the logger and retry. ${UNCHANGED}"
    ${EndIf}
    Push "The driver is in use ($INSTDIR\$R0 is held by a running program); cancelled. ${UNCHANGED}"
    Call ${UN}Log
    SetErrorLevel ${EXIT_IN_USE}
    Quit
    retry:
  ${Loop}
FunctionEnd
!macroend
