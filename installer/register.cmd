@echo off
rem Registers QboxK4Driver.dll from this folder so that the logger finds it.
rem   register.cmd               for all users (run it as administrator), as
rem                              the setup program does by default
rem   register.cmd /currentuser  for the current user only (no administrator
rem                              rights needed; a logger run as administrator
rem                              does not find it); refused under Wine
rem   /s                         no message box; the exit code tells the result
rem   /u                         unregister instead (unregister.cmd passes it)
rem   /all                       the default, accepted for older scripts
rem Exit codes: those of regsvr32 (0 done), 9 an unknown switch (the usage is
rem printed), 11 /currentuser under Wine.
rem The driver is a 32-bit DLL: on 64-bit Windows the 32-bit regsvr32 in
rem SysWOW64 registers it, in the registry view where the 32-bit logger looks.
setlocal
set "regsvr=%SystemRoot%\System32\regsvr32.exe"
if exist "%SystemRoot%\SysWOW64\regsvr32.exe" set "regsvr=%SystemRoot%\SysWOW64\regsvr32.exe"
set "scope="
set "quiet="
set "undo="
:next
if "%~1"=="" goto switches_read
set "switch=%~1"
shift
if /i "%switch%"=="/currentuser" (set "scope=/n /i:user" & goto next)
if /i "%switch%"=="/s" (set "quiet=/s" & goto next)
if /i "%switch%"=="/u" (set "undo=/u" & goto next)
if /i "%switch%"=="/all" goto next
echo register.cmd: unknown switch %switch% 1>&2
echo usage: register.cmd [/currentuser] [/s]    registers QboxK4Driver.dll of this folder 1>&2
echo        unregister.cmd [/currentuser] [/s]  unregisters it 1>&2
echo   /currentuser  for the current user only (without it: for all users, as administrator) 1>&2
echo   /s            no message box; the exit code tells the result 1>&2
exit /b 9
:switches_read
rem Wine keeps its own key in every prefix. Its COM never finds a per-user
rem registration, and its per-user type library functions act on the whole
rem machine, so a per-user (un)registration would break one for all users.
if defined scope reg query "HKLM\Software\Wine" >nul 2>&1 && goto wine
"%regsvr%" %quiet% %undo% %scope% "%~dp0QboxK4Driver.dll"
exit /b %errorlevel%
:wine
echo register.cmd: Under Wine the driver can only be registered for all users (leave out /currentuser): 1>&2
echo Wine's COM never finds a driver registered for one user, and Wine registers its type library 1>&2
echo for the whole computer, so a per-user registration or its removal would break one for all users. 1>&2
exit /b 11
