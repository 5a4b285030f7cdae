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

// Looks `name` up in the system library `library` into `function`; null
// when the library or the export is missing.
template <class Fn>
void Find(Fn& function, HMODULE module, const char* name) {
  function = module ? reinterpret_cast<Fn>(reinterpret_cast<void*>(GetProcAddress(module, name))) : nullptr;
}
template <class Fn>
void Find(Fn& function, const wchar_t* library, const char* name) {
  Find(function, LoadSystemLibrary(library), name);
}

}  // namespace

const KernelCalls& Kernel() {
  static const KernelCalls calls = [] {
    KernelCalls found;
    Find(found.SetDefaultDllDirectories, L"kernel32.dll", "SetDefaultDllDirectories");
    Find(found.SetDllDirectoryW, L"kernel32.dll", "SetDllDirectoryW");
    Find(found.CreateToolhelp32Snapshot, L"kernel32.dll", "CreateToolhelp32Snapshot");
    Find(found.Process32FirstW, L"kernel32.dll", "Process32FirstW");
    Find(found.Process32NextW, L"kernel32.dll", "Process32NextW");
    return found;
  }();
  return calls;
}

const UserCalls& User() {
  static const UserCalls calls = [] {
    UserCalls found;
    Find(found.GetDpiForWindow, L"user32.dll", "GetDpiForWindow");
    Find(found.ChangeWindowMessageFilterEx, L"user32.dll", "ChangeWindowMessageFilterEx");
    Find(found.ChangeWindowMessageFilter, L"user32.dll", "ChangeWindowMessageFilter");
    return found;
  }();
  return calls;
}

const NtCalls& Nt() {
  static const NtCalls calls = [] {
    NtCalls found;
    Find(found.NtShutdownSystem, L"ntdll.dll", "NtShutdownSystem");
    return found;
  }();
  return calls;
}

const ComCalls& Com() {
  static const ComCalls calls = [] {
    ComCalls found;
    Find(found.CoInitializeEx, L"ole32.dll", "CoInitializeEx");
    Find(found.CoUninitialize, L"ole32.dll", "CoUninitialize");
    Find(found.CoCreateInstance, L"ole32.dll", "CoCreateInstance");
    Find(found.SysAllocStringLen, L"oleaut32.dll", "SysAllocStringLen");
    Find(found.SysFreeString, L"oleaut32.dll", "SysFreeString");
    Find(found.VariantInit, L"oleaut32.dll", "VariantInit");
    Find(found.VariantClear, L"oleaut32.dll", "VariantClear");
    return found;
  }();
  return calls;
}

const MultimediaCalls& Multimedia() {
  static const MultimediaCalls calls = [] {
    MultimediaCalls found;
    Find(found.PlaySoundW, L"winmm.dll", "PlaySoundW");
    Find(found.mciSendStringW, L"winmm.dll", "mciSendStringW");
    return found;
  }();
  return calls;
}

const CommonControlsCalls& CommonControls() {
  static const CommonControlsCalls calls = [] {
    CommonControlsCalls found;
    HMODULE module = LoadLibraryW(L"comctl32.dll");
    Find(found.InitCommonControlsEx, module, "InitCommonControlsEx");
    Find(found.ImageList_Create, module, "ImageList_Create");
    Find(found.ImageList_Add, module, "ImageList_Add");
    Find(found.ImageList_Destroy, module, "ImageList_Destroy");
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
    Find(found.GetOpenFileNameW, L"comdlg32.dll", "GetOpenFileNameW");
    return found;
  }();
  return calls;
}

const LoadCalls& Load() {
  static const LoadCalls calls = [] {
    LoadCalls found;
    Find(found.GetIfTable2, L"iphlpapi.dll", "GetIfTable2");
    Find(found.FreeMibTable, L"iphlpapi.dll", "FreeMibTable");
    Find(found.GetIfTable, L"iphlpapi.dll", "GetIfTable");
    Find(found.GetSystemTimes, L"kernel32.dll", "GetSystemTimes");
    return found;
  }();
  return calls;
}

const RasEntryPoints& DialUpCalls() {
  static const RasEntryPoints calls = [] {
    RasEntryPoints found;
    Find(found.enumConnections, L"rasapi32.dll", "RasEnumConnectionsA");
    Find(found.hangUp, L"rasapi32.dll", "RasHangUpA");
    Find(found.autodial, L"wininet.dll", "InternetAutodial");
    return found;
  }();
  return calls;
}

}  // namespace velmaro
