// The reminder window TForm6: a topmost window with one line of text and an
// OK button. Every reminder gets a window of its own; a closed one is hidden
// at once and released when the next reminder shows, so a reminder every
// minute for months does not pile up hidden windows until the system has no
// more to give.
#pragma once

#include <windows.h>

#include <string>

#include "actions/reminder.h"
#include "ui/base_window_win.h"

namespace velmaro {

class TForm6 : public OneUseWindow<TForm6> {
 public:
  enum ControlId : int { IDC_LABEL1 = 1001, IDC_BUTTON1 = 1002 };

  // Creates the window hidden, owned by `owner` (may be null).
  explicit TForm6(HWND owner);

  // Shows the window, puts it above all others and sets Label1 to `text`.
  void Show(const std::string& text);
};

class ReminderWindows : public ReminderService {
 public:
  // Reminder windows are owned by `owner`, the application's window (may be null).
  explicit ReminderWindows(HWND owner) : forms_(owner) {}

  void ShowReminder(const std::string& text) override { forms_.Open().Show(text); }

  // The most recently created reminder window; null before the first.
  TForm6* Form6() const { return forms_.Latest(); }
  // The reminder windows that exist, closed ones included until the next reminder.
  std::size_t Count() const { return forms_.Count(); }

 private:
  WindowPerUse<TForm6> forms_;
};

}  // namespace velmaro
