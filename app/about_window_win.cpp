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
    {TForm2::IDC_LABEL1, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 64, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL2, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 96, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL5, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 81, 126, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL3, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 154, 0, 0, kLabelFont},
    {TForm2::IDC_LABEL4, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 82, 183, 0, 0, kLabelFont},
    {TForm2::IDC_BUTTON1, L"BUTTON", Text::ButtonOk, BS_DEFPUSHBUTTON | WS_TABSTOP, 112, 216, 75, 25},
};

}  // namespace

TForm2::TForm2(HWND owner) {
  int dpi = WindowDpi(nullptr);
  RECT frame = CenteredWindowRect(kWidth96, kHeight96, dpi);
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME;
  const Form2Texts texts = AboutTexts();
  CreateWindowOf(kClassName, ToWide(texts.caption), style, 0, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, owner);
  if (!Handle()) return;
  CreateControls(kControls);
  SetControlText(Handle(), IDC_LABEL1, texts.label1);
  SetControlText(Handle(), IDC_LABEL2, texts.label2);
  SetControlText(Handle(), IDC_LABEL5, texts.label5);
  SetControlText(Handle(), IDC_LABEL3, texts.label3);
  SetControlText(Handle(), IDC_LABEL4, texts.label4);
  LayOutControls();
}

void TForm2::Show() {
  if (!Handle()) return;
  ShowWindow(Handle(), SW_SHOW);
  SetForegroundWindow(Handle());
  SetFocus(GetDlgItem(Handle(), IDC_BUTTON1));
}

}  // namespace velmaro
