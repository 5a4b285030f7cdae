#include "platform/shell_win.h"

#include <windows.h>
#include <shellapi.h>

#include <cstring>

#include "platform/text_win.h"

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

std::wstring WideOrEmpty(const char* text) { return text ? ToWide(text) : std::wstring(); }

}  // namespace

bool Win32Shell::NotifyIcon(NotifyOp op, const NotifyIconData& data) {
  NOTIFYICONDATAW record = {};
  record.cbSize = NOTIFYICONDATAW_V1_SIZE;  // the oldest layout, understood by every shell
  record.hWnd = reinterpret_cast<HWND>(data.hWnd);
  record.uID = data.uID;
  record.uFlags = data.uFlags;
  record.uCallbackMessage = data.uCallbackMessage;
  record.hIcon = TrayIconHandle(data.hIcon);
  const std::wstring tip = ToWide(std::string(data.szTip, strnlen(data.szTip, sizeof data.szTip)));
  wcsncpy(record.szTip, tip.c_str(), 63);
  return Shell_NotifyIconW(static_cast<DWORD>(op), &record) != FALSE;
}

void Win32Shell::ShowBalloon(const NotifyIconData& icon, const std::string& text) {
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
  Shell_NotifyIconW(NIM_MODIFY, &record);
}

std::uint32_t Win32Shell::RegisterMessage(const std::string& name) {
  return ::RegisterWindowMessageW(ToWide(name).c_str());
}

std::intptr_t Win32Shell::Execute(WindowHandle owner, const char* verb, const std::string& file,
                                  const char* parameters, const char* directory, std::int32_t showCommand) {
  const std::wstring wideVerb = WideOrEmpty(verb);
  const std::wstring wideParameters = WideOrEmpty(parameters);
  const std::wstring wideDirectory = WideOrEmpty(directory);
  HINSTANCE result =
      ShellExecuteW(reinterpret_cast<HWND>(owner), verb ? wideVerb.c_str() : nullptr, ToWide(file).c_str(),
                    parameters ? wideParameters.c_str() : nullptr, directory ? wideDirectory.c_str() : nullptr,
                    showCommand);
  return reinterpret_cast<std::intptr_t>(result);
}

void Win32Shell::ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) {
  // With no owner, the task-modal flag keeps the hidden main window from
  // taking commands while the box is up.
  ::MessageBoxW(nullptr, ToWide(text).c_str(), ToWide(caption).c_str(), flags | MB_TASKMODAL | MB_SETFOREGROUND);
}

}  // namespace velmaro
