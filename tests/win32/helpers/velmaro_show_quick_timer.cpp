// Shows the quick timer's dialog and runs until it is closed or chosen (or
// for 30 s): a subject for screenshots and for a try by keyboard. With the
// argument "set" it is shown as over a timer that is set; with "remind" the
// reminder is chosen, its text field open.
#include <windows.h>

#include <cstring>

#include "app/quick_timer_window_win.h"
#include "platform/shell_win.h"

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR arguments, int) {
  velmaro::Win32Shell shell;
  velmaro::TForm7 form(nullptr, shell, [](const velmaro::QuickTimerRequest&) {});
  form.Show(std::strstr(arguments, "set") ? "23:15 关机" : "");
  if (std::strstr(arguments, "remind")) {
    HWND combo = GetDlgItem(form.Handle(), velmaro::TForm7::IDC_COMBOBOX1);
    SendMessageW(combo, CB_SETCURSEL, velmaro::kQuickTimerActionCount - 1, 0);
    SendMessageW(form.Handle(), WM_COMMAND, MAKEWPARAM(velmaro::TForm7::IDC_COMBOBOX1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
    SetDlgItemTextW(form.Handle(), velmaro::TForm7::IDC_EDIT1, L"\u8BE5\u8D70\u4E86");
  }
  SetTimer(nullptr, 0, 30000, nullptr);
  MSG msg;
  while (IsWindowVisible(form.Handle()) && GetMessageW(&msg, nullptr, 0, 0) > 0 && msg.message != WM_TIMER) {
    if (velmaro::HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  return 0;
}
