// `TForm1`: the hidden main window. It owns the tray icon, the command menu
// `PopupMenu1` and the three timers, and doubles as the countdown window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/application_win.h"
#include "app/main_unit.h"
#include "app/warning_window_win.h"
#include "ui/base_window_win.h"

namespace velmaro {

class TForm1 : public BaseWindow<TForm1>, public Form1View {
 public:
  // The countdown's controls.
  enum ControlId : int { IDC_LABEL1 = 1001, IDC_LABEL2, IDC_PGBAR1, IDC_BITBTN1, IDC_BITBTN2, IDC_BITBTN3 };

  TForm1(const AppServices& services, TApplication& application)
      : shell_(services.shell), application_(application), unit_(services, *this) {}
  ~TForm1() override;

  // Builds the window, its controls and menu, then runs start-up.
  bool Create();
  MainUnit& Unit() { return unit_; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Form1View
  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(BaseWindow::Handle()); }
  WindowHandle ApplicationHandle() override { return reinterpret_cast<WindowHandle>(application_.Handle()); }
  void SetTimer(TimerId timer, bool enabled) override;
  void SetProgressMax(std::int32_t maximum) override;
  void SetMenuCaption(MenuItem item, const std::string& caption) override;
  void SetMenuChecked(MenuItem item, bool checked) override;
  void MakeTopmost() override;
  void EvaluateSoon() override;
  void Close() override;
  void SetMenuEnabled(MenuItem item, bool enabled) override;
  std::int32_t ChoosePostponement() override;
  void ShowWarning(const std::string& text) override;
  void SetCountdownText(CountdownText which, const std::string& text) override;
  void SetProgress(std::int32_t position) override;
  void ShowCountdown() override;
  void HideCountdown() override;

 private:
  void OnCreate();
  void OnCommand(WPARAM wParam);
  void OnTrayIcon(LPARAM mouseMessage);
  void OnTimer(unsigned id);
  void OnPowerBroadcast(WPARAM event);
  void EnsureControls();
  // The table's controls and the buttons' images, which are drawn for the dpi.
  void LayOut() override;

  ShellService& shell_;
  TApplication& application_;
  MainUnit unit_;
  HMENU PopupMenu1 = nullptr;
  std::int32_t progressMax_ = 100;
  HIMAGELIST glyphs_[2] = {};
  std::unique_ptr<TForm4> warning_;  // from the first warning on
  bool timerOn_[4] = {};
};

}  // namespace velmaro
