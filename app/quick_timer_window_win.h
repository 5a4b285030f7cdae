// The quick timer's dialog TForm7 ("定时"), bound to a QuickTimerDialog:
// one window, hidden between uses, above all others while it shows. OK hands
// the request on through `chosen`; Cancel, Esc and the close box choose nothing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "app/quick_timer_dialog.h"
#include "platform/shell.h"
#include "ui/base_window_win.h"
#include "ui/controls_win.h"

namespace velmaro {

class TForm7 : public BaseWindow<TForm7> {
 public:
  // OK and Cancel are the dialog manager's own ids: Enter and Esc reach them
  // from any control.
  enum ControlId : int {
    IDC_LABEL1 = 1001, IDC_COMBOBOX1, IDC_LABEL2, IDC_EDIT1, IDC_RADIOBUTTON1, IDC_RADIOBUTTON2, IDC_EDIT2,
    IDC_EDIT3, IDC_LABEL3, IDC_EDIT4, IDC_BUTTON1,  // IDC_BUTTON1 + i: kQuickTimerMinuteChoices[i]
    IDC_OK = IDOK, IDC_CANCEL = IDCANCEL,
  };

  TForm7(HWND owner, ShellService& shell, std::function<void(const QuickTimerRequest&)> chosen);
  ~TForm7() override;

  // Shows the dialog centred and on top, the focus on its first control.
  // `current` is the description of the quick timer that is set ("23:15
  // 关机"), or "" when none is. A dialog that shows already keeps its fields.
  void Show(const std::string& current);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // Controls into the model, and the model into the controls.
  void Pull();
  void Push();
  void OnCommand(int id, int code);
  void Ok();
  void Focus(int id);
  void SyncRadioTabStops();

  ShellService& shell_;
  std::function<void(const QuickTimerRequest&)> chosen_;
  QuickTimerDialog model_;
  DialogFocus focus_;
  bool pushing_ = false;  // the edits' changes come from Push, not from typing
};

}  // namespace velmaro
