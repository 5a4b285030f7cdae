#include <windows.h>
#include <aclapi.h>
#include <sddl.h>
#include <shlobj.h>

#include "base/text_win.h"
#include "platform/record_file.h"
#include "platform/session_win.h"

namespace velmaro {

namespace {

// Owned by the administrators; they and SYSTEM may change it, users may read
// it; nothing inherited from the folder above, where users may add folders.
// Files made in it later inherit the same.
const wchar_t kClosedFolder[] = L"O:BAD:P(A;OICI;FA;;;SY)(A;OICI;FA;;;BA)(A;OICI;0x1200a9;;;BU)";

// What an open handle says: a reparse point, or a file with another name.
// The handle needs FILE_READ_ATTRIBUTES (Wine does not insist, Windows does).
bool Redirected(HANDLE handle) {
  BY_HANDLE_FILE_INFORMATION info;
  if (!GetFileInformationByHandle(handle, &info)) return true;
  if (info.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) return true;
  return !(info.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && info.nNumberOfLinks > 1;
}

class Win32RecordFiles : public RecordFileService {
 public:
  std::int64_t Size(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  bool Append(const std::string& path, const std::string& text) override {
    // Others may read the record, or move it aside, while it is open here.
    // A link put in its place since it was checked is opened itself, found
    // out and left unwritten.
    // A new file is the administrators' (Windows XP would make it the
    // signed-in administrator's own) with the folder's list.
    PSECURITY_DESCRIPTOR owner = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(L"O:BA", SDDL_REVISION_1, &owner, nullptr)) return false;
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, owner, FALSE};
    HANDLE file = CreateFileW(ToWide(path).c_str(), FILE_APPEND_DATA | FILE_READ_ATTRIBUTES,
                              FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, &attributes, OPEN_ALWAYS,
                              FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    LocalFree(owner);
    if (file == INVALID_HANDLE_VALUE) return false;
    if (Redirected(file)) {
      CloseHandle(file);
      return false;
    }
    LARGE_INTEGER size = {};
    std::string bytes = GetFileSizeEx(file, &size) && size.QuadPart == 0 ? "\xEF\xBB\xBF" : "";
    bytes += Utf8(ToWide(text));
    DWORD written = 0;
    const bool done = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) &&
                      written == bytes.size();
    CloseHandle(file);
    return done;
  }

  bool Replace(const std::string& from, const std::string& to) override {
    return MoveFileExW(ToWide(from).c_str(), ToWide(to).c_str(), MOVEFILE_REPLACE_EXISTING) != FALSE;
  }

  std::string CommonDataFolder() override {
    wchar_t folder[MAX_PATH];
    if (SHGetFolderPathW(nullptr, CSIDL_COMMON_APPDATA, nullptr, SHGFP_TYPE_CURRENT, folder) != S_OK) return "";
    // A folder name that code page 936 cannot spell would name another folder.
    std::optional<std::string> path = FromWideExact(folder, wcslen(folder));
    if (!path || path->empty()) return "";
    return path->back() == '\\' ? *path : *path + "\\";
  }

  PathFacts Facts(const std::string& path) override {
    PathFacts facts;
    const WideString widePath = ToWide(path);
    const DWORD attributes = GetFileAttributesW(widePath.c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES) return facts;
    facts.exists = true;
    facts.directory = (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    // Wine shows a Unix link to a folder as a reparse point here only, not
    // through the handle.
    facts.redirected = (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
    HANDLE handle = CreateFileW(widePath.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                                FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    if (handle == INVALID_HANDLE_VALUE) return facts;
    facts.redirected = facts.redirected || Redirected(handle);
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(handle, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION | DACL_SECURITY_INFORMATION, nullptr,
                        nullptr, nullptr, nullptr, &descriptor) == ERROR_SUCCESS) {
      facts.security = SecurityFromDescriptor(descriptor);
      facts.security.fromUnixModes = FilesShowUnixModes();
      LocalFree(descriptor);
    }
    CloseHandle(handle);
    return facts;
  }

  bool MakeClosedFolder(const std::string& path) override {
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (!ConvertStringSecurityDescriptorToSecurityDescriptorW(kClosedFolder, SDDL_REVISION_1, &descriptor, nullptr)) {
      return false;
    }
    SECURITY_ATTRIBUTES attributes = {sizeof attributes, descriptor, FALSE};
    const bool made = CreateDirectoryW(ToWide(path).c_str(), &attributes) != FALSE;
    LocalFree(descriptor);
    return made;
  }

 private:
  static std::string Utf8(const WideString& text) {
    if (text.empty()) return std::string();
    const int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                         nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(size > 0 ? size : 0), '\0');
    if (size > 0) {
      WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), &bytes[0], size, nullptr, nullptr);
    }
    return bytes;
  }
};

}  // namespace

std::unique_ptr<RecordFileService> MakeSystemRecordFiles() { return std::make_unique<Win32RecordFiles>(); }

}  // namespace velmaro
