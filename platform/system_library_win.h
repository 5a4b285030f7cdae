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

// The interface table of Vista and later (netioapi.h), which needs the
// sockets headers ahead of windows.h; its readers include them.
struct _MIB_IF_TABLE2;

namespace velmaro {

// The module of `fileName` (for example L"winmm.dll") from the system folder,
// kept loaded for the life of the process; null when it is missing.
HMODULE LoadSystemLibrary(const wchar_t* fileName);

// kernel32: the safe library search (Vista and later, or an update), and
// tool-help, which some systems the program once served lacked.
struct KernelCalls {
  BOOL(WINAPI* SetDefaultDllDirectories)(DWORD) = nullptr;
  BOOL(WINAPI* SetDllDirectoryW)(LPCWSTR) = nullptr;
  HANDLE(WINAPI* CreateToolhelp32Snapshot)(DWORD, DWORD) = nullptr;
  BOOL(WINAPI* Process32FirstW)(HANDLE, PROCESSENTRY32W*) = nullptr;
  BOOL(WINAPI* Process32NextW)(HANDLE, PROCESSENTRY32W*) = nullptr;
};
const KernelCalls& Kernel();

// user32: Vista and later.
struct UserCalls {
  UINT(WINAPI* GetDpiForWindow)(HWND) = nullptr;                                   // Windows 10
  BOOL(WINAPI* ChangeWindowMessageFilterEx)(HWND, UINT, DWORD, void*) = nullptr;  // Windows 7
  BOOL(WINAPI* ChangeWindowMessageFilter)(UINT, DWORD) = nullptr;                  // Vista
};
const UserCalls& User();

// ntdll: in no import library.
struct NtCalls {
  LONG(NTAPI* NtShutdownSystem)(int) = nullptr;
};
const NtCalls& Nt();

// ole32 and oleaut32: the logon task and opening files as the signed-in user.
struct ComCalls {
  HRESULT(WINAPI* CoInitializeEx)(LPVOID, DWORD) = nullptr;
  void(WINAPI* CoUninitialize)() = nullptr;
  HRESULT(WINAPI* CoCreateInstance)(REFCLSID, LPUNKNOWN, DWORD, REFIID, LPVOID*) = nullptr;
  BSTR(WINAPI* SysAllocStringLen)(const OLECHAR*, UINT) = nullptr;
  void(WINAPI* SysFreeString)(BSTR) = nullptr;
  void(WINAPI* VariantInit)(VARIANTARG*) = nullptr;
  HRESULT(WINAPI* VariantClear)(VARIANTARG*) = nullptr;
  bool Available() const {
    return CoInitializeEx && CoUninitialize && CoCreateInstance && SysAllocStringLen && SysFreeString &&
           VariantInit && VariantClear;
  }
};
const ComCalls& Com();

// winmm: the countdown's sound and the drive door.
struct MultimediaCalls {
  BOOL(WINAPI* PlaySoundW)(LPCWSTR, HMODULE, DWORD) = nullptr;
  DWORD(WINAPI* mciSendStringW)(LPCWSTR, LPWSTR, UINT, HWND) = nullptr;
};
const MultimediaCalls& Multimedia();

// comctl32, set up with the first window that has controls rather than
// with the program: in the tray alone the program needs none, and the library
// costs about 2 MB. Loaded by name, the one exception, so that the
// manifest's activation context gives version 6 (a full path would give the
// old one beside it in the system folder).
struct CommonControlsCalls {
  BOOL(WINAPI* InitCommonControlsEx)(const INITCOMMONCONTROLSEX*) = nullptr;
  HIMAGELIST(WINAPI* ImageList_Create)(int, int, UINT, int, int) = nullptr;
  int(WINAPI* ImageList_Add)(HIMAGELIST, HBITMAP, HBITMAP) = nullptr;
  BOOL(WINAPI* ImageList_Destroy)(HIMAGELIST) = nullptr;
};
const CommonControlsCalls& CommonControls();

// comdlg32: the task editor's file picker.
struct FileDialogCalls {
  BOOL(WINAPI* GetOpenFileNameW)(OPENFILENAMEW*) = nullptr;
};
const FileDialogCalls& FileDialog();

// iphlpapi and kernel32 (XP SP1): the condition triggers' measures. The
// interface table of Vista and later has 64-bit counters and says which rows
// are cards; Windows XP has only the older table.
struct LoadCalls {
  DWORD(WINAPI* GetIfTable2)(_MIB_IF_TABLE2**) = nullptr;
  void(WINAPI* FreeMibTable)(void*) = nullptr;
  DWORD(WINAPI* GetIfTable)(MIB_IFTABLE*, ULONG*, BOOL) = nullptr;
  BOOL(WINAPI* GetSystemTimes)(FILETIME*, FILETIME*, FILETIME*) = nullptr;
};
const LoadCalls& Load();

// rasapi32 and wininet: the dial-up actions.
const RasEntryPoints& DialUpCalls();

}  // namespace velmaro
