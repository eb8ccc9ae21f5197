@echo off
rem Drop recordings on this file, or send them to it with Explorer's "Send to" menu. Each one is
rem converted by the vdx9.exe beside this file, from the recording's own folder, so that
rem vdx9-NAME.wav is written beside NAME.wav; then the window waits for a key.
rem
rem Names pass through FOR variables and through variables read between quotes only, with
rem delayed expansion off: that way no character a file name may hold is taken for syntax.
setlocal EnableExtensions DisableDelayedExpansion
set "vdx9=%~dp0vdx9.exe"
set "converted=0"
set "failed=0"
rem Explorer quotes a dropped name only where it holds a space, so a name with ^& or ^^ in it
rem splits the arguments apart: only the command line that started cmd holds them whole. Each
rem quote in it is made a bar, which no file name holds, so that it reads safely between quotes.
set "rest=%cmdcmdline:"=|%"
set "dropped="
call :after_this_script
if not exist "%vdx9%" goto no_vdx9
if defined dropped goto dropped

rem At a prompt, the names are the arguments, in quotes where they need them.
for %%a in (%*) do (
  set "name=%%~a"
  call :convert
)
call :summary
if %failed% gtr 0 exit /b 1
exit /b 0

:dropped
call :dropped_names
call :summary
goto wait

:no_vdx9
echo vdx9.exe is not beside vdx9-drop.cmd: keep the two in one folder.
if not defined dropped exit /b 1
:wait
echo.
pause
rem Not exit /b: cmd must not go on to run what a name with ^& in it left of its command line.
exit

:summary
set /a total=converted+failed
if %total% equ 0 (
  echo Drop .wav files on vdx9-drop.cmd, or give their names to it, to convert them.
) else (
  echo.
  echo %converted% converted, %failed% not converted.
)
exit /b

rem Where cmd was started for this script (not for a prompt, say), sets dropped and leaves in rest
rem what follows the script's own name on cmd's command line.
:after_this_script
if not defined rest exit /b
call :next_segment
for %%f in ("%segment%") do (
  if /i "%%~nxf"=="%~nx0" set "dropped=1"
)
if defined dropped exit /b
goto after_this_script

rem Moves the text up to the next bar from rest to segment.
:next_segment
set "segment="
set "tail="
for /f "tokens=1,* delims=|" %%a in ("%rest%") do (
  set "segment=%%a"
  set "tail=%%b"
)
set "rest=%tail%"
exit /b

rem After this script's name the segments alternate: outside quotes, names without spaces; then
rem inside quotes, one name with spaces.
:dropped_names
if not defined rest exit /b
call :next_segment
call :unquoted_names
if not defined rest exit /b
call :next_segment
set "name=%segment%"
call :convert
goto dropped_names

:unquoted_names
if not defined segment exit /b
set "name="
set "tail="
for /f "tokens=1,*" %%a in ("%segment%") do (
  set "name=%%a"
  set "tail=%%b"
)
set "segment=%tail%"
if defined name call :convert
goto unquoted_names

rem Converts the recording named in name from its own folder. Where that folder cannot be
rem entered, pushd says so and nothing runs in its place.
:convert
echo.
for %%f in ("%name%") do (
  rem In a .cmd file a set that succeeds clears errorlevel: below, only pushd can set it.
  set "folder=%%~dpf"
  echo In %%~dpf
  pushd "%%~dpf"
  if errorlevel 1 (
    set /a failed+=1
  ) else (
    "%vdx9%" "%%~nxf"
    if errorlevel 1 (set /a failed+=1) else set /a converted+=1
    popd
  )
)
exit /b
