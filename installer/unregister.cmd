@echo off
rem Unregisters QboxK4Driver.dll of this folder: unregister.cmd [/currentuser] [/s],
rem with the same options as register.cmd (all users unless /currentuser).
call "%~dp0register.cmd" /u %*
exit /b %errorlevel%
