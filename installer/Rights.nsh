; What rights this run has, whether Wine runs it, and starting it again with
; administrator rights. Shared by the setup program and the uninstaller (Fn
; and un.Fn).

!include x64.nsh

!define TOKEN_QUERY 8
!define TokenElevationType 18
!define TokenElevation 20
!define TokenElevationTypeLimited 3
!define ERROR_CANCELLED 1223
!define UAC_POLICY "SOFTWARE\Microsoft\Windows\CurrentVersion\Policies\System"

; Sets $Elevated (the process token is elevated) and $QuietElevation (the
; token is an administrator's filtered one and the policy elevates such
; accounts without asking: ConsentPromptBehaviorAdmin 0).
!macro DefineFindRights UN
Function ${UN}FindRights
  StrCpy $Elevated 0
  StrCpy $QuietElevation 0
  System::Call 'advapi32::OpenProcessToken(p -1, i ${TOKEN_QUERY}, *p .r1) i .r0'
  ${If} $0 = 0
    Return
  ${EndIf}
  System::Call 'advapi32::GetTokenInformation(p r1, i ${TokenElevation}, *i .r2, i 4, *i .r3) i .r0'
  ${If} $0 <> 0
  ${AndIf} $2 <> 0
    StrCpy $Elevated 1
  ${EndIf}
  System::Call 'advapi32::GetTokenInformation(p r1, i ${TokenElevationType}, *i .r2, i 4, *i .r3) i .r0'
  System::Call 'kernel32::CloseHandle(p r1)'
  ${If} $0 <> 0
  ${AndIf} $2 = ${TokenElevationTypeLimited}
    ${If} ${RunningX64}
      SetRegView 64  ; the policy lives in the system's own view
    ${EndIf}
    ClearErrors
    ReadRegDWORD $2 HKLM "${UAC_POLICY}" "ConsentPromptBehaviorAdmin"
    ${IfNot} ${Errors}
    ${AndIf} $2 = 0
      StrCpy $QuietElevation 1
    ${EndIf}
    SetRegView lastused
  ${EndIf}
FunctionEnd
!macroend

; Sets $UnderWine: Wine's ntdll.dll has an export that Windows' lacks.
!macro DefineFindWine UN
Function ${UN}FindWine
  Push $0
  StrCpy $UnderWine 0
  System::Call 'kernel32::GetModuleHandleW(w "ntdll.dll") p .r0'
  System::Call 'kernel32::GetProcAddress(p r0, m "wine_get_version") p .r0'
  ${If} $0 P<> 0
    StrCpy $UnderWine 1
  ${EndIf}
  Pop $0
FunctionEnd
!macroend

; Starts this program again with the "runas" verb, which gives it
; administrator rights (Windows may ask the user first), with the given
; parameters, and waits for it. Returns on the stack its exit code and
; below it "", or, when it could not be started, "" and below it the reason.
; Stack: parameters.
!macro DefineRelaunchElevated UN
Function ${UN}RelaunchElevated
  Exch $0
  Push $1
  Push $2
  Push $3
  Push "Starting again with administrator rights: $0"
  Call ${UN}Log
  HideWindow
  ; SHELLEXECUTEINFOW; fMask: NOCLOSEPROCESS | NOASYNC | FLAG_NO_UI
  System::Call '*(i 60, i 0x540, p $HWNDPARENT, w "runas", w "$EXEPATH", w r0, p 0, i 1, p 0, p 0, p 0, p 0, i 0, p 0, p 0) p .r1'
  System::Call 'shell32::ShellExecuteExW(p r1) i .r2 ?e'
  Pop $3
  ${If} $2 = 0
    System::Free $1
    ${If} $3 = ${ERROR_CANCELLED}
      StrCpy $0 "administrator rights were not given"
    ${Else}
      Push $3
      Call ${UN}ErrorText
      Pop $0
      StrCpy $0 "the run with administrator rights could not be started: $0"
    ${EndIf}
    StrCpy $1 ""
  ${Else}
    System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r2)'
    System::Free $1
    System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
    System::Call 'kernel32::GetExitCodeProcess(p r2, *i .r1)'
    System::Call 'kernel32::CloseHandle(p r2)'
    StrCpy $0 ""
    Push "The run with administrator rights ended with exit code $1."
    Call ${UN}Log
  ${EndIf}
  Pop $3
  Pop $2
  Exch $1
  Exch
  Exch $0
  Exch
FunctionEnd
!macroend
