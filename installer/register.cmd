@echo off
rem Registers QboxK4Driver.dll from this folder so that the logger finds it.
rem   register.cmd               for all users (run it as administrator), as
rem                              the setup program does by default
rem   register.cmd /currentuser  for the current user only (no administrator
rem                              rights needed; a logger run as administrator
rem                              does not find it)
rem   /s                         no message box; the exit code tells the result
rem   /u                         unregister instead (unregister.cmd passes it)
rem   /all                       the default, accepted for older scripts
rem The driver is a 32-bit DLL: on 64-bit Windows the 32-bit regsvr32 in
rem SysWOW64 registers it, in the registry view where the 32-bit logger looks.
setlocal
set "regsvr=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr=%SystemRoot%\SysWOW64\regsvr32.exe"
set "scope="
set "quiet="
set "undo="
for %%a in (%*) do (
  if /i "%%~a"=="/currentuser" set "scope=/n /i:user"
  if /i "%%~a"=="/s" set "quiet=/s"
  if /i "%%~a"=="/u" set "undo=/u"
)
"%regsvr%" %quiet% %undo% %scope% "%~dp0QboxK4Driver.dll"
exit /b %errorlevel%
