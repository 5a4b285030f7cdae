#include "platform/system_library_win.h"

#include <string>

namespace velmaro {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  std::wstring path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  path += fileName;
  // Never freed: callers keep the function pointers they look up. Without
  // the safe default search order (XP, Vista, 7 without its update), the
  // library's own dependencies would be searched for in the program's folder
  // first; the altered search path looks for them beside the library.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

}  // namespace velmaro
