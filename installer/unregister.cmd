@echo off
rem Unregisters QboxK4Driver.dll of this folder: unregister.cmd [/all] [/s],
rem with the same options as register.cmd.
call "%~dp0register.cmd" /u %*
exit /b %errorlevel%
