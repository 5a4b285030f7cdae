#include "app/warning_window_win.h"

#include "base/text_win.h"
#include "platform/error_box.h"
#include "ui/controls_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm4";
constexpr int kWidth96 = 360;
constexpr int kHeight96 = 130;

// Creation order is tab order: postpone, the default, comes first.
// How long a window whose task's time has passed says so before it hides.
constexpr UINT_PTR kExpiredTimer = 1;
constexpr UINT kExpiredShowsMs = 5000;

const ControlRow kControls[] = {
    {TForm4::IDC_LABEL1, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 24, 20, 0, 0},
    {TForm4::IDC_BUTTON2, L"BUTTON", Text::ButtonPostpone, BS_DEFPUSHBUTTON | WS_TABSTOP, 132, 56, 95, 25},
    {TForm4::IDC_BUTTON3, L"BUTTON", Text::WarningSkip, BS_PUSHBUTTON | WS_TABSTOP, 240, 56, 95, 25},
    {TForm4::IDC_BUTTON1, L"BUTTON", Text::WarningRunNow, BS_PUSHBUTTON | WS_TABSTOP, 24, 56, 95, 25},
};

}  // namespace

std::int32_t ChoosePostponementUnder(HWND owner, HWND button) {
  HMENU menu = CreatePopupMenu();
  if (!menu) return 0;
  for (const PostponeChoice& choice : kPostponeChoices) {
    AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(choice.minutes), ToWide(choice.caption).c_str());
  }
  // Under the button, as a drop-down, the button itself left uncovered.
  RECT place = {};
  GetWindowRect(button, &place);
  TPMPARAMS exclude = {sizeof(TPMPARAMS), place};
  const int chosen = TrackPopupMenuEx(menu, TPM_LEFTALIGN | TPM_TOPALIGN | TPM_RETURNCMD | TPM_VERTICAL, place.left,
                                      place.bottom, owner, &exclude);
  DestroyMenu(menu);
  return chosen;
}

TForm4::TForm4(HWND owner, MainUnit& unit, ShellService& shell) : unit_(unit), shell_(shell) {
  const RECT frame = CenteredWindowRect(kWidth96, kHeight96, WindowDpi(nullptr));
  CreateWindowOf(kClassName, ToWide("Velmaro"), WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU, 0, frame.left, frame.top,
                 frame.right - frame.left, frame.bottom - frame.top, owner, WindowKind::DialogLike);
  if (!Handle()) return;
  CreateControls(kControls);
  EnableDialogKeys(Handle());
}

TForm4::~TForm4() {
  if (Handle()) DestroyWindow(Handle());
}

void TForm4::Show(const std::string& text) {
  HWND hwnd = Handle();
  if (!hwnd) return;
  KillTimer(hwnd, kExpiredTimer);
  for (int button : {IDC_BUTTON1, IDC_BUTTON2, IDC_BUTTON3}) EnableWindow(GetDlgItem(hwnd, button), TRUE);
  SetDlgItemTextW(hwnd, IDC_LABEL1, ToWide(text).c_str());
  LayOutControls();
  const RECT frame = CenteredWindowRect(kWidth96, kHeight96, Dpi());
  SetWindowPos(hwnd, HWND_TOPMOST, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd);
  SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_BUTTON2)), TRUE);
}

void TForm4::Expire(const std::string& text) {
  HWND hwnd = Handle();
  if (!hwnd || !IsWindowVisible(hwnd)) return;
  SetDlgItemTextW(hwnd, IDC_LABEL1, ToWide(text).c_str());
  for (int button : {IDC_BUTTON1, IDC_BUTTON2, IDC_BUTTON3}) EnableWindow(GetDlgItem(hwnd, button), FALSE);
  SetTimer(hwnd, kExpiredTimer, kExpiredShowsMs, nullptr);
}

void TForm4::Choose(int button) {
  HWND hwnd = Handle();
  std::int32_t minutes = 0;
  if (button == IDC_BUTTON2) {
    minutes = ChoosePostponementUnder(hwnd, GetDlgItem(hwnd, IDC_BUTTON2));
    if (minutes == 0) return;  // the window stays for another choice
  }
  ShowWindow(hwnd, SW_HIDE);
  Guarded(shell_, [&] {
    switch (button) {
      case IDC_BUTTON1: unit_.WarningRunNow(); break;
      case IDC_BUTTON2: unit_.WarningPostpone(minutes); break;
      case IDC_BUTTON3: unit_.WarningSkip(); break;
      default: break;  // Esc: nothing chosen
    }
  });
}

LRESULT TForm4::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) Choose(LOWORD(wParam));
      return 0;
    case WM_TIMER:
      if (wParam != kExpiredTimer) break;
      KillTimer(Handle(), kExpiredTimer);
      ShowWindow(Handle(), SW_HIDE);
      return 0;
    case WM_CLOSE:
      ShowWindow(Handle(), SW_HIDE);
      return 0;
    default: break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace velmaro
