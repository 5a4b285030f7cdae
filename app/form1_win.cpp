#include "app/form1_win.h"

#include <commctrl.h>

#include "platform/controls_win.h"
#include "platform/error_box.h"
#include "platform/text_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
constexpr UINT kWmTrayIcon = WM_USER + 1;
#ifndef WM_DPICHANGED
constexpr UINT WM_DPICHANGED = 0x02E0;
#endif

enum ControlId { IDC_LABEL1 = 1001, IDC_LABEL2, IDC_PGBAR1, IDC_BITBTN1, IDC_BITBTN2 };

const ControlSpec kControls[] = {
    {IDC_LABEL1, L"STATIC", "要想取消关机，请按下<取消关机>按钮:剩余", SS_LEFT | SS_NOPREFIX, 16, 16, 0, 0},
    {IDC_LABEL2, L"STATIC", "", SS_LEFT | SS_NOPREFIX, 336, 16, 0, 0},
    {IDC_PGBAR1, PROGRESS_CLASSW, "", 0, 8, 56, 385, 17},
    {IDC_BITBTN1, L"BUTTON", "立即关机", BS_PUSHBUTTON | WS_TABSTOP, 64, 94, 105, 25},
    {IDC_BITBTN2, L"BUTTON", "取消关机", BS_DEFPUSHBUTTON | WS_TABSTOP, 232, 94, 101, 25},
};

constexpr std::uint32_t kTimerIntervals[4] = {0, kTimer1Interval, kTimer2Interval, kTimer3Interval};

// Handles what is waiting in the queue, as a modal step would, keeping a
// quit request for the main loop.
void ProcessMessages() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(msg.wParam));
      return;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

}  // namespace

TForm1::~TForm1() {
  if (PopupMenu1) DestroyMenu(PopupMenu1);
  if (font_) DeleteObject(font_);
}

bool TForm1::Create() {
  dpi_ = WindowDpi(nullptr);
  const RECT rect = CenteredWindowRect(413, 174, dpi_);
  if (!CreateWindowOf(kClassName, ToWide("正在关闭 Windows..."),
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME, 0, rect.left,
                      rect.top, rect.right - rect.left, rect.bottom - rect.top, nullptr)) {
    return false;
  }
  unit_.FormCreate();
  return true;
}

void TForm1::OnCreate() {
  HWND hwnd = BaseWindow::Handle();
  dpi_ = WindowDpi(hwnd);
  font_ = CreateScaledFont(L"宋体", -13, dpi_);
  CreateControls(hwnd, kControls, dpi_, font_);
  SendDlgItemMessageW(hwnd, IDC_PGBAR1, PBM_SETRANGE32, 0, 100);

  PopupMenu1 = CreatePopupMenu();
  for (std::size_t i = 0; i < MainUnit::kPopupMenuSize; ++i) {
    const MenuEntry& entry = MainUnit::kPopupMenu[i];
    if (entry.item == MenuItem::Separator) {
      AppendMenuW(PopupMenu1, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(PopupMenu1, MF_STRING, static_cast<UINT_PTR>(entry.item), ToWide(entry.caption).c_str());
    }
  }

  // The evaluation and countdown timers run from the moment the window
  // exists; start-up switches the countdown timer off again.
  SetTimer(TimerId::Timer1, true);
  SetTimer(TimerId::Timer2, true);
}

void TForm1::SetTimer(TimerId timer, bool enabled) {
  const auto id = static_cast<unsigned>(timer);
  if (timerOn_[id] == enabled) return;  // like a timer component: no restart when already on
  timerOn_[id] = enabled;
  if (enabled) {
    ::SetTimer(BaseWindow::Handle(), id, kTimerIntervals[id], nullptr);
  } else {
    KillTimer(BaseWindow::Handle(), id);
  }
}

void TForm1::SetProgressMax(std::int32_t maximum) {
  SendDlgItemMessageW(BaseWindow::Handle(), IDC_PGBAR1, PBM_SETRANGE32, 0, maximum);
}

void TForm1::SetMenuCaption(MenuItem item, const std::string& caption) {
  const std::wstring text = ToWide(caption);
  MENUITEMINFOW info = {};
  info.cbSize = sizeof info;
  info.fMask = MIIM_TYPE;
  info.fType = MFT_STRING;
  info.dwTypeData = const_cast<wchar_t*>(text.c_str());
  SetMenuItemInfoW(PopupMenu1, static_cast<UINT>(item), FALSE, &info);
}

void TForm1::MakeTopmost() {
  SetWindowPos(BaseWindow::Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm1::Close() { SendMessageW(BaseWindow::Handle(), WM_CLOSE, 0, 0); }

void TForm1::OnTrayIcon(LPARAM mouseMessage) {
  if (mouseMessage != WM_LBUTTONDOWN && mouseMessage != WM_RBUTTONDOWN) return;
  HWND hwnd = BaseWindow::Handle();
  SetForegroundWindow(hwnd);
  POINT cursor = {};
  GetCursorPos(&cursor);
  ProcessMessages();
  if (unit_.Closed()) return;
  TrackPopupMenu(PopupMenu1, TPM_LEFTALIGN | TPM_RIGHTBUTTON, cursor.x, cursor.y, 0, hwnd, nullptr);
  // Lets the menu close properly when the user clicks elsewhere.
  PostMessageW(hwnd, WM_NULL, 0, 0);
}

void TForm1::OnTimer(unsigned id) {
  if (unit_.Closed()) return;
  Guarded(shell_, [&] {
    switch (static_cast<TimerId>(id)) {
      case TimerId::Timer1:
        unit_.Timer1Timer();
        break;
      case TimerId::Timer2:
        unit_.Timer2Timer();
        break;
      case TimerId::Timer3:
        unit_.Timer3Timer();
        break;
    }
  });
}

void TForm1::ApplyDpi(int dpi) {
  dpi_ = dpi;
  HFONT old = font_;
  font_ = CreateScaledFont(L"宋体", -13, dpi_);
  HWND hwnd = BaseWindow::Handle();
  for (const ControlSpec& entry : kControls) {
    SendDlgItemMessageW(hwnd, entry.id, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
  }
  LayoutControls(hwnd, kControls, dpi_);
  if (old) DeleteObject(old);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_CREATE:
      OnCreate();
      return 0;
    case kWmTrayIcon:
      OnTrayIcon(lParam);
      return 0;
    case WM_COMMAND:
      if (HIWORD(wParam) == 0 && lParam == 0) unit_.MenuCommand(static_cast<MenuItem>(LOWORD(wParam)));
      return 0;
    case WM_TIMER:
      OnTimer(static_cast<unsigned>(wParam));
      return 0;
    case WM_DPICHANGED: {
      ApplyDpi(HIWORD(wParam));
      const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
      SetWindowPos(BaseWindow::Handle(), nullptr, suggested->left, suggested->top, suggested->right - suggested->left,
                   suggested->bottom - suggested->top, SWP_NOZORDER | SWP_NOACTIVATE);
      return 0;
    }
    case WM_CLOSE:
      unit_.FormClose();
      DestroyWindow(BaseWindow::Handle());
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      if (message != 0 && message == unit_.TaskbarCreatedMsg) {
        unit_.TaskbarCreated();
        return 0;
      }
      return DefaultProc(message, wParam, lParam);
  }
}

}  // namespace velmaro
