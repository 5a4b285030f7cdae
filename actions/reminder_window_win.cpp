#include "actions/reminder_window_win.h"

#include "base/text_win.h"
#include "ui/controls_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm6";
constexpr int kWidth96 = 400;
constexpr int kHeight96 = 169;

// Label1 stays on one line whatever its length: a long text is cut off at
// the window's edge rather than wrapped.
const ControlRow kControls[] = {
    {TForm6::IDC_LABEL1, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 48, 48, 0, 0},
    {TForm6::IDC_BUTTON1, L"BUTTON", Text::ReminderOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 96, 75, 25},
};

}  // namespace

TForm6::TForm6(HWND owner) {
  int dpi = WindowDpi(nullptr);
  RECT frame = CenteredWindowRect(kWidth96, kHeight96, dpi);
  CreateWindowOf(kClassName, ToWide("提示"), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                 frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, owner);
  if (Handle()) CreateControls(kControls);
}

void TForm6::Show(const std::string& text) {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetDlgItemTextW(Handle(), IDC_LABEL1, ToWide(text).c_str());
  LayOutControls();
  SetFocus(GetDlgItem(Handle(), IDC_BUTTON1));
}

}  // namespace velmaro
