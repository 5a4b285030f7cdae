#include "app/about_window_win.h"

#include "platform/controls_win.h"
#include "platform/text_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm2";
constexpr int kWidth96 = 327;
constexpr int kHeight96 = 292;
constexpr int kFormFontHeight96 = -13;   // the button's font
constexpr int kLabelFontHeight96 = -15;  // the labels' font

const ControlSpec kLabels[] = {
    {TForm2::IDC_LABEL1, L"STATIC", kForm2Label1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 64, 0, 0},
    {TForm2::IDC_LABEL2, L"STATIC", kForm2Label2, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 96, 0, 0},
    {TForm2::IDC_LABEL5, L"STATIC", kForm2Label5, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 81, 126, 0, 0},
    {TForm2::IDC_LABEL3, L"STATIC", kForm2Label3, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 154, 0, 0},
    {TForm2::IDC_LABEL4, L"STATIC", kForm2Label4, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 183, 0, 0},
};
const ControlSpec kButtons[] = {
    {TForm2::IDC_BUTTON1, L"BUTTON", kForm2Button1, BS_DEFPUSHBUTTON | WS_TABSTOP, 112, 216, 75, 25},
};

}  // namespace

TForm2::TForm2(HWND owner) {
  int dpi = WindowDpi(nullptr);
  RECT frame = CenteredWindowRect(kWidth96, kHeight96, dpi);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
  CreateWindowOf(kClassName, ToWide(kForm2Caption), style, 0, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, owner);
  if (!Handle()) return;
  dpi = WindowDpi(Handle());
  formFont_ = CreateScaledFont(L"宋体", kFormFontHeight96, dpi);
  labelFont_ = CreateScaledFont(L"宋体", kLabelFontHeight96, dpi);
  CreateControls(Handle(), kLabels, dpi, labelFont_);
  CreateControls(Handle(), kButtons, dpi, formFont_);
}

TForm2::~TForm2() {
  // The controls use the fonts until the window is gone.
  if (Handle()) DestroyWindow(Handle());
  if (formFont_) DeleteObject(formFont_);
  if (labelFont_) DeleteObject(labelFont_);
}

void TForm2::Show() {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(GetDlgItem(Handle(), IDC_BUTTON1));
}

void TForm2::Button1Click() {
  ShowWindow(Handle(), SW_HIDE);
  closed_ = true;
}

void TForm2::ApplyDpi(int dpi) {
  HFONT formFont = CreateScaledFont(L"宋体", kFormFontHeight96, dpi);
  HFONT labelFont = CreateScaledFont(L"宋体", kLabelFontHeight96, dpi);
  for (const ControlSpec& label : kLabels) {
    SendDlgItemMessageW(Handle(), label.id, WM_SETFONT, reinterpret_cast<WPARAM>(labelFont), TRUE);
  }
  for (const ControlSpec& button : kButtons) {
    SendDlgItemMessageW(Handle(), button.id, WM_SETFONT, reinterpret_cast<WPARAM>(formFont), TRUE);
  }
  if (formFont_) DeleteObject(formFont_);
  if (labelFont_) DeleteObject(labelFont_);
  formFont_ = formFont;
  labelFont_ = labelFont;
  LayoutControls(Handle(), kLabels, dpi);
  LayoutControls(Handle(), kButtons, dpi);
}

LRESULT TForm2::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (LOWORD(wParam) == IDC_BUTTON1 && HIWORD(wParam) == BN_CLICKED) {
        Button1Click();
        return 0;
      }
      break;
    case WM_CLOSE:
      Button1Click();
      return 0;
    case kDpiChangedMessage:
      MoveToSuggestedRect(Handle(), lParam);
      ApplyDpi(HIWORD(wParam));
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

void AboutWindows::ShowAbout() {
  ReleaseClosed(forms_);
  forms_.push_back(std::make_unique<TForm2>(owner_));
  forms_.back()->Show();
}

}  // namespace velmaro
