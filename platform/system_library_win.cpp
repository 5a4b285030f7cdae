#include "platform/system_library_win.h"

#include <string>

#include "base/text_win.h"

namespace velmaro {

HMODULE LoadSystemLibrary(const wchar_t* fileName) {
  wchar_t folder[MAX_PATH];
  UINT length = GetSystemDirectoryW(folder, MAX_PATH);
  if (length == 0 || length >= MAX_PATH) return nullptr;
  WideString path(folder, length);
  if (path.back() != L'\\') path += L'\\';
  path += fileName;
  // Never freed: callers keep the function pointers they look up. Without
  // the safe default search order (XP, Vista, 7 without its update), the
  // library's own dependencies would be searched for in the program's folder
  // first; the altered search path looks for them beside the library.
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

namespace {

// Looks `name` up in `module` into `function`; null when the library or the
// export is missing.
template <class Fn>
void Find(Fn& function, HMODULE module, const char* name) {
  function = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}

}  // namespace

const KernelCalls& Kernel() {
  static const KernelCalls calls = [] {
    KernelCalls found;
    HMODULE module = LoadSystemLibrary(L"kernel32.dll");
    VELMARO_KERNEL32_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const UserCalls& User() {
  static const UserCalls calls = [] {
    UserCalls found;
    HMODULE module = LoadSystemLibrary(L"user32.dll");
    VELMARO_USER32_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const NtCalls& Nt() {
  static const NtCalls calls = [] {
    NtCalls found;
    HMODULE module = LoadSystemLibrary(L"ntdll.dll");
    VELMARO_NTDLL_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const ComCalls& Com() {
  static const ComCalls calls = [] {
    ComCalls found;
    HMODULE module = LoadSystemLibrary(L"ole32.dll");
    VELMARO_OLE32_CALLS(VELMARO_FIND_CALL)
    module = LoadSystemLibrary(L"oleaut32.dll");
    VELMARO_OLEAUT32_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const MultimediaCalls& Multimedia() {
  static const MultimediaCalls calls = [] {
    MultimediaCalls found;
    HMODULE module = LoadSystemLibrary(L"winmm.dll");
    VELMARO_WINMM_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const CommonControlsCalls& CommonControls() {
  static const CommonControlsCalls calls = [] {
    CommonControlsCalls found;
    HMODULE module = LoadLibraryW(L"comctl32.dll");
    VELMARO_COMCTL32_CALLS(VELMARO_FIND_CALL)
    if (found.InitCommonControlsEx) {
      INITCOMMONCONTROLSEX controls = {sizeof controls,
                                       ICC_PROGRESS_CLASS | ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
      found.InitCommonControlsEx(&controls);
    }
    return found;
  }();
  return calls;
}

const FileDialogCalls& FileDialog() {
  static const FileDialogCalls calls = [] {
    FileDialogCalls found;
    HMODULE module = LoadSystemLibrary(L"comdlg32.dll");
    VELMARO_COMDLG32_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const LoadCalls& Load() {
  static const LoadCalls calls = [] {
    LoadCalls found;
    HMODULE module = LoadSystemLibrary(L"iphlpapi.dll");
    VELMARO_IPHLPAPI_CALLS(VELMARO_FIND_CALL)
    module = LoadSystemLibrary(L"kernel32.dll");
    VELMARO_KERNEL32_LOAD_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const PowerPlanCalls& PowerPlan() {
  static const PowerPlanCalls calls = [] {
    PowerPlanCalls found;
    HMODULE module = LoadSystemLibrary(L"powrprof.dll");
    VELMARO_POWRPROF_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

const RasEntryPoints& DialUpCalls() {
  static const RasEntryPoints calls = [] {
    RasEntryPoints found;
    HMODULE module = LoadSystemLibrary(L"rasapi32.dll");
    VELMARO_RASAPI32_CALLS(VELMARO_FIND_CALL)
    module = LoadSystemLibrary(L"wininet.dll");
    VELMARO_WININET_CALLS(VELMARO_FIND_CALL)
    return found;
  }();
  return calls;
}

}  // namespace velmaro
