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
    set "found="
    for /f "tokens=1,2,5" %%a in ('netstat -ano ^| findstr /c:":%%p "') do (
        if /i "%%a"=="TCP" (
            set "local=%%b "
            if not "!local::%%p =!"=="!local!" (
                set "process=unknown"
                for /f "tokens=1 delims=," %%n in ('tasklist /fi "PID eq %%c" /fo csv /nh 2^>nul') do set "process=%%~n"
                >> "%logfile%" echo %%p=!process!
                set "found=1"
            )
        )
    )
    if defined found set /a "result|=(1<<index)"
    set /a index+=1
)

echo %result%
>> "%logfile%" echo %date% %time% Finish
exit /b %result%
