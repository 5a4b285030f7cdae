// The application's own window: hidden, titled "Velmaro", the owner of every
// other window of the program. Owned windows get no taskbar button of their
// own; while the countdown shows, this window's button stands for the program
// with the application title.
#pragma once

#include <windows.h>

#include "ui/base_window_win.h"

namespace velmaro {

class TApplication : public BaseWindow<TApplication> {
 public:
  bool Create();
  // The window that the taskbar button brings up and that its Close closes.
  void SetMainForm(HWND form) { mainForm_ = form; }
  void ShowTaskbarButton();
  void HideTaskbarButton();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  HWND mainForm_ = nullptr;
};

}  // namespace velmaro
