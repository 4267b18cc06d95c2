; Drives the setup program's scope and elevation decisions
; (installer/Scope.nsh) with the rows of a table, for the cases Wine cannot
; show: a run that is not elevated, a standard account, a prompt, the scope
; page and the move of a per-user installation. Each input line holds ten
; fields, "-" for empty:
;   want machine-version user-version downgrade interactive elevated relaunched
;   quiet wine choice
; where choice is the scope page's answer ("all" or "user"), taken only when
; the page is shown; it gives the output line "scope verdict move" ("-" for
; no scope; move 1: the per-user installation is removed afterwards).
;   makensis -DVERSION=2.0.0.0 -DOUTFILE=scope_cases.exe ScopeCases.nsi
;   scope_cases.exe /S   reads cases.txt beside it, writes decisions.txt
Unicode true
RequestExecutionLevel user
SilentInstall silent
OutFile "${OUTFILE}"

!include LogicLib.nsh
!include WordFunc.nsh
!include TextFunc.nsh

!define EXIT_NEEDS_ADMIN 5
!define EXIT_DOWNGRADE 6
!define EXIT_USAGE 9
!define EXIT_WINE_CURRENT_USER 11
!include "${__FILEDIR__}/../../installer/Scope.nsh"
!insertmacro DefineDecideElevation ""

; Field N of line $R0 into VAR, "" for "-".
!macro Field N VAR
  ${WordFind} $R0 " " "+${N}" ${VAR}
  ${If} ${VAR} == "-"
    StrCpy ${VAR} ""
  ${EndIf}
!macroend

Section
  FileOpen $R1 "$EXEDIR\cases.txt" r
  FileOpen $R2 "$EXEDIR\decisions.txt" w
  ${Do}
    FileRead $R1 $R0
    ${If} ${Errors}
      ${ExitDo}
    ${EndIf}
    ${TrimNewLines} $R0 $R0
    !insertmacro Field 1 $Want
    !insertmacro Field 2 $MachineVersion
    !insertmacro Field 3 $UserVersion
    !insertmacro Field 4 $AllowDowngrade
    !insertmacro Field 5 $Interactive
    !insertmacro Field 6 $Elevated
    !insertmacro Field 7 $Relaunched
    !insertmacro Field 8 $QuietElevation
    !insertmacro Field 9 $UnderWine
    !insertmacro Field 10 $Choice
    Call DecideScope
    ${If} $Scope == "ask"
    ${AndIf} $Choice != ""
      Call ScopeChosen
    ${EndIf}
    ${If} $Scope == ""
      StrCpy $Scope "-"
    ${EndIf}
    FileWrite $R2 "$Scope $Verdict $MoveFromUser$\r$\n"
  ${Loop}
  FileClose $R2
  FileClose $R1
SectionEnd
