// The About window TForm2 on Win32: the name, version, release date and
// makers of the program and an OK button. Each ShowAbout opens a new one; a
// closed one is hidden at once and released when the next one opens.
#pragma once

#include <windows.h>

#include <memory>
#include <vector>

#include "app/about.h"
#include "platform/base_window_win.h"

namespace velmaro {

class TForm2 : public BaseWindow<TForm2> {
 public:
  enum ControlId : int { IDC_LABEL1 = 1001, IDC_LABEL2, IDC_LABEL3, IDC_LABEL4, IDC_LABEL5, IDC_BUTTON1 };

  // Creates the window hidden, owned by `owner` (may be null).
  explicit TForm2(HWND owner);
  ~TForm2() override;

  void Show();
  // Closed by its OK button or its close box (and so hidden).
  bool Closed() const { return closed_; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  void Button1Click();
  void ApplyDpi(int dpi);

  HFONT formFont_ = nullptr;
  HFONT labelFont_ = nullptr;
  bool closed_ = false;
};

class AboutWindows : public AboutService {
 public:
  // About windows are owned by `owner`, the application's window (may be null).
  explicit AboutWindows(HWND owner) : owner_(owner) {}

  void ShowAbout() override;

  // The most recently opened About window; null before the first.
  TForm2* Form2() const { return forms_.empty() ? nullptr : forms_.back().get(); }

 private:
  HWND owner_;
  std::vector<std::unique_ptr<TForm2>> forms_;
};

}  // namespace velmaro
