// The system functions the program looks up at run time instead of
// importing them, all listed here. A function is looked up for one of three
// reasons: Windows XP lacks it; its library is needed by one command only and
// would otherwise load, and cost memory, at every start; or it is in no
// import library. Each group is looked up on its first use and kept; a
// function the system lacks is null, and its caller acts as if the call failed.
//
// The program runs elevated, so a library must never be found in the
// program's own folder or the current folder, where anyone could plant one:
// each is loaded by its full path in the system folder.
#pragma once

#include <windows.h>
#include <commctrl.h>
#include <commdlg.h>
#include <iprtrmib.h>
#include <oleauto.h>
#include <tlhelp32.h>

#include "platform/dialup_win.h"
#include "platform/late_bound_win.h"

// The interface table of Vista and later (netioapi.h), which needs the
// sockets headers ahead of windows.h; its readers include them.
struct _MIB_IF_TABLE2;

namespace velmaro {

// The module of `fileName` (for example L"winmm.dll") from the system folder,
// kept loaded for the life of the process; null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// Each library's functions are one list (platform/late_bound_win.h), looked
// up together.

// kernel32: the safe library search (Vista and later, or an update),
// tool-help, which some systems the program once served lacked, and the
// display languages of Vista and later.
#define VELMARO_KERNEL32_CALLS(X)                                      \
  X(BOOL, SetDefaultDllDirectories, (DWORD))                           \
  X(BOOL, SetDllDirectoryW, (LPCWSTR))                                 \
  X(BOOL, GetUserPreferredUILanguages, (DWORD, PULONG, PWSTR, PULONG)) \
  X(HANDLE, CreateToolhelp32Snapshot, (DWORD, DWORD))                  \
  X(BOOL, Process32FirstW, (HANDLE, PROCESSENTRY32W*))                 \
  X(BOOL, Process32NextW, (HANDLE, PROCESSENTRY32W*))
struct KernelCalls {
  VELMARO_KERNEL32_CALLS(VELMARO_CALL_POINTER)
};
const KernelCalls& Kernel();

// user32: Windows 10, Windows 7 and Vista, in that order.
#define VELMARO_USER32_CALLS(X)                                   \
  X(UINT, GetDpiForWindow, (HWND))                                \
  X(BOOL, ChangeWindowMessageFilterEx, (HWND, UINT, DWORD, void*)) \
  X(BOOL, ChangeWindowMessageFilter, (UINT, DWORD))
struct UserCalls {
  VELMARO_USER32_CALLS(VELMARO_CALL_POINTER)
};
const UserCalls& User();

// ntdll: in no import library.
#define VELMARO_NTDLL_CALLS(X) X(LONG, NtShutdownSystem, (int))
struct NtCalls {
  VELMARO_NTDLL_CALLS(VELMARO_CALL_POINTER)
};
const NtCalls& Nt();

// ole32 and oleaut32: the logon task and opening files as the signed-in user.
#define VELMARO_OLE32_CALLS(X)                                                \
  X(HRESULT, CoInitializeEx, (LPVOID, DWORD))                                 \
  X(void, CoUninitialize, ())                                                 \
  X(HRESULT, CoCreateInstance, (REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*))
#define VELMARO_OLEAUT32_CALLS(X)                  \
  X(BSTR, SysAllocStringLen, (const OLECHAR*, UINT)) \
  X(void, SysFreeString, (BSTR))                   \
  X(void, VariantInit, (VARIANTARG*))              \
  X(HRESULT, VariantClear, (VARIANTARG*))
struct ComCalls {
  VELMARO_OLE32_CALLS(VELMARO_CALL_POINTER)
  VELMARO_OLEAUT32_CALLS(VELMARO_CALL_POINTER)
  bool Available() const {
    const ComCalls& found = *this;
    return true VELMARO_OLE32_CALLS(VELMARO_CALL_PRESENT) VELMARO_OLEAUT32_CALLS(VELMARO_CALL_PRESENT);
  }
};
const ComCalls& Com();

// winmm: the countdown's sound and the drive door.
#define VELMARO_WINMM_CALLS(X)                \
  X(BOOL, PlaySoundW, (LPCWSTR, HMODULE, DWORD)) \
  X(DWORD, mciSendStringW, (LPCWSTR, LPWSTR, UINT, HWND))
struct MultimediaCalls {
  VELMARO_WINMM_CALLS(VELMARO_CALL_POINTER)
};
const MultimediaCalls& Multimedia();

// comctl32, set up with the first window that has controls rather than
// with the program: in the tray alone the program needs none, and the library
// costs about 2 MB. Loaded by name, the one exception, so that the
// manifest's activation context gives version 6 (a full path would give the
// old one beside it in the system folder).
#define VELMARO_COMCTL32_CALLS(X)                                 \
  X(BOOL, InitCommonControlsEx, (const INITCOMMONCONTROLSEX*))     \
  X(HIMAGELIST, ImageList_Create, (int, int, UINT, int, int))      \
  X(int, ImageList_Add, (HIMAGELIST, HBITMAP, HBITMAP))            \
  X(BOOL, ImageList_Destroy, (HIMAGELIST))
struct CommonControlsCalls {
  VELMARO_COMCTL32_CALLS(VELMARO_CALL_POINTER)
};
const CommonControlsCalls& CommonControls();

// comdlg32: the task editor's file picker.
#define VELMARO_COMDLG32_CALLS(X) X(BOOL, GetOpenFileNameW, (OPENFILENAMEW*))
struct FileDialogCalls {
  VELMARO_COMDLG32_CALLS(VELMARO_CALL_POINTER)
};
const FileDialogCalls& FileDialog();

// iphlpapi and kernel32 (XP SP1): the condition triggers' measures. The
// interface table of Vista and later has 64-bit counters and says which rows
// are cards; Windows XP has only the older table. Looked up with the first
// condition, apart from the kernel32 calls every start needs.
#define VELMARO_IPHLPAPI_CALLS(X)         \
  X(DWORD, GetIfTable2, (_MIB_IF_TABLE2**)) \
  X(void, FreeMibTable, (void*))          \
  X(DWORD, GetIfTable, (MIB_IFTABLE*, ULONG*, BOOL))
#define VELMARO_KERNEL32_LOAD_CALLS(X) X(BOOL, GetSystemTimes, (FILETIME*, FILETIME*, FILETIME*))
struct LoadCalls {
  VELMARO_IPHLPAPI_CALLS(VELMARO_CALL_POINTER)
  VELMARO_KERNEL32_LOAD_CALLS(VELMARO_CALL_POINTER)
};
const LoadCalls& Load();

// powrprof (Vista and later): whether the active power plan lets a wake
// timer wake the computer. Windows XP has the library without these.
#define VELMARO_POWRPROF_CALLS(X)                                                       \
  X(DWORD, PowerGetActiveScheme, (HKEY, GUID**))                                        \
  X(DWORD, PowerReadACValueIndex, (HKEY, const GUID*, const GUID*, const GUID*, DWORD*)) \
  X(DWORD, PowerReadDCValueIndex, (HKEY, const GUID*, const GUID*, const GUID*, DWORD*))
struct PowerPlanCalls {
  VELMARO_POWRPROF_CALLS(VELMARO_CALL_POINTER)
  bool Available() const {
    const PowerPlanCalls& found = *this;
    return true VELMARO_POWRPROF_CALLS(VELMARO_CALL_PRESENT);
  }
};
const PowerPlanCalls& PowerPlan();

// rasapi32 and wininet: the dial-up actions.
const RasEntryPoints& DialUpCalls();

}  // namespace velmaro
