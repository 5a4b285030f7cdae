#include <windows.h>
#include <shlobj.h>

#include "base/text_win.h"
#include "platform/record_file.h"

namespace velmaro {

namespace {

class Win32RecordFiles : public RecordFileService {
 public:
  std::int64_t Size(const std::string& path) override {
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!GetFileAttributesExW(ToWide(path).c_str(), GetFileExInfoStandard, &data)) return -1;
    return (static_cast<std::int64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
  }

  bool Append(const std::string& path, const std::string& text) override {
    const WideString widePath = ToWide(path);
    const std::size_t folderEnd = widePath.find_last_of(L'\\');
    if (folderEnd != WideString::npos) CreateDirectoryW(widePath.substr(0, folderEnd).c_str(), nullptr);
    // Others may read the record, or move it aside, while it is open here.
    HANDLE file = CreateFileW(widePath.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                              nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
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
