@echo off
rem Port check for the launcher's installer: %1 is a list of ports (blank or comma separated).
rem Each port some TCP socket is bound to is written to the log as port=process, and sets bit
rem <index> of the exit code (bit 0 for the first port).
setlocal EnableExtensions EnableDelayedExpansion

if "%LocalAppData%"=="" (
    set "logdir=%~dp0Quillmark\quillmarkinstalllog"
) else (
    set "logdir=%LocalAppData%\Quillmark\quillmarkinstalllog"
)
set "logfile=%logdir%\port_process.log"

if "%~1"=="" (
    echo No ports to check.
    exit /b 0
)

if not exist "%logdir%" mkdir "%logdir%"
> "%logfile%" echo %date% %time% Start

set /a result=0
set /a index=0
for %%p in (%~1) do (
    call :checkport %%p !index!
    set /a index+=1
)

echo %result%
>> "%logfile%" echo %date% %time% Finish
exit /b %result%

rem %1 a port, %2 its index: logs each TCP socket bound to the port and sets bit %2 of result.
rem (Work after a "for /f" sits in subroutines: some command interpreters skip the rest of a
rem block after a "for /f" that read nothing.)
:checkport
set "found="
for /f "tokens=1,2,5" %%a in ('netstat -ano ^| find ":%1 "') do call :logsocket %1 %%a %%b %%c
if defined found (
    set /a "bit=1<<%2"
    set /a "result|=bit"
)
exit /b 0

rem %1 the port, %2 the protocol, %3 the local address, %4 the process id (if netstat gave one).
:logsocket
if /i not "%2"=="TCP" exit /b 0
rem The local address must end with :port (an X marks its end).
echo %3X| find ":%1X" >nul
if errorlevel 1 exit /b 0
set "found=1"
set "process=unknown"
if not "%4"=="" call :processname %4
>> "%logfile%" echo %1=!process!
exit /b 0

:processname
for /f "tokens=1 delims=," %%n in ('tasklist /fi "PID eq %1" /fo csv /nh 2^>nul') do set "process=%%~n"
exit /b 0
