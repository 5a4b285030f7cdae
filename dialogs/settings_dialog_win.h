// The settings dialog window TForm3, bound to a SettingsDialog: the task list
// and the options, with a fixed frame.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include "dialogs/dialog_windows.h"
#include "dialogs/settings_dialog.h"
#include "ui/base_window_win.h"
#include "ui/controls_win.h"

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
  // The table's controls and the list's columns.
  void LayOut() override;
  void PullSelection();
  // LVN_GETDISPINFO: the list holds no texts of its own, only the number of
  // rows, so that filling and renumbering cost the same at 2 000 tasks as at 2.
  void ShowCell(NMLVDISPINFOW& cell);

  SettingsDialog& model_;
  HWND tooltip_ = nullptr;
  bool pushingList_ = false;  // the list's own notifications while it is rebuilt
  DialogFocus focus_;
};

}  // namespace velmaro
