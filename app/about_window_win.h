// The About window TForm2 on Win32: the name, version, release date and
// makers of the program and an OK button. Each ShowAbout opens a new one; a
// closed one is hidden at once and released when the next one opens.
#pragma once

#include <windows.h>


#include "app/about.h"
#include "ui/base_window_win.h"

namespace velmaro {

class TForm2 : public OneUseWindow<TForm2> {
 public:
  enum ControlId : int { IDC_LABEL1 = 1001, IDC_LABEL2, IDC_LABEL3, IDC_LABEL4, IDC_LABEL5, IDC_BUTTON1 };

  // Creates the window hidden, owned by `owner` (may be null).
  explicit TForm2(HWND owner);

  void Show();
};

class AboutWindows : public AboutService {
 public:
  // About windows are owned by `owner`, the application's window (may be null).
  explicit AboutWindows(HWND owner) : forms_(owner) {}

  void ShowAbout() override { forms_.Open().Show(); }

  // The most recently opened About window; null before the first.
  TForm2* Form2() const { return forms_.Latest(); }

 private:
  WindowPerUse<TForm2> forms_;
};

}  // namespace velmaro
