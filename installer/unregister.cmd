@echo off
rem Unregisters QboxK4Driver.dll of this folder: unregister.cmd [/currentuser] [/s],
rem with the same options and exit codes as register.cmd (all users unless
rem /currentuser). register.cmd runs in its place (no "call", which would
rem answer a "/?" itself) and ends with its exit code.
"%~dp0register.cmd" /u %*
