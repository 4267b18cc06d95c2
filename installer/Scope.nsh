; Which installation a run works on, and whether it may go on, must first ask
; Windows for administrator rights, or must stop. Pure decisions: the
; functions read and set only the variables below and touch neither the
; system nor the screen, so tests/installer/ScopeCases.nsi drives them with
; any mix of rights and installations that Wine cannot produce.
;
; Needs LogicLib.nsh, WordFunc.nsh, ${VERSION} and the EXIT_ codes.

; In
Var Want            ; "all" (/ALLUSERS), "user" (/CURRENTUSER), "both", or ""
Var MachineVersion  ; version of the all-users installation, or ""
Var UserVersion     ; version of the current user's installation, or ""
Var AllowDowngrade  ; 1: /DOWNGRADE
Var Interactive     ; 1: not silent
Var Elevated        ; 1: the process runs with an elevated (administrator) token
Var Relaunched      ; 1: this run is the copy that setup started with "runas"
Var QuietElevation  ; 1: Windows elevates this account without a prompt
; Out
Var Scope           ; "all", "user", or "ask" (the scope page decides)
Var Verdict         ; "go", "elevate" (start again elevated), or an exit code
Var Reason          ; why, when $Verdict is an exit code
Var Note            ; a line for the log about the other scope, or ""

; For the setup program. An installation that exists is upgraded in its
; scope (all users when both exist); a first installation is for all users,
; unless the user picks "only for me" on the scope page, which is offered
; only to a run without administrator rights.
Function DecideScope
  Push $0
  Push $1
  StrCpy $Note ""
  StrCpy $Reason ""
  ${If} $Want == "both"
    StrCpy $Scope ""
    StrCpy $Verdict ${EXIT_USAGE}
    StrCpy $Reason "/ALLUSERS and /CURRENTUSER exclude each other: give one of them. Nothing was changed."
    Goto done
  ${ElseIf} $Want != ""
    StrCpy $Scope $Want
  ${ElseIf} $MachineVersion != ""
    StrCpy $Scope "all"
  ${ElseIf} $UserVersion != ""
    StrCpy $Scope "user"
  ${ElseIf} $Interactive = 1
  ${AndIf} $Elevated = 0
    StrCpy $Scope "ask"
  ${Else}
    StrCpy $Scope "all"
  ${EndIf}

  ${If} $Scope == "all"
  ${AndIf} $UserVersion != ""
    StrCpy $Note "A per-user installation (version $UserVersion) also exists and was left as it is: a logger run without administrator rights uses that one. Remove it, or upgrade it with /CURRENTUSER."
  ${ElseIf} $Scope == "user"
  ${AndIf} $MachineVersion != ""
    StrCpy $Note "An all-users installation (version $MachineVersion) also exists and was left as it is: a logger run as administrator uses that one."
  ${EndIf}

  StrCpy $0 ""
  ${If} $Scope == "all"
    StrCpy $0 $MachineVersion
  ${ElseIf} $Scope == "user"
    StrCpy $0 $UserVersion
  ${EndIf}
  ${If} $0 != ""
  ${AndIf} $AllowDowngrade != 1
    ${VersionCompare} $0 "${VERSION}" $1
    ${If} $1 = 1
      StrCpy $Verdict ${EXIT_DOWNGRADE}
      StrCpy $Reason "Version $0 is installed, newer than version ${VERSION} of this setup program. Nothing was changed: to go back to ${VERSION}, run it with /DOWNGRADE."
      Goto done
    ${EndIf}
  ${EndIf}
  Call DecideElevation
  done:
  Pop $1
  Pop $0
FunctionEnd

; For the setup program and the uninstaller: an all-users installation needs
; an elevated run. A run without it starts itself again with "runas", which
; may prompt; a silent run does so only when Windows would not prompt, and
; the copy started that way never tries again.
!macro DefineDecideElevation UN
Function ${UN}DecideElevation
  !if "${UN}" == "un."
    !define /redef WORK "Removing an installation for all users"
    !define /redef INSTEAD ""
    !define /redef UNCHANGED "Nothing was removed."
  !else
    !define /redef WORK "Installing for all users"
    !define /redef INSTEAD ", or install for yourself only with /CURRENTUSER"
    !define /redef UNCHANGED "Nothing was changed."
  !endif
  StrCpy $Reason ""
  ${If} $Scope != "all"
  ${OrIf} $Elevated = 1
    StrCpy $Verdict "go"
  ${ElseIf} $Relaunched = 1
    StrCpy $Verdict ${EXIT_NEEDS_ADMIN}
    StrCpy $Reason "${WORK} needs administrator rights, and the run started to get them still has none (is this account an administrator?). ${UNCHANGED}"
  ${ElseIf} $Interactive = 0
  ${AndIf} $QuietElevation = 0
    StrCpy $Verdict ${EXIT_NEEDS_ADMIN}
    StrCpy $Reason "${WORK} needs administrator rights: run it from a command prompt started with $\"Run as administrator$\"${INSTEAD}. ${UNCHANGED}"
  ${Else}
    StrCpy $Verdict "elevate"
  ${EndIf}
FunctionEnd
!macroend
