; Velmaro-Setup.exe: installs Velmaro for every user of the computer into the
; 32-bit Program Files folder, where only administrators can change the files.
; That matters: the program runs elevated, and runs QLLJ.bat elevated.
;
;   makensis -INPUTCHARSET UTF8 -DVERSION=1.0.0 -DFILES=<folder with Velmaro.exe,
;            QLLJ.bat and Velmaro.CHM> -DICONS=<folder with enashut.ico and
;            disshut.ico> -DOUTFILE=<Velmaro-Setup.exe> [-DAMD64] velmaro.nsi
;
; -DAMD64 builds a 64-bit installer for the 64-bit test build of Velmaro.exe,
; for machines that run no 32-bit program. Each installer uses the Program
; Files folder and the registry view of its own kind, which are those of the
; exe it carries: the shipped one on 64-bit Windows writes the 32-bit view
; (Wow6432Node), where the 32-bit program reads its store and Run value.
;
; Command line of the installer: /S silent, /AUTOSTART start with Windows,
; /DOWNGRADE replace a newer installed version without asking, /D=folder
; (last, unquoted) the installation folder.
; Exit codes: 0 installed, 1 cancelled, 2 aborted, 3 a file of the installed
; version is in use and could not be replaced, 4 a newer version is installed
; (downgrade refused), 5 the folder could not be closed to standard users.
; Command line of the uninstaller: /S silent; a silent uninstall keeps the
; stored tasks and settings.

!ifdef AMD64
  Target amd64-unicode
  !define PROGRAM_FILES "$PROGRAMFILES64"
!else
  Target x86-unicode
  !define PROGRAM_FILES "$PROGRAMFILES"
!endif
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
InstallDir "${PROGRAM_FILES}\Velmaro"
InstallDirRegKey HKLM "${UNINSTALL_KEY}" "InstallLocation"
BrandingText "Velmaro ${VERSION}"

!define MUI_ICON "${ICONS}/enashut.ico"
!define MUI_UNICON "${ICONS}/disshut.ico"
!define MUI_ABORTWARNING
!define MUI_FINISHPAGE_RUN
!define MUI_FINISHPAGE_RUN_FUNCTION StartVelmaro
!define MUI_FINISHPAGE_RUN_TEXT "启动 Velmaro"

!insertmacro MUI_PAGE_WELCOME
!insertmacro MUI_PAGE_DIRECTORY
!insertmacro MUI_PAGE_COMPONENTS
!insertmacro MUI_PAGE_INSTFILES
!insertmacro MUI_PAGE_FINISH
!insertmacro MUI_UNPAGE_CONFIRM
!insertmacro MUI_UNPAGE_INSTFILES
!insertmacro MUI_LANGUAGE "SimpChinese"

; A file that cannot be replaced ends the installation (CheckFilesReplaceable
; explains it first): never an upgrade that keeps part of the old version.
AllowSkipFiles off

Var WasRunning     ; 1 when a Velmaro was ended to replace its files
Var CreatedFolder  ; 1 when this or an earlier installation made $INSTDIR

VIProductVersion "${VERSION}.0"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductName" "Velmaro"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "CompanyName" "Drennik"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileDescription" "Velmaro 安装程序"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "FileVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "ProductVersion" "${VERSION}"
VIAddVersionKey /LANG=${LANG_SIMPCHINESE} "LegalCopyright" "Drennik"

; Ends every running Velmaro of this desktop: WM_CLOSE to its main window
; removes the tray icon and releases the store, then the process exits.
; Waited for, so that its files can be replaced or removed; one that has not
; ended after 15 s is hung or busy (a cleanup batch that does not end) and is
; ended by force. Other programs have main windows of the class "TForm1"
; too: only Velmaro.exe's are closed.
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
    ; SYNCHRONIZE | PROCESS_QUERY_INFORMATION | PROCESS_VM_READ | PROCESS_TERMINATE
    System::Call 'kernel32::OpenProcess(i 0x00100411, i 0, i R2) p .R3'
    ${If} $R3 P<> 0
      System::Call 'psapi::GetModuleFileNameExW(p R3, p 0, w .R4, i ${NSIS_MAX_STRLEN})'
      ${GetFileName} $R4 $R4
      ${If} $R4 == "Velmaro.exe"
        SendMessage $R0 ${WM_CLOSE} 0 0 /TIMEOUT=5000
        System::Call 'kernel32::WaitForSingleObject(p R3, i 10000) i .R5'
        ${If} $R5 != 0  ; not WAIT_OBJECT_0
          System::Call 'kernel32::TerminateProcess(p R3, i 1)'
          System::Call 'kernel32::WaitForSingleObject(p R3, i 5000)'
        ${EndIf}
        StrCpy $WasRunning 1
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
  ; The task the settings dialog registers too, from the same template.
  ${WordReplace} "$INSTDIR\Velmaro.exe" "&" "&amp;" "+" $R0
  InitPluginsDir
  File "/oname=$PLUGINSDIR\logon-task.template.xml" "../resources/logon-task.xml"  ; from this script's folder
  FileOpen $R1 "$PLUGINSDIR\logon-task.template.xml" r
  FileOpen $R2 "$PLUGINSDIR\logon-task.xml" w
  FileWriteWord $R2 0xFEFF
  ${Do}
    ClearErrors
    FileRead $R1 $R3
    ${If} ${Errors}
      ${Break}
    ${EndIf}
    ${WordReplace} $R3 "VELMARO_EXE" $R0 "+" $R3
    FileWriteUTF16LE $R2 $R3
  ${Loop}
  FileClose $R2
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

; Files of the installed version that cannot be written now (in use by a
; Velmaro that was not ended, for example one in another user's session, or
; held open by another program) are named, and the installation ends unless
; they are freed: an upgrade is all or nothing.
!macro ADD_IF_IN_USE name
  ${If} ${FileExists} "$INSTDIR\${name}"
    ClearErrors
    FileOpen $R0 "$INSTDIR\${name}" a
    ${If} ${Errors}
      StrCpy $R9 "$R9$\r$\n$INSTDIR\${name}"
    ${Else}
      FileClose $R0
    ${EndIf}
  ${EndIf}
!macroend

Function CheckFilesReplaceable
  ${Do}
    StrCpy $R9 ""
    !insertmacro ADD_IF_IN_USE "Velmaro.exe"
    !insertmacro ADD_IF_IN_USE "QLLJ.bat"
    !insertmacro ADD_IF_IN_USE "Velmaro.CHM"
    !insertmacro ADD_IF_IN_USE "uninstall.exe"
    ${If} $R9 == ""
      Return
    ${EndIf}
    DetailPrint "正在使用，无法替换：$R9"
    MessageBox MB_RETRYCANCEL|MB_ICONSTOP "以下文件正在使用，无法替换：$R9$\r$\n$\r$\n请退出正在使用它们的程序（例如其他用户会话中的 Velmaro），然后点“重试”。点“取消”结束安装，已安装的版本保持不变。" \
               /SD IDCANCEL IDRETRY retry
    SetErrorLevel 3
    Abort "文件正在使用，无法替换。已安装的版本保持不变。"
    retry:
  ${Loop}
FunctionEnd

; 1 in $R0 when $INSTDIR is the folder on the stack or lies inside it.
Function IsInFolder
  Exch $R1
  Push $R2
  StrCpy $R1 "$R1\"
  StrLen $R2 $R1
  StrCpy $R2 "$INSTDIR\" $R2
  StrCpy $R0 0
  ${If} $R2 == $R1  ; without regard to case, as the file system
    StrCpy $R0 1
  ${EndIf}
  Pop $R2
  Pop $R1
FunctionEnd

; The program runs elevated and runs QLLJ.bat elevated: whoever can change
; the files of its folder can run anything as an administrator. Program
; Files lets only administrators change them; any other folder (/D=, a
; folder in Downloads) gets the same: owned by the administrators, who and
; SYSTEM may change it, users may read and run it (the help and the cleanup
; log open as the signed-in user), nothing inherited from a parent that
; users may write. Files already there inherit it too. The system call
; rather than icacls or cacls: it is the same from Windows XP on and needs
; no localised account names.
Function SecureFolder
  Push "$PROGRAMFILES32"
  Call IsInFolder
  ${If} $R0 == 0
    Push "$PROGRAMFILES64"
    Call IsInFolder
  ${EndIf}
  ${If} $R0 == 1
    Return
  ${EndIf}
  StrCpy $R0 1  ; not ERROR_SUCCESS
  ; SDDL_REVISION_1
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)", i 1, *p .R1, p 0) i .R2'
  ${If} $R2 != 0
    System::Call 'advapi32::GetSecurityDescriptorOwner(p R1, *p .R3, *i .R5) i .R2'
    System::Call 'advapi32::GetSecurityDescriptorDacl(p R1, *i .R5, *p .R4, *i .R5) i .R6'
    ${If} $R2 != 0
    ${AndIf} $R6 != 0
      ; SE_FILE_OBJECT; OWNER_ | DACL_ | PROTECTED_DACL_SECURITY_INFORMATION
      System::Call 'advapi32::SetNamedSecurityInfoW(w "$INSTDIR", i 1, i 0x80000005, p R3, p 0, p R4, p 0) i .R0'
    ${EndIf}
    System::Call 'kernel32::LocalFree(p R1)'
  ${EndIf}
  ${If} $R0 != 0
    DetailPrint "无法设置 $INSTDIR 的权限（错误 $R0）"
    MessageBox MB_OK|MB_ICONSTOP "无法设置文件夹“$INSTDIR”的权限（错误 $R0），标准用户将能更改其中以管理员身份运行的文件。请选择“Program Files”中的文件夹。" /SD IDOK
    SetErrorLevel 5
    Abort "无法设置文件夹的权限。"
  ${EndIf}
  ; Files of an earlier version keep an owner and rights of their own: they
  ; are written anew, so that they take the folder's.
  Delete "$INSTDIR\Velmaro.exe"
  Delete "$INSTDIR\QLLJ.bat"
  Delete "$INSTDIR\Velmaro.CHM"
  Delete "$INSTDIR\uninstall.exe"
FunctionEnd

; The record of what ran, Velmaro\运行记录.log in the common application
; data folder, is written by the elevated program: its folder is made here,
; before the program first runs, owned by the administrators, who and SYSTEM
; alone may change it, users may read it, nothing inherited from the folder
; above, where users may add folders (the program makes it the same way where
; it is missing). A folder already there is closed the same way only when it
; is no link and the administrators or SYSTEM own it, as an earlier version
; of the program made it; one a standard user made, or a link, is left as it
; is, and the program refuses to write into it and says so. Expects
; SetShellVarContext all.
!define RECORD_FOLDER_SDDL "O:BAD:P(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)"
Function MakeRecordFolder
  StrCpy $R0 "$APPDATA\Velmaro"
  System::Call 'advapi32::ConvertStringSecurityDescriptorToSecurityDescriptorW(w "${RECORD_FOLDER_SDDL}", i 1, *p .R1, p 0) i .R2'
  ${If} $R2 == 0
    Return
  ${EndIf}
  System::Call 'kernel32::GetFileAttributesW(w R0) i .R3'
  ${If} $R3 = -1  ; INVALID_FILE_ATTRIBUTES: none yet
    ; SECURITY_ATTRIBUTES as the target lays it out.
!ifdef AMD64
    System::Call '*(i 24, i 0, p R1, i 0, i 0) p .R4'
!else
    System::Call '*(i 12, p R1, i 0) p .R4'
!endif
    System::Call 'kernel32::CreateDirectoryW(w R0, p R4) i .R2'
    System::Free $R4
    ${If} $R2 == 0
      DetailPrint "无法建立运行记录文件夹 $R0"
    ${EndIf}
  ${Else}
    ; Through one handle that does not follow a link, so that nothing can
    ; be swapped in between the checks and the change.
    ; READ_CONTROL | WRITE_DAC | WRITE_OWNER | FILE_READ_ATTRIBUTES; OPEN_EXISTING;
    ; FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT
    System::Call 'kernel32::CreateFileW(w R0, i 0xE0080, i 7, p 0, i 3, i 0x02200000, p 0) p .R9'
    StrCpy $R5 ""
    ${If} $R9 P<> -1
      System::Alloc 52  ; BY_HANDLE_FILE_INFORMATION
      Pop $R4
      System::Call 'kernel32::GetFileInformationByHandle(p R9, p R4) i .R2'
      System::Call '*$R4(i .R3)'
      System::Free $R4
      IntOp $R3 $R3 & 0x410  ; FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY
      ${If} $R2 != 0
      ${AndIf} $R3 = 16  ; a folder, no link
        ; SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION
        System::Call 'advapi32::GetSecurityInfo(p R9, i 1, i 1, *p .R6, p 0, p 0, p 0, *p .R7) i .R2'
        ${If} $R2 = 0
          System::Call 'advapi32::ConvertSidToStringSidW(p R6, *p .R8) i .R2'
          ${If} $R2 != 0
            System::Call 'kernel32::lstrcpynW(w .R5, p R8, i 64)'
            System::Call 'kernel32::LocalFree(p R8)'
          ${EndIf}
          System::Call 'kernel32::LocalFree(p R7)'
        ${EndIf}
      ${EndIf}
      ${If} $R5 == "S-1-5-32-544"
      ${OrIf} $R5 == "S-1-5-18"
        System::Call 'advapi32::GetSecurityDescriptorOwner(p R1, *p .R6, *i .R7) i .R2'
        System::Call 'advapi32::GetSecurityDescriptorDacl(p R1, *i .R7, *p .R8, *i .R7) i .R3'
        ${If} $R2 != 0
        ${AndIf} $R3 != 0
          ; OWNER_ | DACL_ | PROTECTED_DACL_SECURITY_INFORMATION
          System::Call 'advapi32::SetSecurityInfo(p R9, i 1, i 0x80000005, p R6, p 0, p R8, p 0) i .R2'
          ${If} $R2 != 0
            DetailPrint "无法设置运行记录文件夹 $R0 的权限（错误 $R2）"
          ${EndIf}
        ${EndIf}
      ${EndIf}
      System::Call 'kernel32::CloseHandle(p R9)'
    ${EndIf}
    ${If} $R5 != "S-1-5-32-544"
    ${AndIf} $R5 != "S-1-5-18"
      DetailPrint "运行记录文件夹 $R0 不是管理员建立的文件夹，Velmaro 不会写入；请删除它，再启动 Velmaro。"
    ${EndIf}
  ${EndIf}
  System::Call 'kernel32::LocalFree(p R1)'
FunctionEnd

; The uninstaller removes the folder only when an installation made it: a
; folder that was there before (/D= an existing folder, Program Files
; itself) is someone else's.
Function PrepareFolder
  StrCpy $CreatedFolder 1
  ${If} ${FileExists} "$INSTDIR\*.*"
    ReadRegStr $R0 HKLM "${UNINSTALL_KEY}" "InstallLocation"
    ReadRegDWORD $R1 HKLM "${UNINSTALL_KEY}" "InstallFolderCreated"
    ${If} $R0 != $INSTDIR
    ${OrIf} $R1 != 1
      StrCpy $CreatedFolder 0
    ${EndIf}
  ${EndIf}
  CreateDirectory "$INSTDIR"
  Call SecureFolder
FunctionEnd

; The size of the installed files in KB, rounded up, in $R0: not of the
; folder, which may hold much else.
!macro ADD_FILE_SIZE name
  FileOpen $R1 "$INSTDIR\${name}" r
  FileSeek $R1 0 END $R2
  FileClose $R1
  IntOp $R0 $R0 + $R2
!macroend

Function InstalledSize
  StrCpy $R0 0
  !insertmacro ADD_FILE_SIZE "Velmaro.exe"
  !insertmacro ADD_FILE_SIZE "QLLJ.bat"
  !insertmacro ADD_FILE_SIZE "Velmaro.CHM"
  !insertmacro ADD_FILE_SIZE "uninstall.exe"
  IntOp $R0 $R0 + 1023
  IntOp $R0 $R0 / 1024
FunctionEnd

; 1 in $R0 when this installer runs as the user whose shell shows the
; desktop, or when no shell does (no Explorer, as on a bare Windows XP
; session); 0 when the shell is another user's (the installer was started
; with another administrator's name) or it runs in the services' session (a
; deployment service, as SYSTEM).
Function RunsAsTheShellsUser
  StrCpy $R0 1
  System::Call 'user32::GetShellWindow() p .R1'
  ${If} $R1 P= 0
    ; From Vista on, session 0 is the services': no user is signed in there.
    System::Call 'kernel32::GetCurrentProcessId() i .R2'
    System::Call 'kernel32::ProcessIdToSessionId(i R2, *i .R3)'
    ${If} ${AtLeastWinVista}
    ${AndIf} $R3 == 0
      StrCpy $R0 0
    ${EndIf}
    Return
  ${EndIf}
  StrCpy $R0 0
  System::Call 'user32::GetWindowThreadProcessId(p R1, *i .R2)'
  System::Call 'kernel32::OpenProcess(i 0x400, i 0, i R2) p .R3'  ; PROCESS_QUERY_INFORMATION
  System::Call 'kernel32::GetCurrentProcess() p .R4'
  System::Alloc 512
  Pop $R5  ; the shell's TOKEN_USER, then this process's
  ${If} $R3 P<> 0
    System::Call 'advapi32::OpenProcessToken(p R3, i 8, *p .R6) i .R1'  ; TOKEN_QUERY
    System::Call 'advapi32::OpenProcessToken(p R4, i 8, *p .R7) i .R2'
    ${If} $R1 != 0
    ${AndIf} $R2 != 0
      System::Call 'advapi32::GetTokenInformation(p R6, i 1, p R5, i 256, *i .R8) i .R1'  ; TokenUser
      IntPtrOp $R9 $R5 + 256
      System::Call 'advapi32::GetTokenInformation(p R7, i 1, p R9, i 256, *i .R8) i .R2'
      ${If} $R1 != 0
      ${AndIf} $R2 != 0
        System::Call '*$R5(p .R1)'
        System::Call '*$R9(p .R2)'
        System::Call 'advapi32::EqualSid(p R1, p R2) i .R0'
        ${If} $R0 != 0
          StrCpy $R0 1
        ${EndIf}
      ${EndIf}
    ${EndIf}
    System::Call 'kernel32::CloseHandle(p R6)'
    System::Call 'kernel32::CloseHandle(p R7)'
    System::Call 'kernel32::CloseHandle(p R3)'
  ${EndIf}
  System::Free $R5
FunctionEnd

Section "Velmaro" SecProgram
  SectionIn RO
  Call EndRunningVelmaro
  Call CheckFilesReplaceable
  Call PrepareFolder
  SetOutPath "$INSTDIR"
  File "${FILES}/Velmaro.exe"
  File "${FILES}/QLLJ.bat"
  File "${FILES}/Velmaro.CHM"
  WriteUninstaller "$INSTDIR\uninstall.exe"

  SetShellVarContext all
  Call MakeRecordFolder
  CreateShortcut "$SMPROGRAMS\Velmaro.lnk" "$INSTDIR\Velmaro.exe" "" "$INSTDIR\Velmaro.exe" 0 SW_SHOWNORMAL "" \
                 "按时提醒、打开文件、关闭程序或关机"

  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayName" "Velmaro"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayVersion" "${VERSION}"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "Publisher" "Drennik"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "DisplayIcon" "$INSTDIR\Velmaro.exe,0"
  WriteRegStr HKLM "${UNINSTALL_KEY}" "InstallLocation" "$INSTDIR"
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "InstallFolderCreated" $CreatedFolder
  WriteRegStr HKLM "${UNINSTALL_KEY}" "UninstallString" '"$INSTDIR\uninstall.exe"'
  WriteRegStr HKLM "${UNINSTALL_KEY}" "QuietUninstallString" '"$INSTDIR\uninstall.exe" /S'
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoModify" 1
  WriteRegDWORD HKLM "${UNINSTALL_KEY}" "NoRepair" 1
  Call InstalledSize
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

; Starts the installed Velmaro again after an upgrade ended it, and from the
; finish page, as the signed-in user: as this installer where that is the
; user, else through the logon task, which starts it as each signed-in user
; with that user's rights; otherwise at the next logon only, never as an
; account that is not signed in.
Function StartVelmaro
  Call RunsAsTheShellsUser
  ${If} $R0 == 1
    Exec '"$INSTDIR\Velmaro.exe"'
  ${ElseIf} ${SectionIsSelected} ${SecAutostart}
  ${AndIf} ${AtLeastWinVista}
    nsExec::Exec '"$SYSDIR\schtasks.exe" /run /tn "${LOGON_TASK}"'
    Pop $R0
  ${Else}
    DetailPrint "Velmaro 将在下次登录时启动。"
  ${EndIf}
FunctionEnd

; A silent upgrade leaves the scheduler running as it found it; the finish
; page offers the same otherwise.
Section "-Restart"
  ${If} $WasRunning == 1
  ${AndIf} ${Silent}
    Call StartVelmaro
  ${EndIf}
SectionEnd

!insertmacro MUI_FUNCTION_DESCRIPTION_BEGIN
  !insertmacro MUI_DESCRIPTION_TEXT ${SecProgram} "Velmaro 程序、清理系统垃圾的批处理 QLLJ.bat、帮助文件和“开始”菜单中的快捷方式。"
  !insertmacro MUI_DESCRIPTION_TEXT ${SecAutostart} "每个用户登录 Windows 时自动启动 Velmaro。以后也可以在 Velmaro 的设置中更改。"
!insertmacro MUI_FUNCTION_DESCRIPTION_END

Function .onInit
  ${GetParameters} $R0
  ; A newer version is replaced only when asked to.
  ReadRegStr $R1 HKLM "${UNINSTALL_KEY}" "DisplayVersion"
  ${If} $R1 != ""
    ${VersionCompare} $R1 "${VERSION}" $R2
    ClearErrors
    ${GetOptions} $R0 "/DOWNGRADE" $R3
    ${If} $R2 == 1
    ${AndIf} ${Errors}
      MessageBox MB_YESNO|MB_ICONEXCLAMATION|MB_DEFBUTTON2 "已安装较新的 Velmaro $R1。确实要用旧版本 ${VERSION} 替换它吗？" \
                 /SD IDNO IDYES downgrade
      SetErrorLevel 4
      Abort
      downgrade:
    ${EndIf}
  ${EndIf}

  ; The choice starts as it is now, so that an upgrade keeps it.
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
  ReadRegDWORD $CreatedFolder HKLM "${UNINSTALL_KEY}" "InstallFolderCreated"
  Call un.EndRunningVelmaro
  Call un.ClearStartWithWindows
  Delete /REBOOTOK "$INSTDIR\Velmaro.exe"
  Delete "$INSTDIR\QLLJ.bat"
  Delete "$INSTDIR\Velmaro.CHM"
  Delete "$INSTDIR\清理系统垃圾列表*.txt"
  ; Left by a cleanup that was cut short.
  Delete "$INSTDIR\QLLJ.*.tmp"
  Delete "$INSTDIR\uninstall.exe"
  ; Only a folder an installation made, and only when empty: RMDir never
  ; removes what is in it, and /REBOOTOK only finishes the removal of ours.
  ${If} $CreatedFolder == 1
    RMDir /REBOOTOK "$INSTDIR"
  ${EndIf}

  SetShellVarContext all
  Delete "$SMPROGRAMS\Velmaro.lnk"
  DeleteRegKey HKLM "${UNINSTALL_KEY}"

  MessageBox MB_YESNO|MB_ICONQUESTION "是否同时删除保存的任务和设置？$\r$\n$\r$\n选择“否”将保留它们，以后重新安装 Velmaro 时可以继续使用。" \
             /SD IDNO IDNO keepStore
  DeleteRegKey HKLM "${STORE_KEY}"
  DeleteRegKey /ifempty HKLM "Software\Drennik"
  keepStore:
SectionEnd
