#include "app/form1_win.h"

#include "app/command_channel_win.h"
#include "base/text_win.h"
#include "platform/error_box.h"
#include "platform/system_library_win.h"
#include "ui/button_glyph.h"
#include "ui/controls_win.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm1";
// WM_USER + 1 is the tray icon's, WM_USER + 2 and up the dialog manager's
// (DM_REPOSITION...).
constexpr UINT kWmEvaluate = WM_APP + 1;  // EvaluateSoon
// Wider than the 413 of the two-button window by the postpone button.
constexpr int kWidth96 = 441;
constexpr int kHeight96 = 174;
constexpr int kGlyphSize96 = 16;

// Creation order is tab order: the cancel button comes first.
const ControlRow kControls[] = {
    {TForm1::IDC_LABEL1, L"STATIC", Text::CountdownPrompt, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 16, 16, 0, 0},
    {TForm1::IDC_LABEL2, L"STATIC", Text::Empty, SS_LEFTNOWORDWRAP | SS_NOPREFIX, 336, 16, 0, 0},
    {TForm1::IDC_BITBTN2, L"BUTTON", Text::CountdownCancel, BS_DEFPUSHBUTTON | WS_TABSTOP, 232, 94, 101, 25},
    {TForm1::IDC_BITBTN1, L"BUTTON", Text::CountdownNow, BS_PUSHBUTTON | WS_TABSTOP, 64, 94, 105, 25},
    {TForm1::IDC_PGBAR1, PROGRESS_CLASSW, Text::Empty, 0, 8, 56, 385, 17},
    {TForm1::IDC_BITBTN3, L"BUTTON", Text::ButtonPostpone, BS_PUSHBUTTON | WS_TABSTOP, 344, 94, 73, 25},
};

constexpr std::uint32_t kTimerIntervals[6] = {0, kTimer1Interval, kTimer2Interval, kTimer3Interval, kTimer4Interval,
                                              kTimer5Interval};
static_assert(sizeof kTimerIntervals / sizeof kTimerIntervals[0] == static_cast<unsigned>(TimerId::Timer5) + 1,
              "an interval for each timer, indexed by its id");

int ControlOf(CountdownText which) {
  switch (which) {
    case CountdownText::BitBtn1: return TForm1::IDC_BITBTN1;
    case CountdownText::BitBtn2: return TForm1::IDC_BITBTN2;
    case CountdownText::Label1: return TForm1::IDC_LABEL1;
    case CountdownText::Label2: return TForm1::IDC_LABEL2;
    case CountdownText::Caption: break;
  }
  return 0;
}

// An image list for a button of the states normal, hot, pressed, disabled,
// default and stylus-hot; only the disabled one differs.
HIMAGELIST GlyphImageList(ButtonGlyph glyph, int size) {
  const CommonControlsCalls& lists = CommonControls();
  if (!lists.ImageList_Create || !lists.ImageList_Add) return nullptr;
  HIMAGELIST list = lists.ImageList_Create(size, size, ILC_COLOR32, 6, 0);
  if (!list) return nullptr;
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = size;
  info.bmiHeader.biHeight = -size;  // top-down, as the pixels are drawn
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  HBITMAP images[2] = {};
  for (int greyed = 0; greyed < 2; ++greyed) {
    void* bits = nullptr;
    images[greyed] = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (!images[greyed]) continue;
    const std::vector<std::uint32_t> pixels = DrawButtonGlyph(glyph, size, greyed != 0);
    memcpy(bits, pixels.data(), pixels.size() * sizeof pixels[0]);
  }
  for (int state = 0; state < 6; ++state) lists.ImageList_Add(list, images[state == 3 ? 1 : 0], nullptr);
  for (HBITMAP image : images) {
    if (image) DeleteObject(image);
  }
  return list;
}

}  // namespace

TForm1::~TForm1() {
  for (HIMAGELIST list : glyphs_) {
    if (list && CommonControls().ImageList_Destroy) CommonControls().ImageList_Destroy(list);
  }
}

bool TForm1::Create() {
  const RECT rect = CenteredWindowRect(kWidth96, kHeight96, WindowDpi(nullptr));
  if (!CreateWindowOf(kClassName, ToWide("正在关闭 Windows..."),
                      WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_THICKFRAME, 0, rect.left,
                      rect.top, rect.right - rect.left, rect.bottom - rect.top, application_.Handle(),
                      WindowKind::DialogLike)) {
    return false;
  }
  application_.SetMainForm(BaseWindow::Handle());
  unit_.FormCreate();
  // Commands are taken once start-up is done, never by a half-made copy.
  OpenCommandChannel(BaseWindow::Handle());
  return true;
}

void TForm1::EnsureControls() {
  // The countdown's controls come with the first countdown: most runs of the
  // program never show one, and in the tray alone it needs no control at all.
  if (HasControls()) return;
  HWND hwnd = BaseWindow::Handle();
  CreateControls(kControls);
  SendDlgItemMessageW(hwnd, IDC_PGBAR1, PBM_SETRANGE32, 0, progressMax_);
  // Straight to the dialog manager: DM_SETDEFID shares its number with the
  // tray icon's callback message, which the window's own handler takes.
  DefDlgProcW(hwnd, DM_SETDEFID, IDC_BITBTN2, 0);
  EnableDialogKeys(hwnd);
}

void TForm1::LayOut() {
  BaseWindow::LayOut();
  const ButtonGlyph glyphs[2] = {ButtonGlyph::Check, ButtonGlyph::Cross};
  const int buttons[2] = {IDC_BITBTN1, IDC_BITBTN2};
  for (int i = 0; i < 2; ++i) {
    HIMAGELIST old = glyphs_[i];
    glyphs_[i] = GlyphImageList(glyphs[i], ScaleForDpi(kGlyphSize96, Dpi()));
    BUTTON_IMAGELIST image = {glyphs_[i], {ScaleForDpi(4, Dpi()), 0, 0, 0}, BUTTON_IMAGELIST_ALIGN_LEFT};
    SendDlgItemMessageW(BaseWindow::Handle(), buttons[i], BCM_SETIMAGELIST, 0, reinterpret_cast<LPARAM>(&image));
    if (old && CommonControls().ImageList_Destroy) CommonControls().ImageList_Destroy(old);
  }
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
  progressMax_ = maximum;
  if (HasControls()) SendDlgItemMessageW(BaseWindow::Handle(), IDC_PGBAR1, PBM_SETRANGE32, 0, maximum);
}

void TForm1::SetProgress(std::int32_t position) {
  EnsureControls();
  SendDlgItemMessageW(BaseWindow::Handle(), IDC_PGBAR1, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

void TForm1::MakeTopmost() {
  SetWindowPos(BaseWindow::Handle(), HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
}

void TForm1::EvaluateSoon() { PostMessageW(BaseWindow::Handle(), kWmEvaluate, 0, 0); }

void TForm1::Close() { SendMessageW(BaseWindow::Handle(), WM_CLOSE, 0, 0); }

std::int32_t TForm1::ChoosePostponement() {
  return ChoosePostponementUnder(BaseWindow::Handle(), GetDlgItem(BaseWindow::Handle(), IDC_BITBTN3));
}

void TForm1::ShowWarning(const std::string& text) {
  if (!warning_) warning_ = std::make_unique<TForm4>(application_.Handle(), unit_, shell_);
  warning_->Show(text);
}

void TForm1::ExpireWarning(const std::string& text) {
  if (warning_) warning_->Expire(text);
}

void TForm1::ShowQuickTimer(const std::string& current) {
  if (!quickTimer_) {
    quickTimer_ = std::make_unique<TForm7>(application_.Handle(), shell_, [this](const QuickTimerRequest& request) {
      Guarded(shell_, [&] { unit_.SetQuickTimer(request); });
    });
  }
  quickTimer_->Show(current);
}

void TForm1::SetCountdownText(CountdownText which, const std::string& text) {
  EnsureControls();
  HWND hwnd = BaseWindow::Handle();
  if (which == CountdownText::Caption) {
    SetWindowTextW(hwnd, ToWide(text).c_str());
    return;
  }
  SetDlgItemTextW(hwnd, ControlOf(which), ToWide(text).c_str());
  // Labels are as wide as their text.
  if (which == CountdownText::Label1 || which == CountdownText::Label2) LayOutControls();
}

void TForm1::ShowCountdown() {
  EnsureControls();
  HWND hwnd = BaseWindow::Handle();
  const RECT rect = CenteredWindowRect(kWidth96, kHeight96, Dpi());
  application_.ShowTaskbarButton();
  SetWindowPos(hwnd, HWND_TOPMOST, rect.left, rect.top, rect.right - rect.left, rect.bottom - rect.top,
               SWP_SHOWWINDOW);
  SetForegroundWindow(hwnd);
  // Every countdown opens on cancel, focused and default, wherever the last
  // one left the focus: Enter or Space must never power off by surprise.
  SendMessageW(hwnd, DM_SETDEFID, IDC_BITBTN2, 0);
  SendMessageW(hwnd, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(hwnd, IDC_BITBTN2)), TRUE);
}

void TForm1::HideCountdown() {
  ShowWindow(BaseWindow::Handle(), SW_HIDE);
  application_.HideTaskbarButton();
}

// A menu command and a click of a countdown button come as one message.
static_assert(!IsMenuId(IDCANCEL) && !IsMenuId(TForm1::IDC_BITBTN1) && !IsMenuId(TForm1::IDC_BITBTN2) &&
                  !IsMenuId(TForm1::IDC_BITBTN3),
              "a menu id that a countdown button has too would run the button");

void TForm1::OnCommand(WPARAM wParam) {
  const UINT id = LOWORD(wParam);
  if (HIWORD(wParam) != BN_CLICKED) return;  // menu commands and clicks both come as 0
  Guarded(shell_, [&] {
    if (id == IDC_BITBTN1) {
      unit_.BitBtn1Click();
    } else if (id == IDC_BITBTN2 || id == IDCANCEL) {  // Esc comes as IDCANCEL
      unit_.BitBtn2Click();
    } else if (id == IDC_BITBTN3) {
      unit_.BitBtn3Click();
    } else {
      unit_.MenuCommand(static_cast<MenuItem>(id));
    }
  });
}

void TForm1::OnTimer(unsigned id) {
  // The handler of each timer, by its id.
  static void (MainUnit::*const kHandlers[])() = {nullptr, &MainUnit::Timer1Timer, &MainUnit::Timer2Timer,
                                                  &MainUnit::Timer3Timer, &MainUnit::Timer4Timer,
                                                  &MainUnit::Timer5Timer};
  static_assert(sizeof kHandlers / sizeof kHandlers[0] == sizeof kTimerIntervals / sizeof kTimerIntervals[0],
                "a handler for each timer");
  if (unit_.Closed() || id == 0 || id >= sizeof kHandlers / sizeof kHandlers[0]) return;
  Guarded(shell_, [&] { (unit_.*kHandlers[id])(); });
}

void TForm1::OnPowerBroadcast(WPARAM event) {
  if (unit_.Closed()) return;
  Guarded(shell_, [&] {
    switch (event) {
      case PBT_APMSUSPEND: unit_.Suspending(); break;
      case PBT_APMRESUMESUSPEND:
      case PBT_APMRESUMECRITICAL:
      case PBT_APMRESUMEAUTOMATIC: unit_.Resumed(); break;
      default: break;
    }
  });
}

CommandHost& TForm1::Host() { return unit_; }

LRESULT TForm1::OnCopyData(WPARAM wParam, LPARAM lParam) {
  if (unit_.Closed()) return 0;
  HostedCommands commands(CommandServices{registry_, clock_, textFiles_, codec_}, Host());
  return ReceiveCommand(BaseWindow::Handle(), wParam, lParam, commands);
}

LRESULT TForm1::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  if (tray_.HandleMessage(BaseWindow::Handle(), message, wParam, lParam)) return 0;
  switch (message) {
    case WM_COMMAND:
      OnCommand(wParam);
      return 0;
    case WM_TIMER:
      OnTimer(static_cast<unsigned>(wParam));
      return 0;
    case kWmEvaluate:
      OnTimer(static_cast<unsigned>(TimerId::Timer1));
      return 0;
    case WM_TIMECHANGE:
      if (!unit_.Closed()) unit_.TimeChanged();
      return 0;
    case WM_POWERBROADCAST:
      OnPowerBroadcast(wParam);
      return TRUE;
    case WM_COPYDATA:
      return OnCopyData(wParam, lParam);
    case WM_SYSCOMMAND:
      // The minimise box hides the countdown behind the application's
      // taskbar button, from where it comes back.
      if ((wParam & 0xFFF0) == SC_MINIMIZE) {
        ShowWindow(application_.Handle(), SW_MINIMIZE);
        return 0;
      }
      break;
    case WM_CLOSE:
      // The close box, Alt+F4 and the system menu end the program; a
      // pending action does not run.
      unit_.FormClose();
      DestroyWindow(BaseWindow::Handle());
      return 0;
    case WM_DESTROY:
      CloseCommandChannel(BaseWindow::Handle());
      PostQuitMessage(0);
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace velmaro
