@echo off
setlocal EnableExtensions DisableDelayedExpansion
rem Velmaro 系统垃圾清理
rem 只清理临时文件夹和网页缓存，从不碰文档和程序，也从不碰本程序所在的文件夹
rem 及其中的任何东西；正在使用、拒绝访问的文件留在原处，并在日志里写明原因。
rem 无人值守运行：不暂停，不提问。标准输出就是清理日志：删除、跳过的每一项各写
rem 一行，最后写汇总，汇总里的数目就是上面各行的行数。
rem
rem 上面那行 SETLOCAL 让命令扩展一定打开、延迟扩展一定关闭，注册表里怎么设置都
rem 一样；延迟扩展从头到尾不用。路径和名字经由 FOR 变量使用，或者放在变量里、用
rem 引号括起来使用，从不写在 CALL 的参数里（CALL 会把其中的 %% 再展开一次）：一
rem 个值只展开一次，展开的结果不会再被解释，所以名字里的 %%、^、^&、! 和括号都原
rem 样保留。
rem
rem 名字一律保持系统里的原样，不经过任何代码页：
rem - 本程序用 cmd /u 运行这个批处理，日志是 UTF-16 文本，韩文、表情符号之类
rem   代码页 936 写不出的名字也照原样写进日志。
rem - 文件和文件夹由 FOR 的通配符列出，FOR 交给批处理的就是系统里的名字。把名字
rem   写进文件再用 FOR /F 读回来，就要经过控制台代码页，写不出的字符会变掉。
rem - FOR 不列出隐藏和系统文件。它们的名字只能从 DIR 的清单里读（经过代码页，
rem   写不出的字符变成 ?），见 :HiddenItems。
rem - 日志里的“已删除”只在确认那一项已经不在之后才写；还在，就写“未删除”和
rem   系统给的原因。
rem 名字清单和出错原因写在本程序文件夹里的临时文件中，结束时删除。
rem
rem 本程序以管理员身份运行，而电脑上还有标准用户。标准用户可以在公用的临时文件
rem 夹（例如 %%SystemRoot%%\Temp）里建文件夹，并随时把自己的文件夹换成指向别处
rem 的目录联接或符号链接：先检查、再进入，中间总有空档。所以在别人也能写入的文
rem 件夹里，只用一步完成、不经过任何子文件夹的命令：
rem - DEL 只用带通配符的名字删除这一层的文件。通配符匹配到的文件夹，包括目录联
rem   接和符号链接，DEL 一律不碰；匹配到的文件若在查看之后被换成了链接，DEL（即
rem   DeleteFile）删掉的是链接本身，不是它指向的文件。名字不带通配符时，若已被换
rem   成文件夹，DEL 会删掉那个文件夹里的全部文件，所以名字从不原样交给 DEL。通配
rem   符只匹配这一个文件时才删，不会顺带删掉别的文件而不记日志。
rem - RD 不带 /S，只删除空文件夹；文件夹若在查看之后被换成了目录联接或符号链接，
rem   RD（即 RemoveDirectory）删掉的是链接本身，从不碰它指向的内容。
rem   XP 和以后的 Windows 都是如此。
rem - 不用 RD /S、DEL /S、DIR /S 和 FOR /R：它们自己进入子文件夹，对其中链接的处理
rem   各个 Windows 版本不一。
rem - 外部命令（cmd.exe、attrib.exe）只用系统文件夹里的完整路径，当前文件夹里放
rem   的同名程序不会被运行。
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
set "cmdExe="
set "attribExe="
if defined SystemRoot if exist "%SystemRoot%\System32\cmd.exe" set "cmdExe=%SystemRoot%\System32\cmd.exe"
if defined SystemRoot if exist "%SystemRoot%\System32\attrib.exe" set "attribExe=%SystemRoot%\System32\attrib.exe"
rem 本程序放在磁盘的根目录（例如便携版直接解压到 D:\）时，这个磁盘上的每个文件夹
rem 都在本程序所在的文件夹里面。
set "programAtRoot="
if "%programFolder:~-1%"=="\" set "programAtRoot=1"
set "rootNoted="

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
del /f /q "%~dp0QLLJ.reason.tm?" "%~dp0QLLJ.hidden*.tm?" >nul 2>nul
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
goto SkipRoot

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

rem 同一个文件夹（例如 TEMP 和 TMP 相同）只清理一次，也只写一行。
:CleanRoot
for %%U in ("%done1%" "%done2%" "%done3%" "%done4%" "%done5%" "%done6%") do if /i "%%~U"=="%rootShort%" exit /b 0
set /a doneCount+=1
set "done%doneCount%=%rootShort%"
set "sayWhat=跳过"
set "sayPath=%root%"
for %%R in ("%root%") do set "attributes=%%~aR"
set "sayWhy=是指向别处的链接，不进入"
if not "%attributes:l=%"=="%attributes%" goto SkipRoot
set "walk=%root%"
set "base=%programFolder%"
set "sayWhy=是本程序所在的文件夹或其中的文件夹"
call :IsWithin
if errorlevel 1 goto CleanRootEnter
if not defined programAtRoot goto SkipRoot
call :NoteProgramAtRoot
set "sayWhat=跳过"
set "sayPath=%root%"
set "sayWhy=在本程序所在的磁盘上，不清理（见上面的说明）"
goto SkipRoot
:CleanRootEnter
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
goto SkipRoot
:EnteredRoot
call :CleanHere
popd
exit /b 0

:SkipRoot
set /a skipped+=1
call :Say
exit /b 0

rem 只说一次，说在第一个因此跳过的文件夹前面。
:NoteProgramAtRoot
if defined rootNoted exit /b 0
set "rootNoted=1"
echo.
set "sayWhat=注意：本程序放在磁盘的根目录"
set "sayPath=%programFolder%"
set "sayWhy=这个磁盘上的每个文件夹都算在本程序所在的文件夹里，为了不碰本程序自己的文件，这个磁盘上的临时文件夹一律不清理。把本程序放进一个单独的文件夹（不是根目录），就能清理它们。"
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

rem 清理当前文件夹。FOR 列出的文件和文件夹在 FOR 的循环体里处理，名字只经由
rem FOR 变量使用。FOR 不列出隐藏和系统的项目，所以先由 :HiddenItems 去掉能按名字
rem 找到的那些的属性，清理完再把没删掉的改回去。
rem 文件：只有本用户和管理员能写入的地方，按原名删除；别人也能写入的地方，名字后
rem 面加 *，DEL 按通配符处理，只删除这一层的文件。同一层里若有以这个名字开头的别
rem 的项目，通配符会连它们一起删掉而不记日志，这个文件就先不删（记一行），别的照
rem 常处理。
rem 文件夹：在只有本用户和管理员能写入的地方，进入后再看一眼，确是文件夹而不是
rem 链接才清理里面；然后用 RD 删除它，只有空了才删得掉。
:CleanHere
set /a depth+=1
call :HiddenItems unhide
for %%I in (*) do (
  set "attributes=-%%~aI"
  call :FileKind
  if defined link (
    set /a skipped+=1
    echo 跳过 %%~fI：是指向别处的链接，不进入也不删除
  )
  if defined plain if "%mode%"=="shared" if exist "%%I?*" (
    set "plain="
    set /a skipped+=1
    echo 未删除 %%~fI：同一个文件夹里有以它的名字开头的其他项目，这里其他用户也能写入，只能按通配符删除，会连它们一起删掉，这次先不删
  )
  if defined plain (
    set "pattern=%%I"
    if "%mode%"=="private" del /f /q /a "%%I" >nul 2>nul
    if "%mode%"=="shared" del /f /q /a:-h-s "%%I*" >nul 2>nul
    if exist "%%I" call :Reason del
    if not exist "%%I" (
      set /a removedFiles+=1
      echo 已删除 %%~fI
    )
    if exist "%%I" (
      set "keptPath=%%~fI"
      call :SayKept 未删除
    )
  )
)
for /d %%J in (*) do (
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
    if "%mode%"=="private" pushd "%%J" 2>nul
    if "%mode%"=="private" call :CheckEntered
    if defined entered%depth% call :CleanHere
    if defined pushed%depth% popd
    set "target=%%J"
    rd "%%J" >nul 2>nul
    if exist "%%J" call :Reason rd
    if not exist "%%J" (
      set /a removedFolders+=1
      echo 已删除文件夹 %%~fJ
    )
    if exist "%%J" (
      set "keptPath=%%~fJ"
      call :SayKept 未删除文件夹 folder
    )
  )
)
call :HiddenItems restore
set /a depth-=1
exit /b 0

:Attributes
set "link="
set "hiddenOrSystem="
if not "%attributes:l=%"=="%attributes%" set "link=1"
if not "%attributes:h=%"=="%attributes%" set "hiddenOrSystem=1"
if not "%attributes:s=%"=="%attributes%" set "hiddenOrSystem=1"
exit /b 0

rem 文件至多取一：link（链接）或 plain（其余）。隐藏和系统文件由 :HiddenItems 处理，
rem 它去掉了属性的已经不是隐藏和系统文件了；有的系统上 FOR 也列出其余的，这里不
rem 碰它们。已经不在了（别的程序删了它）的，都不是。
:FileKind
set "plain="
call :Attributes
if "%attributes%"=="-" set "link="
if "%attributes%"=="-" exit /b 0
if defined hiddenOrSystem set "link="
if defined hiddenOrSystem exit /b 0
if defined link exit /b 0
set "plain=1"
exit /b 0

rem 文件夹三者至多取一：link（链接）、program（本程序所在的文件夹）或 plain（其余）；
rem 隐藏和系统的、已经不在了的，都不是。
:FolderKind
set "program="
set "plain="
call :Attributes
if "%attributes%"=="-" set "link="
if "%attributes%"=="-" exit /b 0
if defined hiddenOrSystem set "link="
if defined hiddenOrSystem exit /b 0
if defined link exit /b 0
if /i "%longName%"=="%programFolder%" set "program=1"
if /i "%shortName%"=="%programFolderShort%" set "program=1"
if not defined program set "plain=1"
exit /b 0

rem 刚才的 PUSHD 失败时 ERRORLEVEL 为 1。进去了还要看一眼：当前文件夹不能是链接。
:CheckEntered
if errorlevel 1 exit /b 0
set "pushed%depth%=1"
for %%K in (.) do set "attributes=-%%~aK"
call :Attributes
if not defined link set "entered%depth%=1"
exit /b 0

rem 隐藏和系统的文件和文件夹：FOR 不列出它们，DIR 列得出，但 DIR 的清单经过控制
rem 台代码页，代码页写不出的字符变成了 ?。三份清单按属性分开（隐藏且系统、只隐
rem 藏、只系统），由不读注册表 AutoRun、ANSI 输出的 cmd 写出，FOR /F 读得回来；
rem 清单按层数命名，进入下一层时不会被覆盖。
rem %1 是 unhide 时，去掉属性，让 FOR 列出它们：
rem - 清单上的名字没有 ?：多半就是原名，确是一个隐藏或系统的项目才算。文件去掉
rem   属性；文件夹在只有本用户和管理员能写入的地方去掉属性，在别人也能写入的地方
rem   不改（它随时可能被换成链接，ATTRIB 会改到链接指向的东西），这里就按原名 RD。
rem   链接不改属性，记一行。
rem - 名字里有 ?：当作通配符，去掉匹配的文件的属性（ATTRIB 不带 /D 不碰文件夹），
rem   再由 FOR 列出，拿到原名。通配符若也匹配到普通文件，分不清哪个是它，不动它。
rem - 按名字找不到的，用清单上的名字记一行。
rem %1 是 restore 时，把还在的改回原来的属性。
:HiddenItems
if "%~1"=="restore" goto HiddenRestore
set "hidden%depth%="
dir /a:h >nul 2>nul
if not errorlevel 1 set "hidden%depth%=1"
dir /a:s >nul 2>nul
if not errorlevel 1 set "hidden%depth%=1"
if not defined hidden%depth% exit /b 0
if not defined cmdExe goto HiddenUnlisted
if not defined attribExe goto HiddenUnlisted
for %%C in (hs h-s s-h) do "%cmdExe%" /d /a /c dir /b /a:%%C >"%scratch%QLLJ.hidden%depth%%%C.tmp" 2>nul
call :HiddenList hs Unhide
call :HiddenList h-s Unhide
call :HiddenList s-h Unhide
exit /b 0
:HiddenUnlisted
set "hidden%depth%="
set /a skipped+=1
for %%K in (.) do echo 跳过 %%~fK 里的隐藏和系统项目：系统文件夹里没有 cmd.exe 或 attrib.exe，列不出它们
exit /b 0
:HiddenRestore
if not defined hidden%depth% exit /b 0
call :HiddenList hs Rehide
call :HiddenList h-s Rehide
call :HiddenList s-h Rehide
exit /b 0

rem 一份清单上的每一项交给 %2；restore 是这份清单的项目原来的属性。
:HiddenList
if "%~1"=="hs" set "restore=+h +s"
if "%~1"=="h-s" set "restore=+h"
if "%~1"=="s-h" set "restore=+s"
for /f "usebackq eol=/ delims=" %%L in ("%scratch%QLLJ.hidden%depth%%~1.tmp") do (
  set "lossy=%%L"
  call :%~2
)
exit /b 0

:Unhide
call :HasQuestionMark
if defined questionMark goto UnhidePattern
for %%Q in (".\%lossy%") do set "attributes=-%%~aQ"
if "%attributes%"=="-" goto HiddenUnnamed
call :Attributes
if not defined hiddenOrSystem goto HiddenUnnamed
if defined link goto HiddenLink
if "%attributes:d=%"=="%attributes%" goto UnhideFile
if "%mode%"=="shared" goto HiddenSharedFolder
set "change=-h -s"
set "folderSwitch=/d"
goto ChangeAttributes
:UnhideFile
set "change=-h -s"
set "folderSwitch="
goto ChangeAttributes
:UnhidePattern
for %%Q in (".\%lossy%") do goto HiddenUnnamed
set "change=-h -s"
set "folderSwitch="
call :ChangeAttributes
for %%Q in (".\%lossy%") do exit /b 0
:HiddenUnnamed
set /a skipped+=1
for %%K in (.) do for /f "delims=" %%L in ("%lossy%") do echo 跳过 %%~fK\%%L：隐藏或系统项目，它的名字经过代码页后变了（写不出的字符成了 ?），按名字找不到它
exit /b 0
:HiddenLink
set /a skipped+=1
for %%Q in (".\%lossy%") do echo 跳过 %%~fQ：是指向别处的链接，不进入也不删除
exit /b 0
:HiddenSharedFolder
set "target=%lossy%"
rd ".\%lossy%" >nul 2>nul
if exist ".\%lossy%" call :Reason rd
for %%Q in (".\%lossy%") do set "keptPath=%%~fQ"
if exist ".\%lossy%" goto HiddenSharedFolderKept
set /a removedFolders+=1
for %%Q in ("%keptPath%") do echo 已删除文件夹 %%~Q
exit /b 0
:HiddenSharedFolderKept
call :SayKept 未删除文件夹 folder
exit /b 0

rem 清单上的名字里有没有 ?（前后加上 x，? 在头尾时 FOR /F 也分得出两段）。
:HasQuestionMark
set "questionMark="
for /f "tokens=1* delims=?" %%A in ("x%lossy%x") do if not "%%B"=="" set "questionMark=1"
exit /b 0

rem 链接不改；文件夹只在去掉过属性的地方改回去。
:Rehide
if not exist ".\%lossy%" exit /b 0
call :HasQuestionMark
if defined questionMark goto RehideFiles
for %%Q in (".\%lossy%") do set "attributes=-%%~aQ"
call :Attributes
if defined link exit /b 0
if "%attributes:d=%"=="%attributes%" goto RehideFiles
if "%mode%"=="shared" exit /b 0
set "change=%restore%"
set "folderSwitch=/d"
goto ChangeAttributes
:RehideFiles
set "change=%restore%"
set "folderSwitch="
goto ChangeAttributes

rem ATTRIB 按 change 改 .\lossy 的属性（folderSwitch 是 /D 时也改文件夹）。Windows
rem 要求隐藏和系统两个属性一起改；有的 ATTRIB 一次只认一个，就再一个一个地改，
rem 已经改好的不会再变。
:ChangeAttributes
"%attribExe%" %change% %folderSwitch% ".\%lossy%" >nul 2>nul
for %%F in (%change%) do "%attribExe%" %%F %folderSwitch% ".\%lossy%" >nul 2>nul
exit /b 0

rem 没删掉的一项：keptPath 是它的完整路径，%1 是行首的字，%2 是 folder 时再写明
rem 为什么没有进去。
:SayKept
set /a skipped+=1
set "keptNote="
if "%~2"=="folder" set "keptNote=%folderNote%"
for %%K in ("%keptPath%") do for /f "delims=" %%R in ("%reason%%keptNote%") do echo %~1 %%~K：%%R
exit /b 0

rem 删不掉时的原因就是系统的出错提示（正在使用、拒绝访问……），取最后一行。这
rem 个批处理的输出是 UTF-16，它写进文件的出错提示 FOR /F 读不回来，所以由一个
rem ANSI 输出的 cmd 再试一次，它的出错提示写进 reasonFile。名字经由环境变量
rem pattern 或 target 交给它：它只展开一次，不会把名字当作命令解释；这次若删掉
rem 了，调用的地方会看到它已经不在。
:Reason
set "reason=原因不明"
if not defined cmdExe exit /b 0
if "%~1"=="rd" goto ReasonRd
if "%mode%"=="shared" set "pattern=%pattern%*"
"%cmdExe%" /d /a /v:off /c del /f /q /a:-h-s "%%pattern%%" >nul 2>"%reasonFile%"
goto ReasonRead
:ReasonRd
"%cmdExe%" /d /a /v:off /c rd "%%target%%" >nul 2>"%reasonFile%"
:ReasonRead
for /f "usebackq eol=| delims=" %%R in ("%reasonFile%") do if not "%%R"=="" set "reason=%%R"
set "reason=%reason:"=%"
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
