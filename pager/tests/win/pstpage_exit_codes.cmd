@echo off
rem pstpage as a script uses it: each case prints its exit status.
rem Argument 1: the full path of pstpage.exe.
set PSTPAGE=%1

%PSTPAGE% alpha --port 1 --phone 5551234 --pager 123 script page
echo case alpha-accepted %ERRORLEVEL%

echo first line> "%TEMP%\pstpage-message.txt"
echo second line>> "%TEMP%\pstpage-message.txt"
%PSTPAGE% alpha --port 1 --phone 5551234 --pager 456 - < "%TEMP%\pstpage-message.txt"
echo case alpha-stdin %ERRORLEVEL%

%PSTPAGE% alpha --port 7 --phone 5551234 --pager 123 nobody there
echo case alpha-no-port %ERRORLEVEL%

%PSTPAGE% alpha --port 1 --pager 123 no phone
echo case alpha-usage %ERRORLEVEL%

%PSTPAGE% numeric --port 1 --init ATE0 ATDT%%s,,%%u 5551234 42
echo case numeric-sent %ERRORLEVEL%

rem A value above 2^31: a number of 32 bits without sign, whatever a long holds.
%PSTPAGE% numeric --port 1 --init ATE0 ATDT%%u 4294967295
echo case numeric-unsigned %ERRORLEVEL%

%PSTPAGE% numeric --port 1 ATDT%%s
echo case numeric-usage %ERRORLEVEL%
