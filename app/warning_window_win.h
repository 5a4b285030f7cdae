// The warning window TForm4, opened by a click on the balloon that warns of a
// coming countdown task: run it now, postpone it, or skip this occurrence.
// One window, hidden between uses; Esc and the close box choose nothing.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

#include "app/main_unit.h"
#include "ui/base_window_win.h"

namespace velmaro {

// The postpone menu (kPostponeChoices) as a drop-down under `button` of
// `owner`: the minutes chosen, or 0 when it was left without a choice.
std::int32_t ChoosePostponementUnder(HWND owner, HWND button);

class TForm4 : public BaseWindow<TForm4> {
 public:
  enum ControlId : int { IDC_LABEL1 = 1001, IDC_BUTTON1, IDC_BUTTON2, IDC_BUTTON3 };

  TForm4(HWND owner, MainUnit& unit, ShellService& shell);
  ~TForm4() override;

  // Shows the window above all others with `text` in Label1.
  void Show(const std::string& text);
  // Its task's time has passed: a window that shows says `text` instead of
  // offering its choices, and hides a few seconds later.
  void Expire(const std::string& text);

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Choose(int button);

  MainUnit& unit_;
  ShellService& shell_;
};

}  // namespace velmaro
