// The tray host: the tray icon's mouse and balloon messages, the command menu
// `PopupMenu1` the icon opens, and the icon's return when the shell's
// taskbar is made anew. It lives on Form1's window, which the icon names as
// its own and which must be in the foreground while the menu shows. The
// menu's commands come as the countdown buttons' clicks do, so the window
// routes both.
#pragma once

#include <windows.h>

#include <string>

#include "app/main_unit.h"

namespace velmaro {

class TrayHost {
 public:
  TrayHost(MainUnit& unit, ShellService& shell) : unit_(unit), shell_(shell) {}
  ~TrayHost();
  TrayHost(const TrayHost&) = delete;
  TrayHost& operator=(const TrayHost&) = delete;

  // Handles the tray's messages among those of `window`; false for any
  // other. The menu is made when the window is (WM_CREATE).
  bool HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

  void SetMenuCaption(MenuItem item, const std::string& caption);
  void SetMenuChecked(MenuItem item, bool checked);
  void SetMenuEnabled(MenuItem item, bool enabled);

 private:
  void OnCreate();
  void OnTrayIcon(HWND window, LPARAM mouseMessage);

  MainUnit& unit_;
  ShellService& shell_;
  HMENU PopupMenu1 = nullptr;
};

}  // namespace velmaro
