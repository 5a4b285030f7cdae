; Velmaro-Setup.exe: installs Velmaro for every user of the computer into the
; 32-bit Program Files folder, where only administrators can change the files.
; That matters: the program runs elevated, and runs QLLJ.bat elevated.
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DFILES=<folder with Velmaro.exe,
;            QLLJ.bat and Velmaro.CHM> -DICONS=<folder with enashut.ico and
;            disshut.ico> -DOUTFILE=<Velmaro-Setup.exe> velmaro.nsi
;
; Command line of the installer: /S silent, /AUTOSTART start with Windows,
; /D=folder (last, unquoted) the installation folder.
; Command line of the uninstaller: /S silent; a silent uninstall keeps the
; stored tasks and settings.

Unicode true
RequestExecutionLevel admin
ManifestSupportedOS all
SetCompressor /SOLID lzma

!include MUI2.nsh
!include FileFunc.nsh
!include LogicLib.nsh
!include Sections.nsh
!include WinMessages.nsh
!include WinVer.nsh
!include WordFunc.nsh

!define UNINSTALL_KEY "Software\Microsoft\Windows\CurrentVersion\Uninstall\Velmaro"
!define RUN_KEY "Software\Microsoft\Windows\CurrentVersion\Run"
!define RUN_VALUE "Zedevi"
!define STORE_KEY "Software\Drennik\Velmaro"
; The settings dialog creates and deletes the logon task under the same name.
!define LOGON_TASK "Velmaro"

Name "Velmaro"
OutFile "${OUTFILE}"
InstallDir "$PROGRAMFILES\Velmaro"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velmaro ${VERSION}"

!define MUI_ICON "${ICONS}/enashut.ico"
!define MUI_UNICON "${ICONS}/disshut.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN "$INSTDIR\Velmaro.exe"
!define MUI_FINISHPAGE_RUN_TEXT "启动 Velmaro"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Velmaro"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Drennik"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Velmaro 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Drennik"

; Ends every running Velmaro of this desktop: WM_CLOSE to its main window
; removes the tray icon and releases the store, then the process exits.
; Waited for, so that its files can be replaced or removed. Other programs
; have main windows of the class "TForm1" too: only Velmaro.exe's are closed.
!macro END_RUNNING_VELMARO un
Function ${un}EndRunningVelmaro
  StrCpy $R0 0  ; the window after which to look
  StrCpy $R1 0  ; closes so far, in case one does not end
  ${Do}
    FindWindow $R0 "TForm1" "" 0 $R0
    ${If} $R0 == 0
    ${OrIf} $R1 >= 10
      ${Break}
    ${EndIf}
    System::Call 'user32::GetWindowThreadProcessId(p R0, *i .R2)'
    ; SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ
    System::Call 'kernel32::OpenProcess(i 0x00100410, i 0, i R2) p .R3'
    ${If} $R3 P<> 0
      System::Call 'psapi::GetModuleFileNameExW(p R3, p 0, w .R4, i ${NSIS_MAX_STRLEN})'
      ${GetFileName} $R4 $R4
      ${If} $R4 == "Velmaro.exe"
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        System::Call 'kernel32::WaitForSingleObject(p R3, i 10000)'
        IntOp $R1 $R1 + 1
        StrCpy $R0 0  ; the list of windows has changed: from the top again
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R3)'
    ${EndIf}
  ${Loop}
FunctionEnd
!macroend
!insertmacro END_RUNNING_VELMARO ""
!insertmacro END_RUNNING_VELMARO "un."

; Start with Windows as the settings dialog sets it: the Run value with the
; exe's path, and from Vista on a logon task, because an elevated program is
; not started from the Run key under UAC.
Function SetStartWithWindows
  WriteRegStr HKLM "${RUN_KEY}" "${RUN_VALUE}" "$INSTDIR\Velmaro.exe"
  ${IfNot} ${AtLeastWinVista}
    Return
  ${EndIf}
  ${WordReplace} "$INSTDIR\Velmaro.exe" "&" "&amp;" "+" $R0
  InitPluginsDir
  FileOpen $R1 "$PLUGINSDIR\logon-task.xml" w
  FileWriteUTF16LE /BOM $R1 '<?xml version="1.0" encoding="UTF-16"?>$\r$\n'
  FileWriteUTF16LE $R1 '<Task version="1.2" xmlns="http://schemas.microsoft.com/windows/2004/02/mit/task">$\r$\n'
  FileWriteUTF16LE $R1 '  <RegistrationInfo>$\r$\n'
  FileWriteUTF16LE $R1 '    <Author>Drennik</Author>$\r$\n'
  FileWriteUTF16LE $R1 '    <Description>用户登录时启动 Velmaro。</Description>$\r$\n'
  FileWriteUTF16LE $R1 '  </RegistrationInfo>$\r$\n'
  ; Any user's logon; the task runs as that user, elevated where the user may be.
  FileWriteUTF16LE $R1 '  <Triggers>$\r$\n'
  FileWriteUTF16LE $R1 '    <LogonTrigger>$\r$\n'
  FileWriteUTF16LE $R1 '      <Enabled>true</Enabled>$\r$\n'
  FileWriteUTF16LE $R1 '    </LogonTrigger>$\r$\n'
  FileWriteUTF16LE $R1 '  </Triggers>$\r$\n'
  FileWriteUTF16LE $R1 '  <Principals>$\r$\n'
  FileWriteUTF16LE $R1 '    <Principal id="Users">$\r$\n'
  FileWriteUTF16LE $R1 '      <GroupId>S-1-5-32-545</GroupId>$\r$\n'
  FileWriteUTF16LE $R1 '      <RunLevel>HighestAvailable</RunLevel>$\r$\n'
  FileWriteUTF16LE $R1 '    </Principal>$\r$\n'
  FileWriteUTF16LE $R1 '  </Principals>$\r$\n'
  ; No time limit, also on battery, one instance, normal priority.
  FileWriteUTF16LE $R1 '  <Settings>$\r$\n'
  FileWriteUTF16LE $R1 '    <MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>$\r$\n'
  FileWriteUTF16LE $R1 '    <DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>$\r$\n'
  FileWriteUTF16LE $R1 '    <StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>$\r$\n'
  FileWriteUTF16LE $R1 '    <ExecutionTimeLimit>PT0S</ExecutionTimeLimit>$\r$\n'
  FileWriteUTF16LE $R1 '    <Priority>5</Priority>$\r$\n'
  FileWriteUTF16LE $R1 '    <Enabled>true</Enabled>$\r$\n'
  FileWriteUTF16LE $R1 '  </Settings>$\r$\n'
  FileWriteUTF16LE $R1 '  <Actions Context="Users">$\r$\n'
  FileWriteUTF16LE $R1 '    <Exec>$\r$\n'
  FileWriteUTF16LE $R1 '      <Command>$R0</Command>$\r$\n'
  FileWriteUTF16LE $R1 '    </Exec>$\r$\n'
  FileWriteUTF16LE $R1 '  </Actions>$\r$\n'
  FileWriteUTF16LE $R1 '</Task>$\r$\n'
  FileClose $R1
  nsExec::Exec '"$SYSDIR\schtasks.exe" /create /tn "${LOGON_TASK}" /xml "$PLUGINSDIR\logon-task.xml" /f'
  Pop $R0
FunctionEnd

!macro CLEAR_START_WITH_WINDOWS un
Function ${un}ClearStartWithWindows
  ; A Run value that names another copy of Velmaro is that copy's, and so is
  ; the logon task then.
  ReadRegStr $R0 HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${If} $R0 != ""
  ${AndIf} $R0 != "$INSTDIR\Velmaro.exe"
    Return
  ${EndIf}
  DeleteRegValue HKLM "${RUN_KEY}" "${RUN_VALUE}"
  ${If} ${AtLeastWinVista}
    nsExec::Exec '"$SYSDIR\schtasks.exe" /delete /tn "${LOGON_TASK}" /f'
    Pop $R0
  ${EndIf}
FunctionEnd
!macroend
!insertmacro CLEAR_START_WITH_WINDOWS ""
!insertmacro CLEAR_START_WITH_WINDOWS "un."

Section "Velmaro" SecProgram
  SectionIn RO
  Call EndRunningVelmaro
  SetOutPath "$INSTDIR"
  File "${FILES}/Velmaro.exe"
  File "${FILES}/QLLJ.bat"
  File "${FILES}/Velmaro.CHM"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  CreateShortcut "$SMPROGRAMS\Velmaro.lnk" "$INSTDIR\Velmaro.exe" "" "$INSTDIR\Velmaro.exe" 0 SW_SHOWNORMAL "" \
                 "按时提醒、打开文件、关闭程序或关机"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Drennik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmaro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  ${GetSize} "$INSTDIR" "/S=0K" $R0 $R1 $R2
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "EstimatedSize" $R0
SectionEnd

; The choice only; the section after it applies it either way, so that an
; upgrade can also switch start with Windows off.
Section /o "开机启动" SecAutostart
SectionEnd

Section "-StartWithWindows"
  ${If} ${SectionIsSelected} ${SecAutostart}
    Call SetStartWithWindows
  ${Else}
    Call ClearStartWithWindows
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Velmaro 程序、清理系统垃圾的批处理 QLLJ.bat、帮助文件和“开始”菜单中的快捷方式。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "每个用户登录 Windows 时自动启动 Velmaro。以后也可以在 Velmaro 的设置中更改。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ; The choice starts as it is now, so that an upgrade keeps it.
  ${GetParameters} $R0
  ClearErrors
  ${GetOptions} $R0 "/AUTOSTART" $R1
  ${IfNot} ${Errors}
    !insertmacro SelectSection ${SecAutostart}
  ${Else}
    ReadRegStr $R1 HKLM "${RUN_KEY}" "${RUN_VALUE}"
    ${If} $R1 == "$INSTDIR\Velmaro.exe"
      !insertmacro SelectSection ${SecAutostart}
    ${EndIf}
  ${EndIf}
FunctionEnd

Section "Uninstall"
  Call un.EndRunningVelmaro
  Call un.ClearStartWithWindows
  Delete /REBOOTOK "$INSTDIR\Velmaro.exe"
  Delete "$INSTDIR\QLLJ.bat"
  Delete "$INSTDIR\Velmaro.CHM"
  Delete "$INSTDIR\清理系统垃圾列表*.txt"
  Delete "$INSTDIR\uninstall.exe"
  RMDir /REBOOTOK "$INSTDIR"

  SetShellVarContext all
  Delete "$SMPROGRAMS\Velmaro.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "是否同时删除保存的任务和设置？$\r$\n$\r$\n选择“否”将保留它们，以后重新安装 Velmaro 时可以继续使用。" \
             /SD IDNO IDNO keepStore
  DeleteRegKey HKLM "${STORE_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Drennik"
  keepStore:
SectionEnd
