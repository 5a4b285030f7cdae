#include "platform/shell_win.h"

#include <windows.h>
#include <exdisp.h>
#include <shellapi.h>
#include <shldisp.h>
#include <shlobj.h>

#include <cstring>

#include "base/text_win.h"
#include "platform/com_win.h"

namespace velmaro {

namespace {

// Tray icons at the small icon size, loaded once: the shell shows what it
// gets, and a large icon scaled down by it looks blurred.
HICON TrayIconHandle(AppIcon icon) {
  static HICON loaded[3] = {};
  static const wchar_t* const names[3] = {L"MAINICON", L"ENASHUT", L"DISSHUT"};
  const auto index = static_cast<std::size_t>(icon);
  if (!loaded[index]) {
    loaded[index] = static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), names[index], IMAGE_ICON,
                                                  GetSystemMetrics(SM_CXSMICON), GetSystemMetrics(SM_CYSMICON),
                                                  LR_DEFAULTCOLOR));
  }
  return loaded[index];
}

WideString WideOrEmpty(const char* text) { return text ? ToWide(text) : WideString(); }

bool RunsElevated() {
  HANDLE token = nullptr;
  if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &token)) return false;
  // TOKEN_ELEVATION, which the XP headers lack; Windows XP knows no
  // elevation and fails the query: there is nothing to step down from.
  constexpr auto kTokenElevation = static_cast<TOKEN_INFORMATION_CLASS>(20);
  DWORD isElevated = 0;
  DWORD size = 0;
  const bool elevated =
      GetTokenInformation(token, kTokenElevation, &isElevated, sizeof isElevated, &size) && isElevated != 0;
  CloseHandle(token);
  return elevated;
}

// Written out here, as the interfaces' ids come from their declarations:
// the system's GUID library would bring all its ids, some 40 KB, into the exe.
constexpr CLSID kShellWindows = {0x9ba05972, 0xf6a8, 0x11cf, {0xa4, 0x42, 0x00, 0xa0, 0xc9, 0x0a, 0x8f, 0x39}};
constexpr GUID kTopLevelBrowser = {0x4c96be40, 0x915c, 0x11cf, {0x99, 0xd3, 0x00, 0xaa, 0x00, 0x4a, 0xe8, 0x37}};

// Asks the desktop's shell process, which runs as the signed-in user, to
// open the file: the shell's own ShellExecute, reached through the view of
// the desktop window. False where any step is missing (no shell running, a
// replacement shell, no COM).
bool ExecuteInDesktopShell(const WideString& verb, const WideString& file, const WideString& parameters,
                           const WideString& directory, int showCommand) {
  ComScope com;
  if (!com.Usable()) return false;
  ComPtr<IShellWindows> windows;
  ComPtr<IDispatch> desktop;
  ComPtr<IServiceProvider> provider;
  ComPtr<IShellBrowser> browser;
  ComPtr<IShellView> view;
  ComPtr<IDispatch> background;
  ComPtr<IShellFolderViewDual> folderView;
  ComPtr<IDispatch> application;
  ComPtr<IShellDispatch2> shell;
  Variant none;
  long desktopWindow = 0;
  return SUCCEEDED(Com().CoCreateInstance(kShellWindows, nullptr, CLSCTX_LOCAL_SERVER, __uuidof(IShellWindows),
                                          windows.OutVoid())) &&
         windows->FindWindowSW(&*none, &*none, SWC_DESKTOP, &desktopWindow, SWFO_NEEDDISPATCH, desktop.Out()) ==
             S_OK &&
         desktop && SUCCEEDED(desktop->QueryInterface(__uuidof(IServiceProvider), provider.OutVoid())) &&
         SUCCEEDED(provider->QueryService(kTopLevelBrowser, __uuidof(IShellBrowser), browser.OutVoid())) &&
         SUCCEEDED(browser->QueryActiveShellView(view.Out())) &&
         SUCCEEDED(view->GetItemObject(SVGIO_BACKGROUND, __uuidof(IDispatch), background.OutVoid())) &&
         SUCCEEDED(background->QueryInterface(__uuidof(IShellFolderViewDual), folderView.OutVoid())) &&
         SUCCEEDED(folderView->get_Application(application.Out())) &&
         SUCCEEDED(application->QueryInterface(__uuidof(IShellDispatch2), shell.OutVoid())) &&
         SUCCEEDED(shell->ShellExecute(Bstr(file), *Variant(parameters), *Variant(directory), *Variant(verb),
                                       *Variant(showCommand)));
}

}  // namespace

bool Win32Shell::NotifyIcon(NotifyOp op, const NotifyIconData& data) {
  NOTIFYICONDATAW record = {};
  record.cbSize = NOTIFYICONDATAW_V1_SIZE;  // the oldest layout, understood by every shell
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = TrayIconHandle(data.hIcon);
  const WideString tip = ToWide(std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip)));
  wcsncpy(record.szTip, tip.c_str(), 63);
  return Shell_NotifyIconW(static_cast<DWORD>(op), &record) != FALSE;
}

bool Win32Shell::ShowBalloon(const NotifyIconData& icon, const std::string& text) {
  // The Windows 2000 layout, the first with balloons; the tip is left as it is.
  NOTIFYICONDATAW record = {};
  record.cbSize = NOTIFYICONDATAW_V2_SIZE;
  record.hWnd = reinterpret_cast<HWND>(icon.hWnd);
  record.uID = icon.uID;
  record.uFlags = NIF_INFO;
  wcsncpy(record.szInfo, ToWide(text).c_str(), sizeof record.szInfo / sizeof record.szInfo[0] - 1);
  wcsncpy(record.szInfoTitle, L"Velmaro", sizeof record.szInfoTitle / sizeof record.szInfoTitle[0] - 1);
  record.dwInfoFlags = NIIF_INFO;
  record.uTimeout = 10000;  // the shell keeps it at least this long, once the user is back
  return Shell_NotifyIconW(NIM_MODIFY, &record) != FALSE;
}

std::uint32_t Win32Shell::RegisterMessage(const std::string& name) {
  return ::RegisterWindowMessageW(ToWide(name).c_str());
}

std::intptr_t Win32Shell::Execute(WindowHandle owner, const char* verb, const std::string& file,
                                  const char* parameters, const char* directory, std::int32_t showCommand) {
  const WideString wideVerb = WideOrEmpty(verb);
  const WideString wideParameters = WideOrEmpty(parameters);
  const WideString wideDirectory = WideOrEmpty(directory);
  HINSTANCE result =
      ShellExecuteW(reinterpret_cast<HWND>(owner), verb ? wideVerb.c_str() : nullptr, ToWide(file).c_str(),
                    parameters ? wideParameters.c_str() : nullptr, directory ? wideDirectory.c_str() : nullptr,
                    showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

std::intptr_t Win32Shell::ExecuteAsUser(WindowHandle owner, const char* verb, const std::string& file,
                                        const char* parameters, const char* directory, std::int32_t showCommand) {
  // The shell reports no result of its own: a file it cannot open shows the
  // shell's own message there, as Explorer does for a double click.
  constexpr std::intptr_t kShellTookIt = kShellExecuteFailedMax + 1;
  if (RunsElevated() &&
      ExecuteInDesktopShell(WideOrEmpty(verb), ToWide(file), WideOrEmpty(parameters), WideOrEmpty(directory),
                            showCommand)) {
    return kShellTookIt;
  }
  return Execute(owner, verb, file, parameters, directory, showCommand);
}

void Win32Shell::AcceptFromShell(WindowHandle window, std::uint32_t message) {
  // Windows 7 and later filter per window, Vista per process; XP not at all.
  constexpr DWORD kAllow = 1;  // MSGFLT_ALLOW, and MSGFLT_ADD for the older call
  const UserCalls& user = User();
  if (user.ChangeWindowMessageFilterEx) {
    user.ChangeWindowMessageFilterEx(reinterpret_cast<HWND>(window), message, kAllow, nullptr);
  } else if (user.ChangeWindowMessageFilter) {
    user.ChangeWindowMessageFilter(message, kAllow);
  }
}

void Win32Shell::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
  // With no owner, the task-modal flag keeps the hidden main window from
  // taking commands while the box is up.
  ::MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(caption).c_str(), flags | MB_TASKMODAL | MB_SETFOREGROUND);
}

std::unique_ptr<ShellService> MakeSystemShell() { return std::make_unique<Win32Shell>(); }

}  // namespace velmaro
