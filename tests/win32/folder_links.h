// Links to folders for the Win32 tests: a symbolic link where the system
// makes one, else, under Wine, which cannot make junctions and whose mklink
// does nothing, a unix symbolic link, which Wine shows with the
// reparse-point attribute. Header-only, as the tests' other support.
#pragma once

#include <windows.h>

#include "base/text_win.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {

inline bool IsLink(const WideString& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_REPARSE_POINT);
}

// Starts a unix program of the host, which Wine starts like any other; false
// outside Wine. Wine's handle to it may be signalled before it has ended:
// callers wait for what it does.
inline bool RunUnix(const WideString& commandLine) {
  WideString line = commandLine;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION started = {};
  if (!CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &started)) {
    return false;
  }
  WaitForSingleObject(started.hProcess, 10000);
  CloseHandle(started.hThread);
  CloseHandle(started.hProcess);
  return true;
}

// Wine's path of a Windows path in the host's file system; empty outside Wine.
inline WideString UnixPath(const WideString& path) {
  using UnixFileNameFn = char*(CDECL*)(LPCWSTR);
  auto unixFileName = reinterpret_cast<UnixFileNameFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
  if (!unixFileName) return WideString();
  char* name = unixFileName(path.c_str());
  if (!name) return WideString();
  const int length = MultiByteToWideChar(CP_UTF8, 0, name, -1, nullptr, 0);
  WideString wide(static_cast<std::size_t>(length > 0 ? length - 1 : 0), L'\0');
  if (length > 1) MultiByteToWideChar(CP_UTF8, 0, name, -1, &wide[0], length);
  HeapFree(GetProcessHeap(), 0, name);
  return wide;
}

// A link at `link` to the folder `target`: a symbolic link where the system
// makes one, else a unix one under Wine. False when neither is possible.
inline bool LinkFolder(const WideString& link, const WideString& target) {
  using CreateLinkFn = BOOLEAN(WINAPI*)(LPCWSTR, LPCWSTR, DWORD);
  auto createLink = reinterpret_cast<CreateLinkFn>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "CreateSymbolicLinkW")));
  if (createLink) createLink(link.c_str(), target.c_str(), 1);
  if (IsLink(link)) return true;
  const WideString unixLink = UnixPath(link);
  const WideString unixTarget = UnixPath(target);
  if (unixLink.empty() || unixTarget.empty()) return false;
  RunUnix(L"Z:\\bin\\ln -s \"" + unixTarget + L"\" \"" + unixLink + L"\"");
  return WaitFor([&] { return IsLink(link); }, 10000);
}

// Removes a tree of the test's own, never entering a link.
inline void RemoveTree(const WideString& folder) {
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      const WideString name = found.cFileName;
      if (name == L"." || name == L"..") continue;
      const WideString path = folder + L"\\" + name;
      SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_NORMAL);
      if (found.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) {
        if (!RemoveDirectoryW(path.c_str()) && !DeleteFileW(path.c_str())) {
          RunUnix(L"Z:\\bin\\rm -f \"" + UnixPath(path) + L"\"");
          WaitFor([&] { return GetFileAttributesW(path.c_str()) == INVALID_FILE_ATTRIBUTES; }, 10000);
        }
      } else if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        RemoveTree(path);
      } else {
        DeleteFileW(path.c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

}  // namespace velmaro
