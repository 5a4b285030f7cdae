// Shows one About window and runs until it is closed (or for 30 s): a
// subject for screenshots of the About window.
#include <windows.h>

#include "app/about_window_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  velmaro::AboutWindows about(nullptr);
  about.ShowAbout();
  SetTimer(nullptr, 0, 30000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!IsWindowVisible(about.Form2()->Handle())) break;
  }
  return 0;
}
