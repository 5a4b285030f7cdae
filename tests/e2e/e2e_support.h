// What the end-to-end tests share beyond the Win32 test support: starting
// the real program (the build that records power calls), finding its
// windows, preparing and reading the task store, and the logs the recording
// build writes beside itself.
#pragma once

#include <windows.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <cstring>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "app/menu.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro_e2e {

using velmaro::BesideThisExe;
using velmaro::VisibleMenu;
using velmaro::WaitFor;
using velmaro::WideNumber;
using velmaro::WideString;
using velmaro::WindowText;

inline const wchar_t kStoreKey[] = L"Software\\Drennik\\Velmaro";
inline const wchar_t kOptionsKey[] = L"Software\\Drennik\\Velmaro\\WakeAndCatchUp";
inline const wchar_t kOldOptionsKey[] = L"Software\\Drennik\\Velmaro\\TaskOptions";
inline const wchar_t kMainClass[] = L"TForm1";
constexpr UINT kWmTrayIcon = WM_USER + 1;

// The WM_COMMAND id of a tray menu item.
constexpr UINT Command(velmaro::MenuItem item) { return static_cast<UINT>(item); }

// Narrow literals of the tests are code page 936, as the program's texts are.
inline WideString Wide(const std::string& gbk) {
  if (gbk.empty()) return WideString();
  int length = MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), nullptr, 0);
  WideString wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(936, 0, gbk.data(), static_cast<int>(gbk.size()), &wide[0], length);
  return wide;
}

// Local time `ms` from now.
inline SYSTEMTIME LocalTimeIn(ULONGLONG ms) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  FILETIME file;
  SystemTimeToFileTime(&now, &file);
  ULARGE_INTEGER at;
  at.LowPart = file.dwLowDateTime;
  at.HighPart = file.dwHighDateTime;
  at.QuadPart += ms * 10000;
  file.dwLowDateTime = at.LowPart;
  file.dwHighDateTime = at.HighPart;
  FileTimeToSystemTime(&file, &now);
  return now;
}

// A time as 100 ns units since 1601.
inline LONGLONG FileTicks(const SYSTEMTIME& at) {
  FILETIME file;
  SystemTimeToFileTime(&at, &file);
  return (static_cast<LONGLONG>(file.dwHighDateTime) << 32) | file.dwLowDateTime;
}

// Wine's wall clock, where this run can move it: tools/test-e2e.sh runs the
// whole Wine world under libfaketime, whose offset from the real clock (in
// seconds) every Wine process reads from one file at each reading of the
// clock, named by VELMARO_E2E_CLOCK_FILE. The millisecond counter and the
// timers stay real. Elsewhere the tests wait for the moment they need.
class WallClock {
 public:
  // Brings the local clock to `at`, when that is still ahead: at once where
  // the clock moves, else by waiting. A program running meanwhile sees a
  // step as a change of the clock.
  static void AdvanceTo(const SYSTEMTIME& at) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const LONGLONG ahead = FileTicks(at) - FileTicks(now);
    if (ahead <= 0) return;
    const WideString file = File();
    if (file.empty() || !Move(file, static_cast<double>(ahead) / 1e7)) Sleep(static_cast<DWORD>(ahead / 10000));
  }
  // Brings the local clock to the next moment whose second is `second`.
  static void AdvanceToSecond(int second) {
    SYSTEMTIME now;
    GetLocalTime(&now);
    const int wait = (second - now.wSecond + 59) % 60 + 1;  // 1 to 60 seconds
    AdvanceTo(LocalTimeIn(static_cast<ULONGLONG>(wait) * 1000 - now.wMilliseconds));
  }
  // Whether AdvanceTo moves the clock rather than waits for it.
  static bool Moves() { return !File().empty(); }

 private:
  static WideString File() {
    wchar_t path[MAX_PATH] = {};
    const DWORD length = GetEnvironmentVariableW(L"VELMARO_E2E_CLOCK_FILE", path, MAX_PATH);
    return length > 0 && length < MAX_PATH ? WideString(path) : WideString();
  }
  // Adds `seconds` to the offset. The new text replaces the file in one
  // rename, so that no reader ever sees half of it.
  static bool Move(const WideString& file, double seconds) {
    double offset = 0;
    if (FILE* in = _wfopen(file.c_str(), L"rb")) {
      if (fscanf(in, "%lf", &offset) != 1) offset = 0;
      fclose(in);
    }
    const WideString next = file + L".new";
    FILE* out = _wfopen(next.c_str(), L"wb");
    if (!out) return false;
    fprintf(out, "%+.3f\n", offset + seconds);
    fclose(out);
    return MoveFileExW(next.c_str(), file.c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  }
};

// A date as the task editor writes it: in the user's short date format, code page 936.
inline std::string ShortDate(const SYSTEMTIME& date) {
  wchar_t text[80] = {};
  GetDateFormatW(LOCALE_USER_DEFAULT, DATE_SHORTDATE, &date, nullptr, text, 80);
  char gbk[160] = {};
  WideCharToMultiByte(936, 0, text, -1, gbk, sizeof gbk, nullptr, nullptr);
  return gbk;
}

struct Windows {
  DWORD pid;
  const wchar_t* className;
  std::vector<HWND> ofClass, visible;
};

inline BOOL CALLBACK CollectWindow(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Windows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (wcscmp(cls, found->className) == 0 && (found->pid == 0 || pid == found->pid)) found->ofClass.push_back(hwnd);
  if (pid == found->pid && IsWindowVisible(hwnd)) found->visible.push_back(hwnd);
  return TRUE;
}

// The top-level windows of process `pid` (0: of every process) of a class,
// and every visible top-level window of `pid`.
inline Windows WindowsOf(DWORD pid, const wchar_t* className = kMainClass) {
  Windows found{pid, className, {}, {}};
  EnumWindows(CollectWindow, reinterpret_cast<LPARAM>(&found));
  return found;
}


struct Program {
  PROCESS_INFORMATION info = {};

  bool Start() {
    // The build that records power calls instead of making them.
    WideString command = L"\"" + BesideThisExe(L"VelmaroE2E.exe") + L"\"";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    return CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  }
  // Starts the program and waits until start-up has run (null if either
  // fails): the main window exists before start-up begins, and becoming
  // topmost is among its last steps.
  HWND Launch() {
    if (!Start()) return nullptr;
    HWND main = nullptr;
    WaitFor([&] {
      Windows found = WindowsOf(info.dwProcessId);
      if (!found.ofClass.empty() && (GetWindowLongW(found.ofClass.front(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
        main = found.ofClass.front();
      }
      return main != nullptr;
    }, 15000);
    return main;
  }
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

struct Value {
  DWORD type = REG_NONE;
  std::vector<BYTE> data;
  bool present = false;
};

inline Value ReadStoreValue(const wchar_t* name) {
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

inline DWORD Dword(const Value& value) {
  DWORD number = 0xDEADBEEF;
  if (value.type == REG_DWORD && value.data.size() == 4) memcpy(&number, value.data.data(), 4);
  return number;
}

// Writes the store as an older install would have left it: integers as
// REG_DWORD, texts as REG_SZ (code page 936 literals, stored as the system
// stores every text).
class StoreWriter {
 public:
  StoreWriter() {
    RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key_, nullptr);
  }
  ~StoreWriter() { RegCloseKey(key_); }
  void Dword(const wchar_t* name, DWORD value) {
    RegSetValueExW(key_, name, 0, REG_DWORD, reinterpret_cast<const BYTE*>(&value), sizeof value);
  }
  void Text(const WideString& name, const std::string& gbk) {
    const WideString text = Wide(gbk);
    RegSetValueExW(key_, name.c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(text.c_str()),
                   static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t)));
  }
  void Task(int slot, const std::string& trigger, const std::string& action, const std::string& argument) {
    Text(L"A" + WideNumber(slot), trigger);
    Text(L"B" + WideNumber(slot), action);
    Text(L"C" + WideNumber(slot), argument);
  }

 private:
  HKEY key_ = nullptr;
};

// Real input, as the user gives it: SendInput goes to the window that has
// the keyboard focus, through the program's message loop.
inline void SendKey(WORD key, DWORD flags = 0) {
  INPUT input = {};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = flags;
  SendInput(1, &input, sizeof input);
}

inline void Press(WORD key, WORD modifier = 0) {
  if (modifier) SendKey(modifier);
  SendKey(key);
  SendKey(key, KEYEVENTF_KEYUP);
  if (modifier) SendKey(modifier, KEYEVENTF_KEYUP);
  Sleep(60);
}

// A log the recording build writes beside itself, in code page 936 with
// CRLF line ends turned into "\n".
inline std::string RecordedLog(const wchar_t* name) {
  std::ifstream file(BesideThisExe(name).c_str(), std::ios::binary);
  std::stringstream text;
  text << file.rdbuf();
  std::string lines = text.str();
  for (std::size_t at; (at = lines.find("\r\n")) != std::string::npos;) lines.erase(at, 1);
  return lines;
}
inline std::string PowerLog() { return RecordedLog(L"power-calls.log"); }
inline std::string TrayLog() { return RecordedLog(L"tray-calls.log"); }
inline std::string WakeLog() { return RecordedLog(L"wake-calls.log"); }

// The program's record of what ran, under the common application data
// folder, as UTF-8 after its byte-order mark; empty when there is none.
// How many reminder windows the program has open.
inline std::size_t Reminders(const Program& program) {
  return WindowsOf(program.info.dwProcessId, L"TForm6").ofClass.size();
}

inline WideString RunRecordText() {
  wchar_t folder[MAX_PATH] = {};
  if (FAILED(SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, 0, folder))) return WideString();
  std::ifstream file((WideString(folder) + L"\\Velmaro\\运行记录.log").c_str(), std::ios::binary);
  std::stringstream bytes;
  bytes << file.rdbuf();
  std::string utf8 = bytes.str();
  if (utf8.compare(0, 3, "\xEF\xBB\xBF") == 0) utf8.erase(0, 3);
  if (utf8.empty()) return WideString();
  WideString text(static_cast<std::size_t>(utf8.size()), L'\0');
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), static_cast<int>(utf8.size()), &text[0],
                                         static_cast<int>(text.size()));
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

// Every test starts with no program of ours running, no task store and no logs.
class E2eTest : public ::testing::Test {
 protected:
  void SetUp() override {
    DeleteFileW(BesideThisExe(L"power-calls.log").c_str());
    DeleteFileW(BesideThisExe(L"tray-calls.log").c_str());
    DeleteFileW(BesideThisExe(L"wake-calls.log").c_str());
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
      // A key with subkeys cannot be deleted.
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOptionsKey);
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, kOldOptionsKey);
      RegDeleteKeyW(HKEY_LOCAL_MACHINE, kStoreKey);
    }
    // The tests read the windows' Simplified texts in every lane: a lane's
    // locale sets the code page and the date format, and the language of
    // the windows is the store's choice here, as a user would set it.
    if (RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr) ==
        ERROR_SUCCESS) {
      const wchar_t simplified[] = L"zh-CN";
      RegSetValueExW(key, L"Language", 0, REG_SZ, reinterpret_cast<const BYTE*>(simplified), sizeof simplified);
      RegCloseKey(key);
    }
  }
};

}  // namespace velmaro_e2e
