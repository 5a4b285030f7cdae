// What the Win32 tests, their helper programs and the end-to-end tests
// share: where the helper programs are, a scratch folder of their own, window
// texts, and waiting for what a window does. Header-only, so the end-to-end
// tests, which drive the program from outside and link none of it, use it too
// (they take only the type of the program's wide texts).
#pragma once

#include <windows.h>

#include <string>

#include "base/text_win.h"

namespace velmaro {

// A number as wide text.
inline WideString WideNumber(unsigned long long number) {
  const std::string digits = std::to_string(number);
  return WideString(digits.begin(), digits.end());
}

// The folder of the test executable, where the helper programs are built; ends with "\".
inline WideString TestExeFolder() {
  wchar_t path[MAX_PATH];
  DWORD length = GetModuleFileNameW(nullptr, path, MAX_PATH);
  WideString folder(path, length);
  return folder.substr(0, folder.find_last_of(L'\\') + 1);
}
inline WideString BesideThisExe(const wchar_t* name) { return TestExeFolder() + name; }

// A new empty folder under the temp folder, named `name` plus this process's
// id so tests running side by side never share one; ends with "\".
inline WideString MakeScratchFolder(const WideString& name) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  WideString folder = WideString(temp) + name + L" " + WideNumber(GetCurrentProcessId()) + L"\\";
  CreateDirectoryW(folder.c_str(), nullptr);
  return folder;
}

// Removes the files directly in `folder`, then the folder.
inline void RemoveScratchFolder(const WideString& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) DeleteFileW((folder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

inline std::string ReadWholeFile(const WideString& path) {
  std::string content;
  HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                            nullptr, OPEN_EXISTING, 0, nullptr);
  if (file == INVALID_HANDLE_VALUE) return content;
  char buffer[4096];
  DWORD read = 0;
  while (ReadFile(file, buffer, sizeof buffer, &read, nullptr) && read > 0) content.append(buffer, read);
  CloseHandle(file);
  return content;
}

inline bool FileExists(const WideString& path) { return GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES; }

inline WideString WindowText(HWND window) {
  wchar_t text[512] = {};
  GetWindowTextW(window, text, 512);
  return text;
}

// Polls `condition` every 50 ms for up to `ms`.
template <class Condition>
bool WaitFor(Condition condition, DWORD ms) {
  for (DWORD waited = 0;; waited += 50) {
    if (condition()) return true;
    if (waited >= ms) return false;
    Sleep(50);
  }
}

// The pop-up menu window, if one shows.
inline HWND VisibleMenu() {
  HWND menu = FindWindowW(L"#32768", nullptr);
  return menu && IsWindowVisible(menu) ? menu : nullptr;
}

}  // namespace velmaro
