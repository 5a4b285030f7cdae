#include "platform/session_win.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <vector>

#include "base/text_win.h"

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
  return FromWide(WideString(name));
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

namespace {

std::string SidText(PSID sid) {
  wchar_t* text = nullptr;
  if (!sid || !ConvertSidToStringSidW(sid, &text)) return std::string();
  std::string result = FromWide(WideString(text));
  LocalFree(text);
  return result;
}

}  // namespace

FileSecurity SecurityFromDescriptor(PSECURITY_DESCRIPTOR descriptor) {
  FileSecurity security;
  PSID owner = nullptr;
  PACL dacl = nullptr;
  BOOL present = FALSE, defaulted = FALSE;
  if (!GetSecurityDescriptorOwner(descriptor, &owner, &defaulted) ||
      !GetSecurityDescriptorDacl(descriptor, &present, &dacl, &defaulted)) {
    return security;
  }
  security.known = true;
  security.ownerSid = SidText(owner);
  security.hasDacl = present && dacl != nullptr;
  for (DWORD i = 0; security.hasDacl && i < dacl->AceCount; ++i) {
    void* ace = nullptr;
    if (!GetAce(dacl, i, &ace)) continue;
    const ACE_HEADER& header = *static_cast<ACE_HEADER*>(ace);
    AccessEntry entry;
    entry.allows = header.AceType == ACCESS_ALLOWED_ACE_TYPE;
    entry.inheritOnly = (header.AceFlags & INHERIT_ONLY_ACE) != 0;
    // Allow and deny entries share this layout; other kinds are kept as
    // neither, with no rights.
    if (header.AceType == ACCESS_ALLOWED_ACE_TYPE || header.AceType == ACCESS_DENIED_ACE_TYPE) {
      const auto& access = *static_cast<ACCESS_ALLOWED_ACE*>(ace);
      entry.mask = access.Mask;
      entry.sid = SidText(const_cast<DWORD*>(&access.SidStart));
    } else {
      entry.mask = 0;
    }
    security.entries.push_back(entry);
  }
  return security;
}

bool FilesShowUnixModes() {
  static const bool wine = GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
  return wine;
}

FileSecurity Win32Session::SecurityOf(const std::string& path) {
  PSECURITY_DESCRIPTOR descriptor = nullptr;
  WideString widePath = ToWide(path);
  if (GetNamedSecurityInfoW(&widePath[0], SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION,
                            nullptr, nullptr, nullptr, nullptr, &descriptor) != ERROR_SUCCESS) {
    return FileSecurity();
  }
  FileSecurity security = SecurityFromDescriptor(descriptor);
  security.fromUnixModes = FilesShowUnixModes();
  LocalFree(descriptor);
  return security;
}

std::unique_ptr<SessionService> MakeSystemSession() { return std::make_unique<Win32Session>(); }

}  // namespace velmaro
