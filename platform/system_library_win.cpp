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
  // Never freed: callers keep the function pointers they look up.
  return LoadLibraryW(path.c_str());
}

}  // namespace velmaro
