// The settings dialog window TForm3, bound to a SettingsDialog: the task list
// and the options, with a fixed frame.
#pragma once

#include <windows.h>

#include "dialogs/dialog_windows.h"
#include "dialogs/settings_dialog.h"
#include "platform/base_window_win.h"

namespace velmaro {

class TForm3 : public BaseWindow<TForm3>, public DialogView {
 public:
  explicit TForm3(SettingsDialog& model);
  ~TForm3() override;

  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(BaseWindow::Handle()); }
  void Refresh() override;
  void RefreshList() override;

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Pull();
  void Run(void (SettingsDialog::*handler)());
  void ApplyDpi(int dpi);
  void PullSelection();

  SettingsDialog& model_;
  HFONT font_ = nullptr;
  HFONT edit5Font_ = nullptr;
  HFONT button3Font_ = nullptr;
  HWND tooltip_ = nullptr;
  bool pushingList_ = false;  // the list's own notifications while it is rebuilt
};

}  // namespace velmaro
