// Velmaro-Setup.exe under Wine, as an administrator deploying it runs it:
// silent install with start with Windows, the program started from the Start
// menu shortcut's target, and the silent uninstall, which ends the running
// program and removes everything but the stored tasks. Also upgrades over a
// running, a hung and a busy copy, a downgrade, and a folder of the user's
// choice. It changes the machine, so each case runs in a prefix of its own.
#include <windows.h>
#include <aclapi.h>
#include <psapi.h>
#include <sddl.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "tests/win32/win32_test_support.h"

namespace {

using velmaro::FileExists;
using velmaro::ReadWholeFile;
using velmaro::TestExeFolder;
using velmaro::WideString;

const wchar_t kStoreKey[] = L"Software\\Drennik\\Velmaro";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmaro";
const wchar_t* const kInstalledFiles[] = {L"Velmaro.exe", L"QLLJ.bat", L"Velmaro.CHM"};

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

WideString KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

WideString InstallFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Velmaro\\"; }
WideString ShortcutPath() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Velmaro.lnk"; }
WideString LogonTaskFile() {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return WideString(system) + L"\\Tasks\\Velmaro";
}

// A text value of HKEY_LOCAL_MACHINE; `present` tells a missing one from an empty one.
WideString MachineText(const wchar_t* keyPath, const wchar_t* name, bool* present = nullptr) {
  wchar_t text[1024] = {};
  DWORD size = sizeof text - sizeof(wchar_t);
  DWORD type = 0;
  HKEY key;
  bool found = RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS;
  if (found) {
    found = RegQueryValueExW(key, name, nullptr, &type, reinterpret_cast<BYTE*>(text), &size) == ERROR_SUCCESS;
    RegCloseKey(key);
  }
  if (present) *present = found;
  return text;
}

// A list value of HKEY_LOCAL_MACHINE, its entries joined by "|".
WideString MachineMultiText(const wchar_t* keyPath, const wchar_t* name) {
  WideString text(32768, L'\0');
  DWORD size = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return L"";
  if (RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&text[0]), &size) != ERROR_SUCCESS) size = 0;
  RegCloseKey(key);
  text.resize(size / sizeof(wchar_t));
  for (wchar_t& c : text) c = c ? c : L'|';
  return text;
}

bool MachineKeyExists(const wchar_t* keyPath) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Runs a command line and returns its exit code once it has ended.
DWORD Run(WideString commandLine) {
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  if (!CreateProcessW(nullptr, &commandLine[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) {
    return GetLastError();
  }
  WaitForSingleObject(info.hProcess, 60000);
  DWORD code = STILL_ACTIVE;
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  return code;
}

DWORD RunSetup(const wchar_t* options) { return Run(L"\"" + TestExeFolder() + L"Velmaro-Setup.exe\" " + options); }

// The uninstaller copies itself away and returns at once; the removal
// follows within a few seconds, its uninstall key among the last steps.
bool UninstallSilentlyAndWait() {
  bool present = false;
  const WideString quiet = MachineText(kUninstallKey, L"QuietUninstallString", &present);
  if (!present || Run(quiet) != 0) return false;
  for (int i = 0; i < 300 && MachineKeyExists(kUninstallKey); ++i) Sleep(100);
  Sleep(500);  // the shortcut and the store question come after the key
  return !MachineKeyExists(kUninstallKey);
}

DWORD MachineNumber(const wchar_t* keyPath, const wchar_t* name) {
  DWORD value = 0;
  DWORD size = sizeof value;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) == ERROR_SUCCESS) {
    RegQueryValueExW(key, name, nullptr, nullptr, reinterpret_cast<BYTE*>(&value), &size);
    RegCloseKey(key);
  }
  return value;
}

void SetMachineText(const wchar_t* keyPath, const wchar_t* name, const WideString& text) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_SET_VALUE, &key) != ERROR_SUCCESS) return;
  RegSetValueExW(key, name, 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                 static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

void WriteFile(const WideString& path, const std::string& content, DWORD disposition = CREATE_ALWAYS) {
  HANDLE file = CreateFileW(path.c_str(), FILE_APPEND_DATA, 0, nullptr, disposition, 0, nullptr);
  DWORD written = 0;
  ::WriteFile(file, content.data(), static_cast<DWORD>(content.size()), &written, nullptr);
  CloseHandle(file);
}

// Marks an installed file as the old version's: a PE file with bytes after
// its image still runs.
void MarkAsOld(const WideString& path) { WriteFile(path, "old version", OPEN_EXISTING); }

WideString ShortcutTarget(const WideString& shortcut) {
  wchar_t target[MAX_PATH] = {};
  IShellLinkW* link = nullptr;
  if (SUCCEEDED(CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkW,
                                 reinterpret_cast<void**>(&link)))) {
    IPersistFile* file = nullptr;
    if (SUCCEEDED(link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file)))) {
      if (SUCCEEDED(file->Load(shortcut.c_str(), STGM_READ))) link->GetPath(target, MAX_PATH, nullptr, 0);
      file->Release();
    }
    link->Release();
  }
  return target;
}

// What the uninstall entry should give as the size: the installed files, in KB rounded up.
DWORD InstalledKb(const WideString& folder) {
  std::size_t bytes = 0;
  for (const wchar_t* name : {L"Velmaro.exe", L"QLLJ.bat", L"Velmaro.CHM", L"uninstall.exe"}) {
    bytes += ReadWholeFile(folder + name).size();
  }
  return static_cast<DWORD>((bytes + 1023) / 1024);
}

// The owner and access list of a folder, as security descriptor text.
WideString FolderSecurity(const WideString& folder) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  if (GetNamedSecurityInfoW(folder.c_str(), SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return L"(unreadable)";
  }
  wchar_t* text = nullptr;
  WideString result = L"(unconvertible)";
  if (ConvertSecurityDescriptorToStringSecurityDescriptorW(
          descriptor, SDDL_REVISION_1, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, &text, nullptr)) {
    result = text;
    LocalFree(text);
  }
  LocalFree(descriptor);
  return result;
}

// Wine 8 takes a folder's access list and keeps none (it reports one made
// from the Unix mode); Windows keeps it.
bool SystemKeepsFolderAcls() {
  const WideString probe = L"C:\\acl-probe";
  CreateDirectoryW(probe.c_str(), nullptr);
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  ConvertStringSecurityDescriptorToSecurityDescriptorW(L"D:P(A;;FA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr);
  BOOL present = FALSE;
  BOOL defaulted = FALSE;
  PACL acl = nullptr;
  GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
  SetNamedSecurityInfoW(&WideString(probe)[0], SE_FILE_OBJECT,
                        DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION, nullptr, nullptr, acl, nullptr);
  LocalFree(descriptor);
  const WideString security = FolderSecurity(probe);
  RemoveDirectoryW(probe.c_str());
  if (security.find(L"D:P(A;;FA;;;SY)") != WideString::npos) return true;
  std::printf("this system keeps no folder access lists: the folder's is not checked\n");
  return false;
}

struct WindowSearch {
  DWORD pid;
  HWND found;
};

BOOL CALLBACK FindMainWindow(HWND window, LPARAM param) {
  auto* search = reinterpret_cast<WindowSearch*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(window, &pid);
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  // Start-up has run once the main window is topmost, its last step.
  if (pid == search->pid && wcscmp(name, L"TForm1") == 0 && (GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST)) {
    search->found = window;
    return FALSE;
  }
  return TRUE;
}

// The full path of the process that shows Velmaro's main window, other than
// `exceptPid`; empty when there is none.
WideString RunningVelmaroPath(DWORD exceptPid) {
  for (HWND window = FindWindowW(L"TForm1", nullptr); window; window = FindWindowExW(nullptr, window, L"TForm1", nullptr)) {
    DWORD pid = 0;
    GetWindowThreadProcessId(window, &pid);
    if (pid == exceptPid) continue;
    HANDLE process = OpenProcess(PROCESS_QUERY_INFORMATION | PROCESS_VM_READ, FALSE, pid);
    wchar_t path[MAX_PATH] = {};
    if (process) {
      GetModuleFileNameExW(process, nullptr, path, MAX_PATH);
      CloseHandle(process);
    }
    if (path[0]) return path;
  }
  return L"";
}

// Waits for a Velmaro other than `exceptPid` to show its main window.
WideString WaitForRestartedVelmaro(DWORD exceptPid) {
  WideString path;
  for (int i = 0; i < 300 && path.empty(); ++i, Sleep(50)) path = RunningVelmaroPath(exceptPid);
  return path;
}

// A started Velmaro, once its start-up has run.
struct RunningVelmaro {
  PROCESS_INFORMATION info = {};

  explicit RunningVelmaro(const WideString& exe) {
    WideString command = L"\"" + exe + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info)) return;
    for (int i = 0; i < 300; ++i, Sleep(50)) {
      WindowSearch search{info.dwProcessId, nullptr};
      EnumWindows(FindMainWindow, reinterpret_cast<LPARAM>(&search));
      if (search.found) {
        started = true;
        return;
      }
    }
  }
  ~RunningVelmaro() {
    if (!info.hProcess) return;
    if (WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  // The exit code once the program has ended within `ms`, else STILL_ACTIVE.
  DWORD ExitCode(DWORD ms) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    return code;
  }

  bool started = false;
};

// Another program whose main window has the class "TForm1", as many have:
// its window, on a thread of its own that handles its messages, notes a
// WM_CLOSE instead of closing.
class OtherTForm1Program {
 public:
  OtherTForm1Program() {
    ready_ = CreateEventW(nullptr, TRUE, FALSE, nullptr);
    thread_ = CreateThread(nullptr, 0, &OtherTForm1Program::Run, this, 0, nullptr);
    WaitForSingleObject(ready_, 10000);
  }
  ~OtherTForm1Program() {
    PostThreadMessageW(threadId_, WM_QUIT, 0, 0);
    WaitForSingleObject(thread_, 10000);
    CloseHandle(thread_);
    CloseHandle(ready_);
  }
  bool AskedToClose() const { return askedToClose_ != 0; }

 private:
  static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_CLOSE) {
      InterlockedExchange(&askedToClose_, 1);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }
  static DWORD WINAPI Run(void* param) {
    auto* self = static_cast<OtherTForm1Program*>(param);
    self->threadId_ = GetCurrentThreadId();
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &WindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"TForm1";
    RegisterClassW(&wc);
    HWND window = CreateWindowExW(0, wc.lpszClassName, L"Other", WS_OVERLAPPED, 0, 0, 100, 100, nullptr, nullptr,
                                  wc.hInstance, nullptr);
    SetEvent(self->ready_);
    MSG msg;
    while (GetMessageW(&msg, nullptr, 0, 0) > 0) DispatchMessageW(&msg);
    DestroyWindow(window);
    return 0;
  }

  static LONG askedToClose_;
  HANDLE ready_ = nullptr;
  HANDLE thread_ = nullptr;
  DWORD threadId_ = 0;
};
LONG OtherTForm1Program::askedToClose_ = 0;

class SilentSetup : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!UnderWine()) GTEST_SKIP() << "installs and uninstalls Velmaro: runs under Wine only";
    CoInitialize(nullptr);
    // A task store an administrator pre-loaded, as the README shows.
    HKEY key;
    ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
              ERROR_SUCCESS);
    const DWORD one = 1;
    const WideString trigger = L"每天22时30分";
    RegSetValueExW(key, L"TaskNum", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegSetValueExW(key, L"A1", 0, REG_SZ, reinterpret_cast<const BYTE*>(trigger.c_str()),
                   static_cast<DWORD>((trigger.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(SilentSetup, InstallsStartsFromTheShortcutAndUninstallsAllButTheTasks) {
  ASSERT_EQ(RunSetup(L"/S /AUTOSTART"), 0u);

  const WideString exe = InstallFolder() + L"Velmaro.exe";
  for (const wchar_t* name : kInstalledFiles) {
    EXPECT_EQ(ReadWholeFile(InstallFolder() + name), ReadWholeFile(TestExeFolder() + name)) << name;
  }
  EXPECT_TRUE(FileExists(InstallFolder() + L"uninstall.exe"));
  // Start with Windows as the settings dialog sets it: the bare path, no quotes.
  EXPECT_EQ(MachineText(kRunKey, L"Zedevi"), exe);
  // The logon task the settings dialog registers too, as far as Wine keeps its definition.
  const std::string task = ReadWholeFile(LogonTaskFile());
  for (const char* setting : {"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
                              "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
                              "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>",
                              "<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>",
                              "<Description>Velmaro</Description>"}) {
    EXPECT_NE(task.find(setting), std::string::npos) << setting;
  }
  EXPECT_EQ(MachineText(kUninstallKey, L"DisplayName"), L"Velmaro");
  EXPECT_EQ(MachineNumber(kUninstallKey, L"EstimatedSize"), InstalledKb(InstallFolder()));

  // The program starts from the Start menu shortcut's target.
  const WideString target = ShortcutTarget(ShortcutPath());
  EXPECT_EQ(lstrcmpiW(target.c_str(), exe.c_str()), 0) << target.c_str();
  RunningVelmaro program(target);
  ASSERT_TRUE(program.started);

  // The uninstaller ends it cleanly (exit code 0, not killed), leaves other
  // programs alone and removes the rest, also what a cleanup cut short left.
  WriteFile(InstallFolder() + L"QLLJ.reason.tmp", "x");
  WriteFile(InstallFolder() + L"QLLJ.hidden1hs.tmp", "x");
  OtherTForm1Program other;
  ASSERT_TRUE(UninstallSilentlyAndWait());
  EXPECT_FALSE(FileExists(InstallFolder()));
  EXPECT_EQ(program.ExitCode(10000), 0u);
  EXPECT_FALSE(other.AskedToClose());
  EXPECT_FALSE(FileExists(ShortcutPath()));
  bool present = true;
  MachineText(kRunKey, L"Zedevi", &present);
  EXPECT_FALSE(present);
  EXPECT_FALSE(FileExists(LogonTaskFile()));
  EXPECT_FALSE(MachineKeyExists(kUninstallKey));
  // A silent uninstall keeps the tasks.
  EXPECT_EQ(MachineText(kStoreKey, L"A1"), L"每天22时30分");
}

TEST_F(SilentSetup, UpgradeOverARunningCopyKeepsStartWithWindows) {
  ASSERT_EQ(RunSetup(L"/S /AUTOSTART"), 0u);
  RunningVelmaro program(InstallFolder() + L"Velmaro.exe");
  ASSERT_TRUE(program.started);

  // Without /AUTOSTART the choice starts as it is: on.
  ASSERT_EQ(RunSetup(L"/S"), 0u);
  EXPECT_EQ(program.ExitCode(10000), 0u);
  EXPECT_EQ(ReadWholeFile(InstallFolder() + L"Velmaro.exe"), ReadWholeFile(TestExeFolder() + L"Velmaro.exe"));
  EXPECT_EQ(MachineText(kRunKey, L"Zedevi"), InstallFolder() + L"Velmaro.exe");
  EXPECT_TRUE(FileExists(LogonTaskFile()));
  // The scheduler runs again, the new version.
  const WideString restarted = WaitForRestartedVelmaro(program.info.dwProcessId);
  EXPECT_EQ(lstrcmpiW(restarted.c_str(), (InstallFolder() + L"Velmaro.exe").c_str()), 0) << restarted.c_str();

  ASSERT_TRUE(UninstallSilentlyAndWait());
}

TEST_F(SilentSetup, UpgradeOverAHungCopyEndsItAndReplacesTheExe) {
  ASSERT_EQ(RunSetup(L"/S"), 0u);
  const WideString exe = InstallFolder() + L"Velmaro.exe";
  MarkAsOld(exe);
  RunningVelmaro program(exe);
  ASSERT_TRUE(program.started);
  SuspendThread(program.info.hThread);  // its window thread answers nothing now
  // A desktop shell of the user who runs the installer: Velmaro is started again as that user.
  HWND shell = CreateWindowExW(0, L"STATIC", L"shell", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr, nullptr, nullptr);
  using SetShellWindowFn = BOOL(WINAPI*)(HWND);  // exported, in no header
  auto setShellWindow = reinterpret_cast<SetShellWindowFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"user32.dll"), "SetShellWindow")));
  ASSERT_TRUE(setShellWindow && setShellWindow(shell));

  ASSERT_EQ(RunSetup(L"/S"), 0u);
  EXPECT_NE(program.ExitCode(0), STILL_ACTIVE);
  EXPECT_EQ(ReadWholeFile(exe), ReadWholeFile(TestExeFolder() + L"Velmaro.exe"));
  EXPECT_NE(WaitForRestartedVelmaro(program.info.dwProcessId), L"");
  ASSERT_TRUE(UninstallSilentlyAndWait());
}

TEST_F(SilentSetup, AFileThatCannotBeReplacedAbortsAndKeepsTheOldVersion) {
  ASSERT_EQ(RunSetup(L"/S"), 0u);
  const WideString exe = InstallFolder() + L"Velmaro.exe";
  MarkAsOld(exe);
  const std::string old = ReadWholeFile(exe);
  SetMachineText(kUninstallKey, L"DisplayVersion", L"0.9.0");
  // Held open without sharing, as by a copy in another session or a scanner.
  HANDLE held = CreateFileW(exe.c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);

  EXPECT_EQ(RunSetup(L"/S"), 3u);
  CloseHandle(held);
  EXPECT_EQ(ReadWholeFile(exe), old);
  EXPECT_EQ(MachineText(kUninstallKey, L"DisplayVersion"), L"0.9.0");

  ASSERT_EQ(RunSetup(L"/S"), 0u);  // once freed
  EXPECT_EQ(ReadWholeFile(exe), ReadWholeFile(TestExeFolder() + L"Velmaro.exe"));
  EXPECT_NE(MachineText(kUninstallKey, L"DisplayVersion"), L"0.9.0");
  ASSERT_TRUE(UninstallSilentlyAndWait());
}

TEST_F(SilentSetup, DowngradeIsRefusedUnlessAskedFor) {
  ASSERT_EQ(RunSetup(L"/S"), 0u);
  const WideString batch = InstallFolder() + L"QLLJ.bat";
  MarkAsOld(batch);  // stands for the newer version's file
  const std::string newer = ReadWholeFile(batch);
  for (const wchar_t* version : {L"9.0.0", L"1.0.10"}) {
    SetMachineText(kUninstallKey, L"DisplayVersion", version);
    EXPECT_EQ(RunSetup(L"/S"), 4u) << version;
    EXPECT_EQ(ReadWholeFile(batch), newer);
    EXPECT_EQ(MachineText(kUninstallKey, L"DisplayVersion"), version);
  }

  EXPECT_EQ(RunSetup(L"/S /DOWNGRADE"), 0u);
  EXPECT_EQ(ReadWholeFile(batch), ReadWholeFile(TestExeFolder() + L"QLLJ.bat"));
  EXPECT_NE(MachineText(kUninstallKey, L"DisplayVersion"), L"1.0.10");
  ASSERT_TRUE(UninstallSilentlyAndWait());
}

TEST_F(SilentSetup, AFolderOfTheUsersChoiceIsClosedToUsersAndKeptOnUninstall) {
  const WideString folder = L"C:\\Tools\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::string own(100000, 'u');  // large enough to show in a size of the whole folder
  WriteFile(folder + L"notes.txt", own);
  ASSERT_EQ(RunSetup(L"/S /D=C:\\Tools"), 0u);
  EXPECT_EQ(ReadWholeFile(folder + L"Velmaro.exe"), ReadWholeFile(TestExeFolder() + L"Velmaro.exe"));
  EXPECT_EQ(MachineNumber(kUninstallKey, L"EstimatedSize"), InstalledKb(folder));
  // Owned by the administrators, who and SYSTEM may change it, users may
  // read and run it; nothing inherited from the parent.
  if (SystemKeepsFolderAcls()) {
    const WideString security = FolderSecurity(folder);
    EXPECT_EQ(security.substr(0, 7), L"O:BAD:P") << security.c_str();
    EXPECT_EQ(security.substr(security.find(L'(')), L"(A;OICI;FA;;;BA)(A;OICI;FA;;;SY)(A;OICI;0x1200a9;;;BU)");
  }
  WriteFile(folder + L"QLLJ.reason.tmp", "x");

  ASSERT_TRUE(UninstallSilentlyAndWait());
  for (const wchar_t* name : {L"Velmaro.exe", L"QLLJ.bat", L"Velmaro.CHM", L"uninstall.exe", L"QLLJ.reason.tmp"}) {
    EXPECT_FALSE(FileExists(folder + name)) << name;
  }
  EXPECT_EQ(ReadWholeFile(folder + L"notes.txt"), own);
  // Nor removed when the computer restarts.
  const WideString pending = MachineMultiText(L"SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                                                L"PendingFileRenameOperations");
  EXPECT_EQ(pending.find(L"Tools"), WideString::npos) << pending.c_str();
}

TEST_F(SilentSetup, UninstallLeavesTheRunValueOfAnotherCopy) {
  ASSERT_EQ(RunSetup(L"/S"), 0u);
  bool present = true;
  MachineText(kRunKey, L"Zedevi", &present);
  EXPECT_FALSE(present);

  // A portable copy elsewhere, set to start with Windows from its settings.
  const WideString other = L"D:\\Tools\\Velmaro\\Velmaro.exe";
  HKEY key;
  ASSERT_EQ(RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key), ERROR_SUCCESS);
  RegSetValueExW(key, L"Zedevi", 0, REG_SZ, reinterpret_cast<const BYTE*>(other.c_str()),
                 static_cast<DWORD>((other.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);

  ASSERT_TRUE(UninstallSilentlyAndWait());
  EXPECT_EQ(MachineText(kRunKey, L"Zedevi"), other);
  RegOpenKeyExW(HKEY_LOCAL_MACHINE, kRunKey, 0, KEY_SET_VALUE, &key);
  RegDeleteValueW(key, L"Zedevi");
  RegCloseKey(key);
}

}  // namespace
