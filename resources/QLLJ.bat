@echo off
setlocal EnableExtensions DisableDelayedExpansion
rem Velmaro 系统垃圾清理
rem 只清理临时文件夹和网页缓存，从不碰文档和程序，也从不碰本程序所在的文件夹
rem 及其中的任何东西；正在使用、拒绝访问的文件留在原处，并在日志里写明原因。
rem 无人值守运行：不暂停，不提问。标准输出就是清理日志：删除、跳过的每一项各写
rem 一行，最后写汇总。
rem
rem 上面那行 SETLOCAL 让命令扩展一定打开、延迟扩展一定关闭，注册表里怎么设置都
rem 一样；延迟扩展从头到尾不用。路径和名字经由 FOR 变量使用，或者放在变量里、用
rem 引号括起来使用，从不写在 CALL 的参数里（CALL 会把其中的 %% 再展开一次）：一
rem 个值只展开一次，展开的结果不会再被解释，所以名字里的 %%、^、^&、! 和括号都原
rem 样保留。名字清单和出错原因写在本程序文件夹里的临时文件中，结束时删除。
rem
rem 本程序以管理员身份运行，而电脑上还有标准用户。标准用户可以在公用的临时文件
rem 夹（例如 %%SystemRoot%%\Temp）里建文件夹，并随时把自己的文件夹换成指向别处
rem 的目录联接或符号链接：先检查、再进入，中间总有空档。所以在别人也能写入的文
rem 件夹里，只用一步完成、不经过任何子文件夹的命令：
rem - DEL 只用带通配符的名字（名字后面加 *）删除这一层的文件。通配符匹配到的文件
rem   夹，包括目录联接和符号链接，DEL 一律不碰；匹配到的文件若在查看之后被换成了
rem   链接，DEL（即 DeleteFile）删掉的是链接本身，不是它指向的文件。名字不带通配符
rem   时，若已被换成文件夹，DEL 会删掉那个文件夹里的全部文件，所以名字从不原样交
rem   给 DEL。
rem - RD 不带 /S，只删除空文件夹；文件夹若在查看之后被换成了目录联接或符号链接，
rem   RD（即 RemoveDirectory）删掉的是链接本身，从不碰它指向的内容。
rem   XP 和以后的 Windows 都是如此。
rem - 不用 RD /S、DEL /S、DIR /S 和 FOR /R：它们自己进入子文件夹，对其中链接的处理
rem   各个 Windows 版本不一。
rem 只有本用户和管理员能写入的文件夹（用户配置文件夹里的临时文件夹和网页缓存）
rem 里，没有别人能替换其中的文件夹，才逐层进入清理；进入前后都查看是不是链接，
rem 是链接就不进入。

set "removedFiles=0"
set "removedFolders=0"
set "skipped=0"
for %%I in (1 2 3 4 5 6) do set "done%%I="
set "doneCount=0"
set "depth=0"
for %%Q in ("%~dp0.") do set "programFolder=%%~fQ"
for %%Q in ("%~dp0.") do set "programFolderShort=%%~fsQ"
set "scratch=%~dp0"
set "reasonFile=%~dp0QLLJ.reason.tmp"

set "sayWhat=系统垃圾清理开始："
set "sayPath=%date% %time%"
call :Say

set "candidate=%TEMP%"
call :CleanTempRoot
set "candidate=%TMP%"
call :CleanTempRoot
set "candidate="
if defined SystemRoot set "candidate=%SystemRoot%\Temp"
call :CleanTempRoot
set "candidate="
if defined USERPROFILE set "candidate=%USERPROFILE%\Local Settings\Temporary Internet Files"
call :CleanCacheRoot
set "candidate="
if defined LOCALAPPDATA set "candidate=%LOCALAPPDATA%\Microsoft\Windows\Temporary Internet Files"
call :CleanCacheRoot
set "candidate="
if defined LOCALAPPDATA set "candidate=%LOCALAPPDATA%\Microsoft\Windows\INetCache"
call :CleanCacheRoot

rem 通配符：这些名字若被换成了文件夹，DEL 也不会进去。
del /f /q "%~dp0QLLJ.reason.tm?" "%~dp0QLLJ.list*.tm?" >nul 2>nul
echo.
set "sayWhat=清理完成：删除文件 %removedFiles% 个，删除文件夹 %removedFolders% 个，跳过 %skipped% 项。"
call :Say
endlocal
exit /b 0

rem TEMP 和 TMP 可以指向任何地方，甚至整个磁盘或用户文件夹：只清理名为 Temp 或
rem Tmp 的文件夹，以及 Temp 里用数字命名的会话临时文件夹（远程桌面的 Temp\2）。
:CleanTempRoot
call :Normalize
if errorlevel 1 exit /b 0
for %%R in ("%root%") do set "leaf=%%~nxR"
for %%R in ("%root%\..") do set "parentLeaf=%%~nxR"
set "tempName="
if /i "%leaf%"=="Temp" set "tempName=1"
if /i "%leaf%"=="Tmp" set "tempName=1"
if not defined tempName if /i "%parentLeaf%"=="Temp" call :IsSessionNumber
if defined tempName goto CleanRoot
set "sayWhat=跳过"
set "sayPath=%root%"
set "sayWhy=不是临时文件夹"
call :Say
exit /b 0

:CleanCacheRoot
call :Normalize
if errorlevel 1 exit /b 0
goto CleanRoot

:IsSessionNumber
if not defined leaf exit /b 0
for /f "delims=0123456789" %%V in ("%leaf%") do exit /b 0
set "tempName=1"
exit /b 0

rem candidate 变成 root（完整路径，末尾没有 \）和 rootShort（短路径，用来比较）；
rem 文件夹不存在时返回 1。
:Normalize
set "root=%candidate%"
:NormalizeStrip
if not defined root exit /b 1
if not "%root:~-1%"=="\" goto NormalizeFull
set "root=%root:~0,-1%"
goto NormalizeStrip
:NormalizeFull
if not exist "%root%\" exit /b 1
for %%R in ("%root%") do set "root=%%~fR"
for %%R in ("%root%") do set "rootShort=%%~fsR"
exit /b 0

rem 同一个文件夹（例如 TEMP 和 TMP 相同）只清理一次。
:CleanRoot
for %%U in ("%done1%" "%done2%" "%done3%" "%done4%" "%done5%" "%done6%") do if /i "%%~U"=="%rootShort%" exit /b 0
set /a doneCount+=1
set "done%doneCount%=%rootShort%"
set "sayWhat=跳过"
set "sayPath=%root%"
for %%R in ("%root%") do set "attributes=%%~aR"
set "sayWhy=是指向别处的链接，不进入"
if not "%attributes:l=%"=="%attributes%" goto SayAndReturn
set "walk=%root%"
set "base=%programFolder%"
set "sayWhy=是本程序所在的文件夹或其中的文件夹"
call :IsWithin
if not errorlevel 1 goto SayAndReturn
set "mode=shared"
set "base=%USERPROFILE%"
set "walk=%root%"
call :IsWithin
if not errorlevel 1 set "mode=private"
echo.
set "sayWhat=清理"
set "sayWhy=只有本用户和管理员能写入，逐层清理"
set "folderNote="
if "%mode%"=="shared" set "sayWhy=其他用户也能写入，只删除其中的文件和空文件夹"
if "%mode%"=="shared" set "folderNote=（其他用户也能写入这里，不进入其中的文件夹）"
call :Say
rem 进去之后当前文件夹必须正是它：网络路径会被 PUSHD 映射成一个盘符。
set "here=%cd%"
pushd "%root%" 2>nul
if /i "%cd%"=="%root%" goto EnteredRoot
if /i not "%cd%"=="%here%" popd
set "sayWhat=跳过"
set "sayPath=%root%"
set "sayWhy=无法进入"
goto SayAndReturn
:EnteredRoot
call :CleanHere
popd
exit /b 0

:SayAndReturn
call :Say
exit /b 0

rem walk 是 base 本身或在 base 里面时返回 0。同一个文件夹可以有长短两种写法（例如
rem XP 的 TEMP 常写成短路径），两种写法各比一遍。路径后面加 \.，以免以右括号结尾。
:IsWithin
if not defined base exit /b 1
for %%J in ("%base%\.") do set "baseLong=%%~fJ"
for %%J in ("%base%\.") do set "baseShort=%%~fsJ"
for %%J in ("%walk%\.") do set "walkLong=%%~fJ"
for %%J in ("%walk%\.") do set "walkShort=%%~fsJ"
:IsWithinLong
if /i "%walkLong%"=="%baseLong%" exit /b 0
for %%J in ("%walkLong%\..") do set "next=%%~fJ"
if /i "%next%"=="%walkLong%" goto IsWithinShort
set "walkLong=%next%"
goto IsWithinLong
:IsWithinShort
if /i "%walkShort%"=="%baseShort%" exit /b 0
for %%J in ("%walkShort%\..") do set "next=%%~fsJ"
if /i "%next%"=="%walkShort%" exit /b 1
set "walkShort=%next%"
goto IsWithinShort

rem 清理当前文件夹。DIR /B 把名字（隐藏的也在内）先全部列进清单，再一项一项处理。
rem 属性里有 l 的是链接（重解析点）：不进入，也不删除。
rem 文件：名字后面加 *，DEL 就按通配符处理，只删除这一层的文件；顺带匹配到的以
rem 同样名字开头的文件也在清单里，轮到它时已经删掉了。
rem 文件夹：在只有本用户和管理员能写入的地方，进入后再看一眼，确是文件夹而不是
rem 链接才清理里面；然后用 RD 删除它，只有空了才删得掉。
:CleanHere
set /a depth+=1
set "listFile=%scratch%QLLJ.list%depth%.tmp"
dir /b /a:-d >"%listFile%" 2>nul
for /f "usebackq eol=/ delims=" %%I in ("%listFile%") do (
  set "attributes=-%%~aI"
  call :IsLink
  if defined link (
    set /a skipped+=1
    echo 跳过 %%~fI：是指向别处的链接，不进入也不删除
  )
  if not defined link (
    del /f /q /a "%%I*" >nul 2>"%reasonFile%"
    if not exist "%%I" (
      set /a removedFiles+=1
      echo 已删除 %%~fI
    )
    if exist "%%I" (
      set /a skipped+=1
      <nul set /p "=未删除 %%~fI："
      call :SayReason
    )
  )
)
set "listFile=%scratch%QLLJ.list%depth%.tmp"
dir /b /a:d >"%listFile%" 2>nul
for /f "usebackq eol=/ delims=" %%J in ("%listFile%") do (
  set "attributes=-%%~aJ"
  set "longName=%%~fJ"
  set "shortName=%%~fsJ"
  call :FolderKind
  if defined link (
    set /a skipped+=1
    echo 跳过 %%~fJ：是指向别处的链接，不进入也不删除
  )
  if defined program (
    set /a skipped+=1
    echo 跳过 %%~fJ：是本程序所在的文件夹
  )
  if defined plain (
    set "pushed%depth%="
    set "entered%depth%="
    if "%mode%"=="private" ver >nul
    if "%mode%"=="private" pushd "%%J" 2>"%reasonFile%"
    if "%mode%"=="private" call :CheckEntered
    if defined entered%depth% call :CleanHere
    if defined pushed%depth% popd
    rd "%%J" >nul 2>"%reasonFile%"
    if not exist "%%J\*" (
      set /a removedFolders+=1
      echo 已删除文件夹 %%~fJ
    )
    if exist "%%J\*" (
      set /a skipped+=1
      <nul set /p "=未删除文件夹 %%~fJ："
      call :SayReason folder
    )
  )
)
set /a depth-=1
set "listFile=%scratch%QLLJ.list%depth%.tmp"
exit /b 0

:IsLink
set "link="
if not "%attributes:l=%"=="%attributes%" set "link=1"
exit /b 0

rem 文件夹三者至多取一：link（链接）、program（本程序所在的文件夹）或 plain（其余）；
rem 清单里的文件夹已经不在了（属性为空），就都不是。
:FolderKind
set "program="
if /i "%longName%"=="%programFolder%" set "program=1"
if /i "%shortName%"=="%programFolderShort%" set "program=1"
call :IsLink
if defined link set "program="
set "plain=1"
if defined link set "plain="
if defined program set "plain="
if "%attributes%"=="-" set "plain="
exit /b 0

rem 刚才的 PUSHD 失败时 ERRORLEVEL 为 1。进去了还要看一眼：当前文件夹不能是链接。
:CheckEntered
if errorlevel 1 exit /b 0
set "pushed%depth%=1"
for %%K in (.) do set "attributes=-%%~aK"
call :IsLink
if not defined link set "entered%depth%=1"
exit /b 0

rem 把一行日志写完：原因就是系统的出错提示（正在使用、拒绝访问……），取最后一行；
rem 文件夹在别人也能写入的地方，再写明为什么没有进去。
:SayReason
set "reason=原因不明"
for /f "usebackq eol=| delims=" %%R in ("%reasonFile%") do if not "%%R"=="" set "reason=%%R"
set "reason=%reason:"=%"
if "%~1"=="folder" set "reason=%reason%%folderNote%"
for /f "delims=" %%R in ("%reason%") do echo %%R
exit /b 0

rem 写一行日志：sayWhat，后面是 sayPath 和“：sayWhy”（有的话）。sayWhat 是这里
rem 写定的文字；路径经由 FOR 变量输出。
:Say
if defined sayWhy goto SayWhy
if defined sayPath goto SayPath
echo %sayWhat%
goto SayDone
:SayPath
for /f "delims=" %%Q in ("%sayPath%") do echo %sayWhat% %%Q
goto SayDone
:SayWhy
for /f "delims=" %%Q in ("%sayPath%") do echo %sayWhat% %%Q：%sayWhy%
:SayDone
set "sayPath="
set "sayWhy="
exit /b 0
