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
Var UnderWine       ; 1: Wine runs this program
Var Choice          ; ScopeChosen: "all" or "user", as picked on the scope page
; Out
Var Scope           ; "all", "user", or "ask" (the scope page decides)
Var Verdict         ; "go", "elevate" (start again elevated), or an exit code
Var Reason          ; why, when $Verdict is an exit code
Var Note            ; a line for the log about the other scope, or ""
Var MoveFromUser    ; 1: once installed for all users, remove the current user's installation

; For the setup program. An installation that exists is upgraded in its
; scope (all users when both exist); a first installation is for all users.
; The scope page is offered to an interactive run for a first installation
; without administrator rights, and whenever only a per-user installation
; exists, so that it can move to all users. Under Wine, whose COM never finds
; a per-user registration and whose per-user type library registration acts
; on the whole machine, every installation is for all users.
Function DecideScope
  StrCpy $Reason ""
  StrCpy $MoveFromUser 0
  ${If} $Want == "both"
    StrCpy $Scope ""
    StrCpy $Verdict ${EXIT_USAGE}
    StrCpy $Reason "/ALLUSERS and /CURRENTUSER exclude each other: give one of them. Nothing was changed."
    Return
  ${ElseIf} $Want == "user"
  ${AndIf} $UnderWine = 1
    StrCpy $Scope ""
    StrCpy $Verdict ${EXIT_WINE_CURRENT_USER}
    StrCpy $Reason "Under Wine the driver can only be installed for all users (leave out /CURRENTUSER): Wine's COM never finds a driver registered for one user, and Wine registers its type library for the whole computer, so removing it later would break an installation for all users. Nothing was changed."
    Return
  ${ElseIf} $Want != ""
    StrCpy $Scope $Want
  ${ElseIf} $MachineVersion != ""
  ${OrIf} $UnderWine = 1
    StrCpy $Scope "all"
  ${ElseIf} $UserVersion != ""
  ${AndIf} $Interactive = 1
    StrCpy $Scope "ask"
  ${ElseIf} $UserVersion != ""
    StrCpy $Scope "user"
  ${ElseIf} $Interactive = 1
  ${AndIf} $Elevated = 0
    StrCpy $Scope "ask"
  ${Else}
    StrCpy $Scope "all"
  ${EndIf}
  Call DecideVerdict
FunctionEnd

; For the setup program, after the scope page. "For all users" with a
; per-user installation present moves it: setup removes the per-user one
; once the one for all users works.
Function ScopeChosen
  StrCpy $Scope $Choice
  StrCpy $MoveFromUser 0
  ${If} $Scope == "all"
  ${AndIf} $UserVersion != ""
    StrCpy $MoveFromUser 1
  ${EndIf}
  Call DecideVerdict
FunctionEnd

; The note about the other scope, the downgrade check (against the
; installation that is replaced) and the elevation for the scope.
Function DecideVerdict
  Push $0
  Push $1
  StrCpy $Note ""
  ${If} $Scope == "all"
  ${AndIf} $UserVersion != ""
  ${AndIf} $MoveFromUser = 0
    ${If} $UnderWine = 1
      StrCpy $Note "A per-user installation (version $UserVersion) also exists and was left as it is, although under Wine no program finds it: remove it (its uninstaller keeps this installation working)."
    ${Else}
      StrCpy $Note "A per-user installation (version $UserVersion) also exists: a logger run without administrator rights uses that one while it exists."
    ${EndIf}
  ${ElseIf} $Scope == "user"
  ${AndIf} $MachineVersion != ""
    StrCpy $Note "An all-users installation (version $MachineVersion) also exists and was left as it is: a logger run as administrator uses that one."
  ${EndIf}

  StrCpy $0 ""
  ${If} $MoveFromUser = 1
  ${OrIf} $Scope == "user"
    StrCpy $0 $UserVersion
  ${ElseIf} $Scope == "all"
    StrCpy $0 $MachineVersion
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
