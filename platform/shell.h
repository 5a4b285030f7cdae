// Shell and tray: the notification-area icon, opening documents and
// addresses through the shell, and the program's message boxes.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmaro {

using WindowHandle = std::uintptr_t;  // an HWND; 0 = none

// Icon resources of the program's own module.
enum class AppIcon { MAINICON, ENASHUT, DISSHUT };

enum class NotifyOp : std::uint32_t { Add = 0, Modify = 1, Delete = 2 };

// The tray icon record in its oldest layout: no balloon, no version fields.
struct NotifyIconData {
  WindowHandle hWnd = 0;
  std::uint32_t uID = 100;
  std::uint32_t uFlags = 7;  // NIF_MESSAGE | NIF_ICON | NIF_TIP
  std::uint32_t uCallbackMessage = 1025;  // WM_USER + 1, WM_TRAYICON
  AppIcon hIcon = AppIcon::MAINICON;
  char szTip[64] = {};  // code page 936, zero-padded
};

// Replaces the whole tip field from a zero-padded constant.
void SetTip(NotifyIconData& data, const std::string& tip);

// Show commands and message box flags, as Windows numbers them.
enum : std::int32_t { kSwHide = 0, kSwShowNormal = 1 };
enum : std::uint32_t {
  kMbOk = 0x0,
  kMbIconError = 0x10,
  kMbIconInformation = 0x40,
};

// ShellExecute's results up to this one are failures.
constexpr std::intptr_t kShellExecuteFailedMax = 32;

class ShellService {
 public:
  virtual ~ShellService() = default;
  virtual bool NotifyIcon(NotifyOp op, const NotifyIconData& data) = 0;
  // A balloon with `text` (code page 936) at the icon that `icon` names;
  // false when the shell has no such icon to show it at.
  virtual bool ShowBalloon(const NotifyIconData& icon, const std::string& text) = 0;
  virtual std::uint32_t RegisterMessage(const std::string& name) = 0;
  // ShellExecute. A null `verb`, `parameters` or `directory` is passed as
  // null; an empty string as an empty string. Returns what ShellExecute
  // returns: above 32 when the shell opened the file, else an error code.
  virtual std::intptr_t Execute(WindowHandle owner, const char* verb, const std::string& file, const char* parameters,
                       const char* directory, std::int32_t showCommand) = 0;
  // Execute, but as the signed-in user rather than with the program's
  // administrator rights: help, logs and web pages opened by an elevated
  // program would otherwise run elevated, with the administrator's file
  // associations. Falls back to Execute where the shell cannot do it.
  virtual std::intptr_t ExecuteAsUser(WindowHandle owner, const char* verb, const std::string& file,
                                      const char* parameters, const char* directory, std::int32_t showCommand) = 0;
  // Lets `message` reach `window` from the shell, which runs without the
  // program's rights (Vista and later drop such messages by default).
  virtual void AcceptFromShell(WindowHandle window, std::uint32_t message) = 0;
  // A modal message box owned by no window.
  virtual void ShowMessageBox(const std::string& text, const std::string& caption, std::uint32_t flags) = 0;
};

// The running system's shell (Windows builds only).
std::unique_ptr<ShellService> MakeSystemShell();

}  // namespace velmaro
