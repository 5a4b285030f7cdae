// The real program under Wine, driven from outside: start-up on a fresh or
// pre-filled store, one copy per session, the tray menu, the menu's power
// commands (recorded by the end-to-end build, never made) and a clean exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace {

const wchar_t kStoreKey[] = L"Software\\Drennik\\Velmaro";
const wchar_t kMainClass[] = L"TForm1";
constexpr UINT kExitCommand = 117;  // menu item "退出(&X)"
constexpr UINT kWmTrayIcon = WM_USER + 1;

std::wstring BesideThisExe(const wchar_t* name) {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  std::wstring folder(path, length);
  return folder.substr(0, folder.find_last_of(L"\\/") + 1) + name;
}

struct Program {
  PROCESS_INFORMATION info = {};

  bool Start() {
    // The build that records power calls instead of making them.
    std::wstring command = L"\"" + BesideThisExe(L"VelmaroE2E.exe") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  }
  // Starts the program and waits for its main window, which exists once
  // start-up has run; null if either fails.
  HWND Launch();
  bool Running() const { return WaitForSingleObject(info.hProcess, 0) == WAIT_TIMEOUT; }
  // The exit code once the program has ended within `ms`, else STILL_ACTIVE.
  DWORD ExitCode(DWORD ms) {
    DWORD code = STILL_ACTIVE;
    if (WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &code);
    return code;
  }
  ~Program() {
    if (!info.hProcess) return;
    if (Running()) TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
};

struct Windows {
  DWORD pid;
  std::vector<HWND> main, visible;
};

BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Windows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (wcscmp(cls, kMainClass) == 0 && (found->pid == 0 || pid == found->pid)) found->main.push_back(hwnd);
  if (pid == found->pid && IsWindowVisible(hwnd)) found->visible.push_back(hwnd);
  return TRUE;
}

Windows WindowsOf(DWORD pid) {
  Windows found{pid, {}, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits until start-up has run: the main window exists before start-up
// begins, and becoming topmost is start-up's last step.
HWND WaitForMainWindow(DWORD pid) {
  for (int i = 0; i < 300; ++i) {
    Windows found = WindowsOf(pid);
    if (!found.main.empty() && (GetWindowLongW(found.main.front(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      return found.main.front();
    }
    Sleep(50);
  }
  return nullptr;
}

HWND Program::Launch() { return Start() ? WaitForMainWindow(info.dwProcessId) : nullptr; }

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool present = false;
};

Value ReadStoreValue(const wchar_t* name) {
  Value value;
  HKEY key;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, KEY_READ, &key) != ERROR_SUCCESS) return value;
  DWORD size = 0;
  if (RegQueryValueExW(key, name, nullptr, &value.type, nullptr, &size) == ERROR_SUCCESS) {
    value.data.resize(size);
    RegQueryValueExW(key, name, nullptr, &value.type, value.data.data(), &size);
    value.present = true;
  }
  RegCloseKey(key);
  return value;
}

DWORD Dword(const Value& value) {
  DWORD number = 0xDEADBEEF;
  if (value.type == REG_DWORD && value.data.size() == 4) memcpy(&number, value.data.data(), 4);
  return number;
}

std::string PowerLog() {
  std::ifstream file(BesideThisExe(L"power-calls.log").c_str());
  std::stringstream text;
  text << file.rdbuf();
  return text.str();
}

// The pop-up menu window of the program, if one shows.
HWND VisibleMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

class StartupTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(BesideThisExe(L"power-calls.log").c_str());
    // Nothing of ours may still run from an earlier test.
    while (HWND old = FindWindowW(kMainClass, nullptr)) {
      PostMessageW(old, WM_CLOSE, 0, 0);
      Sleep(200);
    }
    HKEY key;
    if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, KEY_ALL_ACCESS, &key) == ERROR_SUCCESS) {
      wchar_t name[256];
      DWORD length = 256;
      while (RegEnumValueW(key, 0, name, &length, nullptr, nullptr, nullptr, nullptr) == ERROR_SUCCESS) {
        RegDeleteValueW(key, name);
        length = 256;
      }
      RegCloseKey(key);
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, kStoreKey);
    }
  }
};

TEST_F(StartupTest, FirstStartCreatesTheStoreAndStaysHiddenInTheTray) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  Value shutapp = ReadStoreValue(L"shutapp");
  Value soundpath = ReadStoreValue(L"soundpath");
  EXPECT_EQ(shutapp.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Dword(shutapp), 0u);
  EXPECT_EQ(soundpath.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(soundpath.data.size(), 2u);  // the empty text and its terminating zero
  EXPECT_EQ(Dword(ReadStoreValue(L"tishi")), 60u);
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 0u);

  Sleep(1500);
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(WindowsOf(program.info.dwProcessId).visible.empty());
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(StartupTest, PresentSettingsAreKeptAndMissingOnesWritten) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD zero = 0;
  RegSetValueExW(key, L"tishi", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
  RegCloseKey(key);

  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Dword(ReadStoreValue(L"tishi")), 0u);
  Value taskNum = ReadStoreValue(L"TaskNum");
  EXPECT_TRUE(taskNum.present);
  EXPECT_EQ(Dword(taskNum), 0u);

  // The menu's Exit ends the program as the close box does.
  PostMessageW(main, WM_COMMAND, kExitCommand, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(StartupTest, SecondStartInTheSameSessionExitsAtOnce) {
  Program first;
  HWND main = first.Launch();
  ASSERT_NE(main, nullptr);

  Program second;
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.ExitCode(10000), 0u);
  EXPECT_EQ(WindowsOf(0).main.size(), 1u);
  EXPECT_TRUE(first.Running());

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.ExitCode(10000), 0u);
}

TEST_F(StartupTest, TrayPressOpensTheMenuAndItsPowerCommandsActAtOnce) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  // Moves, releases and double clicks on the icon do nothing; a left or a
  // right press opens the menu.
  for (LPARAM ignored : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN}) {
    PostMessageW(main, kWmTrayIcon, 100, ignored);
  }
  Sleep(500);
  EXPECT_EQ(VisibleMenu(), nullptr);
  for (LPARAM press : {WM_RBUTTONDOWN, WM_LBUTTONDOWN}) {
    PostMessageW(main, kWmTrayIcon, 100, press);
    HWND menu = nullptr;
    for (int i = 0; i < 100 && !menu; ++i, Sleep(50)) menu = VisibleMenu();
    ASSERT_NE(menu, nullptr) << press;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 100 && VisibleMenu(); ++i) Sleep(50);
    EXPECT_EQ(VisibleMenu(), nullptr);
  }

  // Power off, stand-by, hibernate and the fast restart, as the menu sends them.
  for (UINT command : {110u, 107u, 108u, 118u}) PostMessageW(main, WM_COMMAND, command, 0);
  const std::string expected =
      "ExitWindowsEx(12, 0)\nSetSystemPowerState(-1, -1)\nSetSystemPowerState(0, -1)\nNtShutdownSystem(1)\n";
  std::string log;
  for (int i = 0; i < 100 && log != expected; ++i, Sleep(50)) log = PowerLog();
  EXPECT_EQ(log, expected);
  EXPECT_TRUE(program.Running());

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

}  // namespace
