// What the end-to-end tests share: starting the program, finding its
// windows and reading the store it wrote.
#pragma once

#include <windows.h>

#include <cstring>
#include <string>
#include <vector>

namespace e2e {

inline const wchar_t kStoreKey[] = L"Software\\Drennik\\Velmaro";
inline const wchar_t kMainClass[] = L"TForm1";

inline std::wstring BesideThisExe(const wchar_t* name) {
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

inline BOOL CALLBACK Collect(HWND hwnd, LPARAM param) {
  auto* found = reinterpret_cast<Windows*>(param);
  DWORD pid = 0;
  GetWindowThreadProcessId(hwnd, &pid);
  wchar_t cls[64] = {};
  GetClassNameW(hwnd, cls, 64);
  if (wcscmp(cls, kMainClass) == 0 && (found->pid == 0 || pid == found->pid)) found->main.push_back(hwnd);
  if (pid == found->pid && IsWindowVisible(hwnd)) found->visible.push_back(hwnd);
  return TRUE;
}

inline Windows WindowsOf(DWORD pid) {
  Windows found{pid, {}, {}};
  EnumWindows(Collect, reinterpret_cast<LPARAM>(&found));
  return found;
}

// Waits until start-up has run: the main window exists before start-up
// begins, and becoming topmost is start-up's last step.
inline HWND WaitForMainWindow(DWORD pid) {
  for (int i = 0; i < 300; ++i) {
    Windows found = WindowsOf(pid);
    if (!found.main.empty() && (GetWindowLongW(found.main.front(), GWL_EXSTYLE) & WS_EX_TOPMOST)) {
      return found.main.front();
    }
    Sleep(50);
  }
  return nullptr;
}

inline HWND Program::Launch() { return Start() ? WaitForMainWindow(info.dwProcessId) : nullptr; }

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

// Nothing of ours may still run from an earlier test, and the store starts
// empty.
inline void CloseProgramsAndClearStore() {
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

}  // namespace e2e
