// `TForm1`: the hidden main window. It owns the tray icon, the command menu
// `PopupMenu1` and the three timers, and doubles as the countdown window.
#pragma once

#include <windows.h>

#include "platform/base_window_win.h"
#include "app/main_unit.h"

namespace velmaro {

class TForm1 : public BaseWindow<TForm1>, public Form1View {
 public:
  explicit TForm1(const AppServices& services) : shell_(services.shell), unit_(services, *this) {}
  ~TForm1() override;

  // Builds the window, its controls, timers and menu, then runs start-up.
  bool Create();
  MainUnit& Unit() { return unit_; }

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

  // Form1View
  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(BaseWindow::Handle()); }
  void SetTimer(TimerId timer, bool enabled) override;
  void SetProgressMax(std::int32_t maximum) override;
  void SetMenuCaption(MenuItem item, const std::string& caption) override;
  void MakeTopmost() override;
  void Close() override;

 private:
  void OnCreate();
  void OnTrayIcon(LPARAM mouseMessage);
  void OnTimer(unsigned id);
  void ApplyDpi(int dpi);

  ShellService& shell_;
  MainUnit unit_;
  HMENU PopupMenu1 = nullptr;
  HFONT font_ = nullptr;
  int dpi_ = 96;
  bool timerOn_[4] = {};
};

}  // namespace velmaro
