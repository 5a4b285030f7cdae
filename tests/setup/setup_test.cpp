// Velmaro-Setup.exe under Wine, as an administrator deploying it runs it:
// silent install with start with Windows, the program started from the Start
// menu shortcut's target, and the silent uninstall, which ends the running
// program and removes everything but the stored tasks. Also an upgrade over
// a running copy. It changes the machine, so it runs in a prefix of its own.
#include <windows.h>
#include <shlobj.h>
#include <shobjidl.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/win32/win32_test_support.h"

namespace {

using velmaro::FileExists;
using velmaro::ReadWholeFile;
using velmaro::TestExeFolder;

const wchar_t kStoreKey[] = L"Software\\Drennik\\Velmaro";
const wchar_t kRunKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const wchar_t kUninstallKey[] = L"Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\Velmaro";
const wchar_t* const kInstalledFiles[] = {L"Velmaro.exe", L"QLLJ.bat", L"Velmaro.CHM"};

bool UnderWine() { return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr; }

std::wstring KnownFolder(int csidl) {
  wchar_t path[MAX_PATH] = {};
  SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path);
  return path;
}

std::wstring InstallFolder() { return KnownFolder(CSIDL_PROGRAM_FILES) + L"\\Velmaro\\"; }
std::wstring ShortcutPath() { return KnownFolder(CSIDL_COMMON_PROGRAMS) + L"\\Velmaro.lnk"; }
std::wstring LogonTaskFile() {
  wchar_t system[MAX_PATH];
  GetSystemDirectoryW(system, MAX_PATH);
  return std::wstring(system) + L"\\Tasks\\Velmaro";
}

// A text value of HKEY_LOCAL_MACHINE; `present` tells a missing one from an empty one.
std::wstring MachineText(const wchar_t* keyPath, const wchar_t* name, bool* present = nullptr) {
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

bool MachineKeyExists(const wchar_t* keyPath) {
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, keyPath, 0, KEY_READ, &key) != ERROR_SUCCESS) return false;
  RegCloseKey(key);
  return true;
}

// Runs a command line and returns its exit code once it has ended.
DWORD Run(std::wstring commandLine) {
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
// follows within a few seconds.
bool UninstallSilentlyAndWait() {
  bool present = false;
  const std::wstring quiet = MachineText(kUninstallKey, L"QuietUninstallString", &present);
  if (!present || Run(quiet) != 0) return false;
  for (int i = 0; i < 300 && FileExists(InstallFolder()); ++i) Sleep(100);
  Sleep(500);  // the last registry and shortcut steps come after the folder
  return !FileExists(InstallFolder());
}

std::wstring ShortcutTarget(const std::wstring& shortcut) {
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

// A started Velmaro, once its start-up has run.
struct RunningVelmaro {
  PROCESS_INFORMATION info = {};

  explicit RunningVelmaro(const std::wstring& exe) {
    std::wstring command = L"\"" + exe + L"\"";
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
    const std::wstring trigger = L"每天22时30分";
    RegSetValueExW(key, L"TaskNum", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&one), sizeof one);
    RegSetValueExW(key, L"A1", 0, REG_SZ, reinterpret_cast<const BYTE*>(trigger.c_str()),
                   static_cast<DWORD>((trigger.size() + 1) * sizeof(wchar_t)));
    RegCloseKey(key);
  }
  void TearDown() override { CoUninitialize(); }
};

TEST_F(SilentSetup, InstallsStartsFromTheShortcutAndUninstallsAllButTheTasks) {
  ASSERT_EQ(RunSetup(L"/S /AUTOSTART"), 0u);

  const std::wstring exe = InstallFolder() + L"Velmaro.exe";
  for (const wchar_t* name : kInstalledFiles) {
    EXPECT_EQ(ReadWholeFile(InstallFolder() + name), ReadWholeFile(TestExeFolder() + name)) << name;
  }
  EXPECT_TRUE(FileExists(InstallFolder() + L"uninstall.exe"));
  // Start with Windows as the settings dialog sets it: the bare path, no quotes.
  EXPECT_EQ(MachineText(kRunKey, L"Zedevi"), exe);
  // The logon task, as far as Wine keeps its definition.
  const std::string task = ReadWholeFile(LogonTaskFile());
  for (const char* setting : {"<ExecutionTimeLimit>PT0S</ExecutionTimeLimit>",
                              "<DisallowStartIfOnBatteries>false</DisallowStartIfOnBatteries>",
                              "<StopIfGoingOnBatteries>false</StopIfGoingOnBatteries>",
                              "<MultipleInstancesPolicy>IgnoreNew</MultipleInstancesPolicy>"}) {
    EXPECT_NE(task.find(setting), std::string::npos) << setting;
  }
  EXPECT_EQ(MachineText(kUninstallKey, L"DisplayName"), L"Velmaro");

  // The program starts from the Start menu shortcut's target.
  const std::wstring target = ShortcutTarget(ShortcutPath());
  EXPECT_EQ(lstrcmpiW(target.c_str(), exe.c_str()), 0) << target.c_str();
  RunningVelmaro program(target);
  ASSERT_TRUE(program.started);

  // The uninstaller ends it cleanly (exit code 0, not killed), leaves other
  // programs alone and removes the rest.
  OtherTForm1Program other;
  ASSERT_TRUE(UninstallSilentlyAndWait());
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

  ASSERT_TRUE(UninstallSilentlyAndWait());
}

TEST_F(SilentSetup, UninstallLeavesTheRunValueOfAnotherCopy) {
  ASSERT_EQ(RunSetup(L"/S"), 0u);
  bool present = true;
  MachineText(kRunKey, L"Zedevi", &present);
  EXPECT_FALSE(present);

  // A portable copy elsewhere, set to start with Windows from its settings.
  const std::wstring other = L"D:\\Tools\\Velmaro\\Velmaro.exe";
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
