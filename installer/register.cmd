@echo off
rem Registers QboxK4Driver.dll from this folder so that the logger finds it.
rem   register.cmd          for the current user (no administrator rights needed)
rem   register.cmd /all     for all users (run it as administrator)
rem   /s                    no message box; the exit code tells the result
rem   /u                    unregister instead (unregister.cmd passes it)
rem The driver is a 32-bit DLL: on 64-bit Windows the 32-bit regsvr32 in
rem SysWOW64 registers it, in the registry view where the 32-bit logger looks.
setlocal
set "regsvr=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr=%SystemRoot%\SysWOW64\regsvr32.exe"
set "scope=/n /i:user"
set "quiet="
set "undo="
for %%a in (%*) do (
  if /i "%%~a"=="/all" set "scope="
  if /i "%%~a"=="/s" set "quiet=/s"
  if /i "%%~a"=="/u" set "undo=/u"
)
"%regsvr%" %quiet% %undo% %scope% "%~dp0QboxK4Driver.dll"
exit /b %errorlevel%
