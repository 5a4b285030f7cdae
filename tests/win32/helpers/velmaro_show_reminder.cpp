// Shows one reminder window with a fixed text and runs until it is closed
// (or for 30 s): a subject for screenshots of the reminder window.
#include <windows.h>

#include "actions/reminder_window_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  velmaro::ReminderWindows reminders(nullptr);
  reminders.ShowReminder("该休息了：起来走一走，看看远处。");
  SetTimer(nullptr, 0, 30000, nullptr);
  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
    if (!IsWindowVisible(reminders.Form6()->Handle())) break;
  }
  return 0;
}
