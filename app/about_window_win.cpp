#include "app/about_window_win.h"

#include "base/text_win.h"
#include "ui/controls_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm2";
constexpr int kWidth96 = 327;
constexpr int kHeight96 = 292;
constexpr FontStyle kLabelFont = {kFormFont.face, -15};

const ControlRow kControls[] = {
    {TForm2::IDC_LABEL1, L"STATIC", kForm2Label1, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 64, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL2, L"STATIC", kForm2Label2, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 96, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL5, L"STATIC", kForm2Label5, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 81, 126, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL3, L"STATIC", kForm2Label3, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 154, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL4, L"STATIC", kForm2Label4, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 183, 0, 0, kLabelFont},
    {TForm2::IDC_BUTTON1, L"BUTTON", kForm2Button1, BS_DEFPUSHBUTTON | WS_TABSTOP, 112, 216, 75, 25},
};

}  // namespace

TForm2::TForm2(HWND owner) {
  int dpi = WindowDpi(nullptr);
  RECT frame = CenteredWindowRect(kWidth96, kHeight96, dpi);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
  CreateWindowOf(kClassName, ToWide(kForm2Caption), style, 0, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, owner);
  if (Handle()) CreateControls(kControls);
}

void TForm2::Show() {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(GetDlgItem(Handle(), IDC_BUTTON1));
}

}  // namespace velmaro
