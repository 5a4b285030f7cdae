@echo off
rem Velmaro 系统垃圾清理
rem 只清理临时文件夹和网页缓存，从不碰文档和程序；正在使用的文件删不掉，就留在原处。
rem 无人值守运行：不暂停，不提问。标准输出就是清理日志：每删除一项写一行，最后写汇总。
setlocal
set /a removedFiles=0, removedFolders=0, skippedFiles=0
set "attributes=---------"
echo 系统垃圾清理开始：%date% %time%

call :CleanTempFolder "%TEMP%"
if /i not "%TMP%"=="%TEMP%" call :CleanTempFolder "%TMP%"
if defined SystemRoot call :CleanFolder "%SystemRoot%\Temp"
if defined USERPROFILE call :CleanFolder "%USERPROFILE%\Local Settings\Temporary Internet Files"
if defined LOCALAPPDATA call :CleanFolder "%LOCALAPPDATA%\Microsoft\Windows\Temporary Internet Files"
if defined LOCALAPPDATA call :CleanFolder "%LOCALAPPDATA%\Microsoft\Windows\INetCache"

echo.
echo 清理完成：删除文件 %removedFiles% 个，删除文件夹 %removedFolders% 个，跳过正在使用的文件 %skippedFiles% 个。
endlocal
exit /b 0

rem TEMP 可以指向任何地方，甚至整个磁盘或用户文件夹：只清理名为 Temp 或 Tmp 的文件夹。
:CleanTempFolder
if "%~1"=="" exit /b 0
if /i not "%~nx1"=="Temp" if /i not "%~nx1"=="Tmp" (
  echo 跳过 %1：不是临时文件夹
  exit /b 0
)
call :CleanFolder "%~1"
exit /b 0

:CleanFolder
if not exist "%~1\" exit /b 0
echo.
echo 清理 %1
set "folder=%~f1"
call :CleanTree
exit /b 0

rem 要清理的文件夹放在变量 folder 里，不作为参数传给 CALL：CALL 会把名字里的 % 再展开一次。
rem 文件名只经由 FOR 变量使用，名字里的 & ( ) 等字符不会被当作命令。
rem 只在确实进入了要清理的文件夹之后才删除：进不去（路径太长、没有权限）就什么也不做，免得删到别处。
rem ENDLOCAL 恢复原来的当前文件夹；计数在同一行里带出去。
:CleanTree
setlocal
cd /d "%folder%" 2>nul
if /i not "%cd%"=="%folder%" (
  endlocal
  exit /b 0
)
for %%F in (*) do (
  del /f /q "%%~fF" >nul 2>nul
  if exist "%%~fF" (
    set /a skippedFiles+=1 >nul
  ) else (
    echo 已删除 %%~fF
    set /a removedFiles+=1 >nul
  )
)
for /d %%D in (*) do (
  set "folder=%%~fD"
  set "attributes=%%~aD"
  call :CleanSubfolder
)
endlocal & set /a removedFiles=%removedFiles%, removedFolders=%removedFolders%, skippedFiles=%skippedFiles% >nul
exit /b 0

rem 指向别处的链接文件夹不进入：它指向的内容不是垃圾。
:CleanSubfolder
if /i "%attributes:~8,1%"=="l" exit /b 0
for %%S in ("%folder%") do (
  call :CleanTree
  rd "%%~S" >nul 2>nul
  if not exist "%%~S\" (
    echo 已删除文件夹 %%~S
    set /a removedFolders+=1 >nul
  )
)
exit /b 0
