// `TForm1`: the hidden main window, which doubles as the countdown window.
// It runs the timers and hears the system's power and clock notices;
// the tray icon and its menu are the TrayHost's, on the same window.
#pragma once

#include <windows.h>
#include <commctrl.h>

#include <memory>

#include "app/application_win.h"
#include "app/command_host.h"
#include "app/main_unit.h"
#include "app/tray_host_win.h"
#include "app/quick_timer_window_win.h"
#include "app/warning_window_win.h"
#include "platform/text_files_win.h"
#include "ui/base_window_win.h"

namespace velmaro {

class TForm1 : public BaseWindow<TForm1>, public Form1View {
 public:
  // The countdown's controls.
  enum ControlId : int { IDC_LABEL1 = 1001, IDC_LABEL2, IDC_PGBAR1, IDC_BITBTN1, IDC_BITBTN2, IDC_BITBTN3 };

  TForm1(const AppServices& services, TApplication& application)
      : shell_(services.shell),
        registry_(services.registry),
        clock_(services.clock),
        application_(application),
        unit_(services, *this),
        tray_(unit_, services.shell) {}
  ~TForm1() override;

  // Builds the window, then runs start-up.
  bool Create();
  MainUnit& Unit() { return unit_; }
  // What the command line's commands, handed over by the channel, run on.
  CommandHost& Host();

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Form1View
  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(BaseWindow::Handle()); }
  WindowHandle ApplicationHandle() override { return reinterpret_cast<WindowHandle>(application_.Handle()); }
  void SetTimer(TimerId timer, bool enabled) override;
  void SetProgressMax(std::int32_t maximum) override;
  void SetMenuCaption(MenuItem item, const std::string& caption) override { tray_.SetMenuCaption(item, caption); }
  void SetMenuChecked(MenuItem item, bool checked) override { tray_.SetMenuChecked(item, checked); }
  void MakeTopmost() override;
  void EvaluateSoon() override;
  void Close() override;
  void SetMenuEnabled(MenuItem item, bool enabled) override { tray_.SetMenuEnabled(item, enabled); }
  std::int32_t ChoosePostponement() override;
  void ShowWarning(const std::string& text) override;
  void ExpireWarning(const std::string& text) override;
  void ShowQuickTimer(const std::string& current) override;
  void SetCountdownText(CountdownText which, const std::string& text) override;
  void SetProgress(std::int32_t position) override;
  void ShowCountdown() override;
  void HideCountdown() override;

 private:
  void OnCommand(WPARAM wParam);
  void OnTimer(unsigned id);
  void OnPowerBroadcast(WPARAM event);
  LRESULT OnCopyData(WPARAM wParam, LPARAM lParam);
  void EnsureControls();
  // The table's controls and the buttons' images, which are drawn for the dpi.
  void LayOut() override;

  ShellService& shell_;
  RegistryService& registry_;
  ClockService& clock_;
  Win32TextFiles textFiles_;
  Win32TextCodec codec_;
  TApplication& application_;
  MainUnit unit_;
  TrayHost tray_;
  std::int32_t progressMax_ = 100;
  HIMAGELIST glyphs_[2] = {};
  std::unique_ptr<TForm4> warning_;  // from the first warning on
  std::unique_ptr<TForm7> quickTimer_;  // from the first 定时… on
  bool timerOn_[6] = {};
};

}  // namespace velmaro
