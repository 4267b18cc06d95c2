; What rights this run has, and starting it again with administrator rights.
; Shared by the setup program and the uninstaller (Fn and un.Fn).

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

; Starts this program again with the "runas" verb, which gives it
; administrator rights (Windows may ask the user first), with the given
; parameters; waits for it and ends this run with its exit code. Returns
; only when it could not be started, with the reason on the stack.
; Stack: parameters.
!macro DefineRelaunchElevated UN
Function ${UN}RelaunchElevated
  Exch $0
  Push $1
  Push $2
  Push $3
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
    Pop $3
    Pop $2
    Pop $1
    Exch $0
    Return
  ${EndIf}
  System::Call '*$1(i, i, p, p, p, p, p, i, p, p, p, p, i, p, p .r2)'
  System::Free $1
  System::Call 'kernel32::WaitForSingleObject(p r2, i -1)'
  System::Call 'kernel32::GetExitCodeProcess(p r2, *i .r3)'
  System::Call 'kernel32::CloseHandle(p r2)'
  SetErrorLevel $3
  Quit
FunctionEnd
!macroend
