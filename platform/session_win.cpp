#include "platform/session_win.h"

#include <windows.h>

#include <vector>

#include "platform/text_win.h"

namespace velmaro {

OsVersion Win32Session::Version() {
  OSVERSIONINFOW info = {};
  info.dwOSVersionInfoSize = sizeof info;
  GetVersionExW(&info);
  return OsVersion{info.dwMajorVersion, info.dwMinorVersion, info.dwPlatformId};
}

void Win32Session::EnableShutdownPrivilege() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY, &token)) return;
  TOKEN_PRIVILEGES privileges = {};
  privileges.PrivilegeCount = 1;
  privileges.Privileges[0].Attributes = SE_PRIVILEGE_ENABLED;
  if (LookupPrivilegeValueW(nullptr, L"SeShutdownPrivilege", &privileges.Privileges[0].Luid)) {
    DWORD returned = 0;
    AdjustTokenPrivileges(token, FALSE, &privileges, sizeof privileges, nullptr, &returned);
  }
  CloseHandle(token);
}

std::string Win32Session::UserName() {
  wchar_t name[256] = {};
  DWORD size = 255;
  if (!GetUserNameW(name, &size)) return std::string();
  return FromWide(std::wstring(name));
}

std::string Win32Session::ExecutablePath() {
  // Paths may exceed MAX_PATH; grow until the name fits.
  std::vector<wchar_t> path(MAX_PATH);
  for (;;) {
    DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) return std::string();
    if (length < path.size()) return FromWide(path.data(), length);
    path.resize(path.size() * 2);
  }
}

}  // namespace velmaro
