#include "actions/reminder_window_win.h"

#include "platform/controls_win.h"
#include "platform/text_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm6";
constexpr int kWidth96 = 400;
constexpr int kHeight96 = 169;
constexpr int kFontHeight96 = -13;  // 13 px characters, as the layout gives the font

// Label1 stays on one line whatever its length: a long text is cut off at
// the window's edge rather than wrapped.
const ControlSpec kControls[] = {
    {TForm6::IDC_LABEL1, L"STATIC", "", SS_LEFTNOWORDWRAP | SS_NOPREFIX, 48, 48, 0, 0},
    {TForm6::IDC_BUTTON1, L"BUTTON", "确定", BS_DEFPUSHBUTTON | WS_TABSTOP, 160, 96, 75, 25},
};

}  // namespace

TForm6::TForm6(HWND owner) {
  int dpi = WindowDpi(nullptr);
  RECT frame = CenteredWindowRect(kWidth96, kHeight96, dpi);
  CreateWindowOf(kClassName, ToWide("提示"), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX, 0,
                 frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top, owner);
  if (!Handle()) return;
  dpi = WindowDpi(Handle());
  font_ = CreateScaledFont(L"宋体", kFontHeight96, dpi);
  CreateControls(Handle(), kControls, dpi, font_);
}

TForm6::~TForm6() {
  // The controls use the font until the window is gone.
  if (Handle()) DestroyWindow(Handle());
  if (font_) DeleteObject(font_);
}

void TForm6::Show(const std::string& text) {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetWindowPos(Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOMOVE);
  SetDlgItemTextW(Handle(), IDC_LABEL1, ToWide(text).c_str());
  LayoutControls(Handle(), kControls, WindowDpi(Handle()));
  SetFocus(GetDlgItem(Handle(), IDC_BUTTON1));
}

void TForm6::Button1Click() {
  ShowWindow(Handle(), SW_HIDE);
  closed_ = true;
}

void TForm6::ApplyDpi(int dpi) {
  HFONT font = CreateScaledFont(L"宋体", kFontHeight96, dpi);
  for (const ControlSpec& control : kControls) {
    SendDlgItemMessageW(Handle(), control.id, WM_SETFONT, reinterpret_cast<WPARAM>(font), TRUE);
  }
  if (font_) DeleteObject(font_);
  font_ = font;
  LayoutControls(Handle(), kControls, dpi);
}

LRESULT TForm6::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_BUTTON1 && HIWORD(wParam) == BN_CLICKED) {
        Button1Click();
        return 0;
      }
      break;
    case WM_CLOSE:
      // Hidden now, destroyed later: never inside one of its own handlers.
      Button1Click();
      return 0;
    case kDpiChangedMessage:
      MoveToSuggestedRect(Handle(), lParam);
      ApplyDpi(HIWORD(wParam));
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

void ReminderWindows::ShowReminder(const std::string& text) {
  ReleaseClosed(forms_);
  forms_.push_back(std::make_unique<TForm6>(owner_));
  forms_.back()->Show(text);
}

}  // namespace velmaro
