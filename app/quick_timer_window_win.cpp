#include "app/quick_timer_window_win.h"

#include <optional>
#include <string>
#include <utility>

#include "base/text_win.h"
#include "dialogs/task_editor.h"
#include "platform/error_box.h"

namespace velmaro {

namespace {

constexpr wchar_t kClassName[] = L"TForm7";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU;
constexpr int kClientWidth96 = 346;
constexpr int kClientHeight96 = 184;

constexpr DWORD kLabel = SS_LEFTNOWORDWRAP;  // one line, as wide as its text, "&" underlining its key
constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr int kMinuteButtonsX96 = 154;
// Wide enough for "120" in the Traditional font at 150 %, the widest digits.
constexpr int kMinuteButtonWidth96 = 34;
constexpr int kMinuteButtonStep96 = 36;

// Captioned with its choice once created.
constexpr ControlRow MinuteButton(std::size_t i) {
  return {TForm7::IDC_BUTTON1 + static_cast<int>(i), L"BUTTON", Text::Empty, BS_PUSHBUTTON | WS_TABSTOP,
          kMinuteButtonsX96 + static_cast<int>(i) * kMinuteButtonStep96, 79, kMinuteButtonWidth96, 23};
}

// Creation order is Tab order: the two radio buttons are one group of their
// own, the arrow keys moving between them; the minutes and the time of day
// follow them, and the one-click minutes come after the fields, so that
// Tab from either radio button soon reaches the field it needs.
const ControlRow kControls[] = {
    {TForm7::IDC_LABEL1, L"STATIC", Text::QuickTimerAction, kLabel, 16, 20, 0, 0},
    // A drop-down list's height includes its list, which shows every action.
    {TForm7::IDC_COMBOBOX1, L"COMBOBOX", Text::Empty, WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 104, 16, 120, 200},
    {TForm7::IDC_LABEL2, L"STATIC", Text::QuickTimerText, kLabel, 16, 51, 0, 0},
    {TForm7::IDC_EDIT1, L"EDIT", Text::Empty, kEdit, 104, 47, 226, 21},
    {TForm7::IDC_RADIOBUTTON1, L"BUTTON", Text::QuickTimerIn, BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, 16, 81, 86, 17},
    {TForm7::IDC_RADIOBUTTON2, L"BUTTON", Text::QuickTimerAt, BS_AUTORADIOBUTTON, 16, 114, 86, 17},
    {TForm7::IDC_EDIT2, L"EDIT", Text::Empty, kEdit | WS_GROUP, 104, 79, 42, 21},
    {TForm7::IDC_EDIT3, L"EDIT", Text::Empty, kEdit, 104, 112, 28, 21},
    {TForm7::IDC_LABEL3, L"STATIC", Text::Colon, kLabel | SS_NOPREFIX, 136, 116, 0, 0},
    {TForm7::IDC_EDIT4, L"EDIT", Text::Empty, kEdit, 144, 112, 28, 21},
    MinuteButton(0), MinuteButton(1), MinuteButton(2), MinuteButton(3), MinuteButton(4),
    {TForm7::IDC_OK, L"BUTTON", Text::ButtonOk, BS_DEFPUSHBUTTON | WS_TABSTOP | WS_GROUP, 168, 148, 75, 25},
    {TForm7::IDC_CANCEL, L"BUTTON", Text::ButtonCancel, BS_PUSHBUTTON | WS_TABSTOP, 255, 148, 75, 25},
};
static_assert(kQuickTimerMinuteChoiceCount == 5, "one button per one-click choice of minutes");

using Field = QuickTimerDialog::Field;

// The edits of the number fields, with the most digits each can take.
struct NumberField {
  int id;
  Field field;
  std::string QuickTimerDialog::*text;
  int digits;
};
const NumberField kNumberFields[] = {{TForm7::IDC_EDIT2, Field::Minutes, &QuickTimerDialog::minutes, 4},
                                     {TForm7::IDC_EDIT3, Field::Hour, &QuickTimerDialog::hour, 2},
                                     {TForm7::IDC_EDIT4, Field::Minute, &QuickTimerDialog::minute, 2}};

int ControlOf(Field field) {
  for (const NumberField& number : kNumberFields) {
    if (number.field == field) return number.id;
  }
  return field == Field::Text ? TForm7::IDC_EDIT1 : TForm7::IDC_COMBOBOX1;
}

bool IsMinuteButton(int id) {
  return id >= TForm7::IDC_BUTTON1 && id < TForm7::IDC_BUTTON1 + static_cast<int>(kQuickTimerMinuteChoiceCount);
}

}  // namespace

TForm7::TForm7(HWND owner, ShellService& shell, std::function<void(const QuickTimerRequest&)> chosen)
    : shell_(shell), chosen_(std::move(chosen)) {
  const RECT frame = CenteredWindowRectForClient(kClientWidth96, kClientHeight96, kStyle, 0, WindowDpi(nullptr));
  CreateWindowOf(kClassName, ToWide(Tr(Text::QuickTimerCaption)), kStyle, 0, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, owner, WindowKind::DialogLike);
  HWND window = Handle();
  if (!window) return;
  CreateControls(kControls);
  AddClientEdge(GetDlgItem(window, IDC_EDIT1));
  for (const NumberField& number : kNumberFields) {
    HWND edit = GetDlgItem(window, number.id);
    AddClientEdge(edit);
    FilterEditInput(edit, &DigitFieldAccepts);
    SendMessageW(edit, EM_LIMITTEXT, static_cast<WPARAM>(number.digits), 0);
  }
  for (std::size_t i = 0; i < kQuickTimerMinuteChoiceCount; ++i) {
    SetControlText(window, IDC_BUTTON1 + static_cast<int>(i), std::to_string(kQuickTimerMinuteChoices[i]));
  }
  for (std::size_t i = 0; i < kQuickTimerActionCount; ++i) {
    SendDlgItemMessageW(window, IDC_COMBOBOX1, CB_ADDSTRING, 0,
                        reinterpret_cast<LPARAM>(ToWide(QuickTimerActionCaption(i)).c_str()));
  }
  EnableDialogKeys(window);
  Push();
}

TForm7::~TForm7() {
  if (Handle()) DestroyWindow(Handle());
}

void TForm7::Show(const std::string& current) {
  HWND window = Handle();
  if (!window) return;
  if (IsWindowVisible(window)) {
    // Whatever is typed so far stays; only what OK would replace is new.
    model_.current = current;
    SetWindowPos(window, HWND_TOPMOST, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
    SetForegroundWindow(window);
    return;
  }
  SYSTEMTIME local = {};
  GetLocalTime(&local);
  ClockSnapshot now;
  now.wHour = local.wHour;
  now.wMinute = local.wMinute;
  now.wSecond = local.wSecond;
  model_.Open(now, current);
  Push();
  const RECT frame = CenteredWindowRectForClient(kClientWidth96, kClientHeight96, kStyle, 0, Dpi());
  SetWindowPos(window, HWND_TOPMOST, frame.left, frame.top, frame.right - frame.left, frame.bottom - frame.top,
               SWP_SHOWWINDOW);
  SetForegroundWindow(window);
  Focus(IDC_COMBOBOX1);
}

void TForm7::Pull() {
  HWND window = Handle();
  const LRESULT item = SendDlgItemMessageW(window, IDC_COMBOBOX1, CB_GETCURSEL, 0, 0);
  model_.action = item == CB_ERR ? kQuickTimerActionCount : static_cast<std::size_t>(item);
  const std::optional<std::string> text = StorableControlText(window, IDC_EDIT1, false);
  // The edit keeps the text as typed; the model's "?" form is never handed on.
  model_.textUnstorable = !text;
  model_.text = text ? *text : ControlText(window, IDC_EDIT1);
  model_.when = IsDlgButtonChecked(window, IDC_RADIOBUTTON2) == BST_CHECKED ? QuickTimerRequest::When::At
                                                                             : QuickTimerRequest::When::In;
  for (const NumberField& number : kNumberFields) model_.*number.text = ControlText(window, number.id);
}

void TForm7::Push() {
  HWND window = Handle();
  pushing_ = true;
  if (SendDlgItemMessageW(window, IDC_COMBOBOX1, CB_GETCURSEL, 0, 0) != static_cast<LRESULT>(model_.action)) {
    SendDlgItemMessageW(window, IDC_COMBOBOX1, CB_SETCURSEL, model_.action, 0);
  }
  if (!model_.textUnstorable) SetControlText(window, IDC_EDIT1, model_.text);
  for (const NumberField& number : kNumberFields) SetControlText(window, number.id, model_.*number.text);
  for (int id : {IDC_LABEL2, IDC_EDIT1}) EnableWindow(GetDlgItem(window, id), model_.TextEnabled());
  const int checked = model_.when == QuickTimerRequest::When::At ? IDC_RADIOBUTTON2 : IDC_RADIOBUTTON1;
  if (IsDlgButtonChecked(window, checked) != BST_CHECKED) CheckRadioButton(window, IDC_RADIOBUTTON1, IDC_RADIOBUTTON2, checked);
  SyncRadioTabStops();
  pushing_ = false;
}

// Tab lands on the checked radio button: one that got the focus unchecked
// would check itself.
void TForm7::SyncRadioTabStops() {
  HWND window = Handle();
  for (int id : {IDC_RADIOBUTTON1, IDC_RADIOBUTTON2}) {
    HWND radio = GetDlgItem(window, id);
    const LONG style = GetWindowLongW(radio, GWL_STYLE);
    const LONG wanted = IsDlgButtonChecked(window, id) == BST_CHECKED ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) SetWindowLongW(radio, GWL_STYLE, wanted);
  }
}

void TForm7::Focus(int id) {
  // Through the dialog manager, which selects an edit's text and moves the
  // default button's frame.
  SendMessageW(Handle(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(GetDlgItem(Handle(), id)), TRUE);
}

void TForm7::Ok() {
  HWND window = Handle();
  Pull();
  const std::string refusal = model_.Refusal();
  if (!refusal.empty()) {
    // The box is owned by no window: on top, or it would open behind this one.
    shell_.ShowMessageBox(refusal, Tr(Text::QuickTimerNotice), kMbOk | kMbIconInformation | MB_TOPMOST);
    Focus(ControlOf(model_.RefusedField()));
    return;
  }
  const std::string question = model_.ReplaceQuestion();
  if (!question.empty() &&
      MessageBoxW(window, ToWide(question).c_str(), ToWide(Tr(Text::QuickTimerCaption)).c_str(), MB_YESNO | MB_ICONQUESTION) != IDYES) {
    return;  // the dialog stays for another choice
  }
  const std::optional<QuickTimerRequest> request = model_.Request();
  ShowWindow(window, SW_HIDE);
  Guarded(shell_, [&] {
    if (chosen_ && request) chosen_(*request);
  });
}

void TForm7::OnCommand(int id, int code) {
  if (IsMinuteButton(id) && code == BN_CLICKED) {
    Pull();
    model_.ChooseMinutes(kQuickTimerMinuteChoices[id - IDC_BUTTON1]);
    Push();
    // Enter now confirms, as from the field itself.
    Focus(IDC_EDIT2);
    return;
  }
  switch (id) {
    case IDC_COMBOBOX1:
      if (code != CBN_SELCHANGE) break;
      Pull();
      Push();
      break;
    case IDC_RADIOBUTTON1:
    case IDC_RADIOBUTTON2:
      if (code != BN_CLICKED) break;
      Pull();
      Push();
      break;
    case IDC_EDIT2:
    case IDC_EDIT3:
    case IDC_EDIT4:
      if (code != EN_CHANGE || pushing_) break;
      Pull();
      for (const NumberField& number : kNumberFields) {
        if (number.id == id) model_.Typed(number.field);
      }
      Push();
      break;
    case IDC_OK:
      if (code == BN_CLICKED) Ok();
      break;
    case IDC_CANCEL:
      if (code == BN_CLICKED) ShowWindow(Handle(), SW_HIDE);
      break;
    default: break;
  }
}

LRESULT TForm7::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case DM_GETDEFID:
      return MAKELRESULT(IDC_OK, DC_HASDEFID);
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      if (focus_.Handle(Handle(), message, wParam)) return 0;
      break;
    case WM_CLOSE:
      ShowWindow(Handle(), SW_HIDE);
      return 0;
    case WM_DESTROY:
      DisableDialogKeys(Handle());
      break;
    default: break;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace velmaro
