#include "platform/system_library_win.h"

#include <cstring>
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

// Looks each of `names` up in `module` into the pointers of `calls` from
// place `first` on: a calls table is nothing but its function pointers, in
// the order of its lists. A missing library or export leaves a null pointer.
template <class Calls>
void FindCalls(HMODULE module, const char* const* names, std::size_t count, Calls& calls, std::size_t first) {
  for (std::size_t i = 0; i < count; ++i) {
    const FARPROC function = module ? GetProcAddress(module, names[i]) : nullptr;
    // Copied as bytes: every function pointer has the representation of FARPROC.
    std::memcpy(reinterpret_cast<char*>(&calls) + (first + i) * sizeof function, &function, sizeof function);
  }
}

// Looks up the functions of one list, from place `first` of the table `found`.
#define VELMARO_FIND_CALLS(LIST, first)                                  \
  {                                                                      \
    static const char* const kNames[] = {LIST(VELMARO_CALL_NAME)};       \
    FindCalls(module, kNames, sizeof kNames / sizeof kNames[0], found, first); \
  }

// A table of one library's list, looked up on its first use and kept.
#define VELMARO_LATE_BOUND(Calls, Getter, library, LIST)                            \
  static_assert(sizeof(Calls) == (0 LIST(VELMARO_CALL_COUNT)) * sizeof(FARPROC),   \
                #Calls " holds its function pointers only");                        \
  const Calls& Getter() {                                                           \
    static const Calls calls = [] {                                                 \
      Calls found;                                                                  \
      HMODULE module = LoadSystemLibrary(library);                                  \
      VELMARO_FIND_CALLS(LIST, 0)                                                   \
      return found;                                                                 \
    }();                                                                            \
    return calls;                                                                   \
  }

}  // namespace

VELMARO_LATE_BOUND(KernelCalls, Kernel, L"kernel32.dll", VELMARO_KERNEL32_CALLS)
VELMARO_LATE_BOUND(UserCalls, User, L"user32.dll", VELMARO_USER32_CALLS)
VELMARO_LATE_BOUND(NtCalls, Nt, L"ntdll.dll", VELMARO_NTDLL_CALLS)
VELMARO_LATE_BOUND(MultimediaCalls, Multimedia, L"winmm.dll", VELMARO_WINMM_CALLS)
VELMARO_LATE_BOUND(FileDialogCalls, FileDialog, L"comdlg32.dll", VELMARO_COMDLG32_CALLS)
VELMARO_LATE_BOUND(PowerPlanCalls, PowerPlan, L"powrprof.dll", VELMARO_POWRPROF_CALLS)

// A table of two libraries' lists, the second's pointers after the first's.
#define VELMARO_LATE_BOUND_2(Calls, Getter, library1, LIST1, library2, LIST2)                             \
  static_assert(sizeof(Calls) == (0 LIST1(VELMARO_CALL_COUNT) LIST2(VELMARO_CALL_COUNT)) * sizeof(FARPROC), \
                #Calls " holds its function pointers only");                                             \
  const Calls& Getter() {                                                                                \
    static const Calls calls = [] {                                                                      \
      Calls found;                                                                                       \
      HMODULE module = LoadSystemLibrary(library1);                                                      \
      VELMARO_FIND_CALLS(LIST1, 0)                                                                       \
      module = LoadSystemLibrary(library2);                                                              \
      VELMARO_FIND_CALLS(LIST2, 0 LIST1(VELMARO_CALL_COUNT))                                             \
      return found;                                                                                      \
    }();                                                                                                 \
    return calls;                                                                                        \
  }

VELMARO_LATE_BOUND_2(ComCalls, Com, L"ole32.dll", VELMARO_OLE32_CALLS, L"oleaut32.dll", VELMARO_OLEAUT32_CALLS)
VELMARO_LATE_BOUND_2(LoadCalls, Load, L"iphlpapi.dll", VELMARO_IPHLPAPI_CALLS, L"kernel32.dll",
                     VELMARO_KERNEL32_LOAD_CALLS)
VELMARO_LATE_BOUND_2(RasEntryPoints, DialUpCalls, L"rasapi32.dll", VELMARO_RASAPI32_CALLS, L"wininet.dll",
                     VELMARO_WININET_CALLS)

static_assert(sizeof(CommonControlsCalls) == (0 VELMARO_COMCTL32_CALLS(VELMARO_CALL_COUNT)) * sizeof(FARPROC));

const CommonControlsCalls& CommonControls() {
  static const CommonControlsCalls calls = [] {
    CommonControlsCalls found;
    HMODULE module = LoadLibraryW(L"comctl32.dll");
    VELMARO_FIND_CALLS(VELMARO_COMCTL32_CALLS, 0)
    if (found.InitCommonControlsEx) {
      INITCOMMONCONTROLSEX controls = {sizeof controls,
                                       ICC_PROGRESS_CLASS | ICC_DATE_CLASSES | ICC_LISTVIEW_CLASSES | ICC_BAR_CLASSES};
      found.InitCommonControlsEx(&controls);
    }
    return found;
  }();
  return calls;
}

}  // namespace velmaro
