#include "dialogs/task_editor_win.h"

#include <commctrl.h>

#include <optional>
#include <string>

#include "actions/action_table.h"
#include "base/text_win.h"
#include "dialogs/control_ids.h"
#include "dialogs/dialogs.h"
#include "ui/controls_win.h"

namespace velmaro {

using namespace form5;

namespace {

constexpr wchar_t kClassName[] = L"TForm5";
constexpr DWORD kStyle = WS_OVERLAPPEDWINDOW;
// A drop-down combo box's height includes its list; the box itself takes
// its height (21 at 96 dpi) from the font.
constexpr int kDropDown96 = 180;

constexpr DWORD kEdit = WS_TABSTOP | ES_AUTOHSCROLL;
constexpr DWORD kCombo = WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWN | CBS_AUTOHSCROLL;
constexpr DWORD kTime = WS_TABSTOP | DTS_TIMEFORMAT;
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;  // one line, as wide as its text
// The three condition kinds' rows below the seven, the network's and the
// processor's each with a line of what they do now: the action fields and
// the buttons move down by as much, and the window grows by it.
constexpr int kConditionRows96 = 104;
constexpr UINT_PTR kReadingsTimer = 1;

// One radio button per kind, in the kinds' order, the ids running up to the
// control after them.
constexpr int kKindCount = static_cast<int>(kTriggerKindCount);
static_assert(IDC_RADIOBUTTON1 + kKindCount == IDC_EDIT1, "one radio button id per trigger kind");
constexpr int RadioId(TriggerKind kind) { return IDC_RADIOBUTTON1 + static_cast<int>(kind); }
constexpr bool IsRadio(int id) { return id >= IDC_RADIOBUTTON1 && id < IDC_RADIOBUTTON1 + kKindCount; }

// Captioned with the kind's leading word; the first starts the group.
constexpr Text KindCaption(TriggerKind kind) {
  constexpr Text kCaptions[] = {Text::KindIdle,   Text::KindOnce,         Text::KindDaily,          Text::KindWeekly,
                                Text::KindMonthly, Text::KindYearly,      Text::KindBoot,           Text::KindNetworkQuiet,
                                Text::KindProcessorQuiet, Text::KindProgramEnded};
  static_assert(sizeof kCaptions / sizeof kCaptions[0] == kKindCount, "a caption for every trigger kind");
  return kCaptions[static_cast<std::size_t>(kind)];
}
constexpr ControlRow Radio(TriggerKind kind, int y96, int w96) {
  const DWORD group = kind == KindAt(0) ? WS_GROUP | WS_TABSTOP : 0;
  return {RadioId(kind), L"BUTTON", KindCaption(kind), BS_AUTORADIOBUTTON | group, 32, y96, w96, 17};
}

// The radio buttons come first so that they form one group on their own.
constexpr ControlRow kControls[] = {
    Radio(TriggerKind::Idle, 14, 48),
    Radio(TriggerKind::Once, 36, 57),
    Radio(TriggerKind::Daily, 59, 49),
    Radio(TriggerKind::Weekly, 84, 49),
    Radio(TriggerKind::Monthly, 108, 49),
    Radio(TriggerKind::Yearly, 133, 49),
    Radio(TriggerKind::Boot, 160, 73),
    Radio(TriggerKind::NetworkQuiet, 186, 84),
    Radio(TriggerKind::ProcessorQuiet, 226, 92),
    Radio(TriggerKind::ProgramEnded, 266, 84),
    {IDC_EDIT1, L"EDIT", Text::Empty, kEdit | WS_GROUP, 88, 10, 73, 21},
    {IDC_LABEL1, L"STATIC", Text::EditorMinutes, kLabel, 166, 14, 0, 0},
    {IDC_DATETIMEPICKER1, DATETIMEPICK_CLASSW, Text::Empty, WS_TABSTOP | DTS_SHORTDATEFORMAT, 88, 34, 105, 21},
    {IDC_DATETIMEPICKER2, DATETIMEPICK_CLASSW, Text::Empty, kTime, 200, 34, 81, 21},
    {IDC_DATETIMEPICKER3, DATETIMEPICK_CLASSW, Text::Empty, kTime, 88, 58, 105, 21},
    {IDC_COMBOBOX1, L"COMBOBOX", Text::Empty, kCombo, 88, 82, 73, kDropDown96},
    {IDC_DATETIMEPICKER4, DATETIMEPICK_CLASSW, Text::Empty, kTime, 184, 82, 81, 21},
    {IDC_COMBOBOX2, L"COMBOBOX", Text::Empty, kCombo, 88, 106, 73, kDropDown96},
    {IDC_LABEL2, L"STATIC", Text::EditorDay, kLabel, 165, 111, 0, 0},
    {IDC_DATETIMEPICKER5, DATETIMEPICK_CLASSW, Text::Empty, kTime, 184, 106, 81, 21},
    {IDC_COMBOBOX3, L"COMBOBOX", Text::Empty, kCombo, 88, 130, 73, kDropDown96},
    {IDC_LABEL3, L"STATIC", Text::EditorMonth, kLabel, 166, 136, 0, 0},
    {IDC_COMBOBOX4, L"COMBOBOX", Text::Empty, kCombo, 184, 130, 81, kDropDown96},
    {IDC_LABEL4, L"STATIC", Text::EditorDay, kLabel, 272, 132, 0, 0},
    {IDC_DATETIMEPICKER6, DATETIMEPICK_CLASSW, Text::Empty, kTime, 293, 131, 84, 21},
    {IDC_EDIT3, L"EDIT", Text::Empty, kEdit, 87, 158, 51, 21},
    {IDC_LABEL7, L"STATIC", Text::EditorHour, kLabel, 146, 161, 0, 0},
    {IDC_EDIT4, L"EDIT", Text::Empty, kEdit, 166, 158, 45, 21},
    {IDC_LABEL8, L"STATIC", Text::EditorMinute, kLabel, 219, 164, 0, 0},
    {IDC_LABEL9, L"STATIC", Text::Empty, kLabel, 264, 163, 0, 0},
    // The condition kinds' rows; what follows them is kConditionRows96 lower.
    {IDC_EDIT5, L"EDIT", Text::Empty, kEdit, 128, 184, 45, 21},
    {IDC_LABEL10, L"STATIC", Text::EditorNetworkBelow, kLabel, 178, 188, 0, 0},
    {IDC_EDIT6, L"EDIT", Text::Empty, kEdit, 300, 184, 60, 21},
    {IDC_LABEL11, L"STATIC", Text::EditorKbPerSecond, kLabel, 365, 188, 0, 0},
    {IDC_LABEL14, L"STATIC", Text::Empty, kLabel, 128, 208, 0, 0},
    {IDC_EDIT7, L"EDIT", Text::Empty, kEdit, 128, 224, 45, 21},
    {IDC_LABEL12, L"STATIC", Text::EditorProcessorBelow, kLabel, 178, 228, 0, 0},
    {IDC_EDIT8, L"EDIT", Text::Empty, kEdit, 274, 224, 45, 21},
    {IDC_LABEL13, L"STATIC", Text::EditorPercent, kLabel, 324, 228, 0, 0},
    {IDC_LABEL15, L"STATIC", Text::Empty, kLabel, 128, 248, 0, 0},
    {IDC_COMBOBOX7, L"COMBOBOX", Text::Empty, kCombo, 128, 264, 190, kDropDown96},
    {IDC_LABEL5, L"STATIC", Text::EditorAction, kLabel, 24, 192 + kConditionRows96, 0, 0},
    {IDC_COMBOBOX5, L"COMBOBOX", Text::Empty, kCombo, 88, 190 + kConditionRows96, 121, kDropDown96 + 60},
    {IDC_LABEL6, L"STATIC", Text::Empty, kLabel, 24, 232 + kConditionRows96, 0, 0},
    {IDC_COMBOBOX6, L"COMBOBOX", Text::Empty, kCombo, 87, 229 + kConditionRows96, 225, kDropDown96},
    {IDC_BUTTON1, L"BUTTON", Text::EditorBrowse, BS_PUSHBUTTON | WS_TABSTOP, 327, 228 + kConditionRows96, 57, 25},
    // Beside the action, but after the argument in the Tab order.
    {IDC_CHECKBOX1, L"BUTTON", Text::EditorWake, BS_AUTOCHECKBOX | WS_TABSTOP, 224, 188 + kConditionRows96, 130, 17},
    {IDC_CHECKBOX2, L"BUTTON", Text::EditorCatchUp, BS_AUTOCHECKBOX | WS_TABSTOP, 224, 208 + kConditionRows96, 130, 17},
    {IDC_BUTTON2, L"BUTTON", Text::ButtonOk, BS_PUSHBUTTON | WS_TABSTOP, 96, 264 + kConditionRows96, 75, 25},
    {IDC_BUTTON3, L"BUTTON", Text::ButtonCancel, BS_PUSHBUTTON | WS_TABSTOP, 256, 264 + kConditionRows96, 75, 25},
};

constexpr bool EveryKindHasItsRadio() {
  for (std::size_t i = 0; i < kTriggerKindCount; ++i) {
    if (kControls[i].id != RadioId(KindAt(i))) return false;
  }
  return true;
}
static_assert(EveryKindHasItsRadio(), "the table starts with one radio button per trigger kind, in order");

struct TimePicker {
  int id;
  TimeOfDay TaskEditor::*time;
};
const TimePicker kTimePickers[] = {{IDC_DATETIMEPICKER2, &TaskEditor::DateTimePicker2},
                                   {IDC_DATETIMEPICKER3, &TaskEditor::DateTimePicker3},
                                   {IDC_DATETIMEPICKER4, &TaskEditor::DateTimePicker4},
                                   {IDC_DATETIMEPICKER5, &TaskEditor::DateTimePicker5},
                                   {IDC_DATETIMEPICKER6, &TaskEditor::DateTimePicker6}};

struct TextControl {
  int id;
  std::string TaskEditor::*text;
};
const TextControl kTexts[] = {{IDC_EDIT1, &TaskEditor::Edit1},         {IDC_EDIT3, &TaskEditor::Edit3},
                              {IDC_EDIT4, &TaskEditor::Edit4},         {IDC_COMBOBOX1, &TaskEditor::ComboBox1},
                              {IDC_COMBOBOX2, &TaskEditor::ComboBox2}, {IDC_COMBOBOX3, &TaskEditor::ComboBox3},
                              {IDC_COMBOBOX4, &TaskEditor::ComboBox4}, {IDC_COMBOBOX5, &TaskEditor::ComboBox5},
                              {IDC_COMBOBOX6, &TaskEditor::ComboBox6}, {IDC_EDIT5, &TaskEditor::Edit5},
                              {IDC_EDIT6, &TaskEditor::Edit6},         {IDC_EDIT7, &TaskEditor::Edit7},
                              {IDC_EDIT8, &TaskEditor::Edit8},         {IDC_COMBOBOX7, &TaskEditor::ComboBox7}};

void AddItems(HWND window, int id, const std::vector<std::string>& items) {
  for (const std::string& item : items) {
    SendDlgItemMessageW(window, id, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(item).c_str()));
  }
}

std::vector<std::string> Numbers(int last) {
  std::vector<std::string> numbers;
  for (int n = 1; n <= last; ++n) numbers.push_back(std::to_string(n));
  return numbers;
}

SYSTEMTIME PickerTime(const CalendarDate& date, const TimeOfDay& time) {
  SYSTEMTIME value = {};
  value.wYear = static_cast<WORD>(date.year);
  value.wMonth = static_cast<WORD>(date.month);
  value.wDay = static_cast<WORD>(date.day);
  value.wHour = static_cast<WORD>(time.hour);
  value.wMinute = static_cast<WORD>(time.minute);
  value.wSecond = static_cast<WORD>(time.second);
  return value;
}

SYSTEMTIME ReadPicker(HWND window, int id) {
  SYSTEMTIME value = PickerTime(CalendarDate{2009, 1, 19}, TimeOfDay{});
  SendDlgItemMessageW(window, id, DTM_GETSYSTEMTIME, 0, reinterpret_cast<LPARAM>(&value));
  return value;
}

void WritePicker(HWND window, int id, const SYSTEMTIME& value) {
  SYSTEMTIME shown = ReadPicker(window, id);
  if (shown.wYear == value.wYear && shown.wMonth == value.wMonth && shown.wDay == value.wDay &&
      shown.wHour == value.wHour && shown.wMinute == value.wMinute && shown.wSecond == value.wSecond) {
    return;
  }
  SendDlgItemMessageW(window, id, DTM_SETSYSTEMTIME, GDT_VALID, reinterpret_cast<LPARAM>(&value));
}

HWND ComboEdit(HWND combo) { return FindWindowExW(combo, nullptr, L"EDIT", nullptr); }

}  // namespace

TForm5::TForm5(TaskEditor& model) : model_(model) {
  int dpi = WindowDpi(nullptr);
  const RECT frame = CenteredWindowRect(438, 335 + kConditionRows96, dpi);
  CreateWindowOf(kClassName, ToWide("任务"), kStyle, 0, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, nullptr, WindowKind::DialogLike);
  HWND window = BaseWindow::Handle();
  if (!window) return;
  CreateControls(kControls);
  for (int id : {IDC_EDIT1, IDC_EDIT3, IDC_EDIT4, IDC_EDIT5, IDC_EDIT6, IDC_EDIT7, IDC_EDIT8}) {
    HWND edit = GetDlgItem(window, id);
    AddClientEdge(edit);
    FilterEditInput(edit, &DigitFieldAccepts);
  }
  for (const TimePicker& picker : kTimePickers) {
    SendDlgItemMessageW(window, picker.id, DTM_SETFORMATW, 0, reinterpret_cast<LPARAM>(L"HH:mm:ss"));
  }
  AddItems(window, IDC_COMBOBOX1, Numbers(7));
  AddItems(window, IDC_COMBOBOX2, Numbers(31));
  AddItems(window, IDC_COMBOBOX3, Numbers(12));
  AddItems(window, IDC_COMBOBOX4, Numbers(31));
  std::vector<std::string> actions;
  for (std::size_t i = 0; i < kActionCount; ++i) actions.push_back(kActionTable[i].name);
  AddItems(window, IDC_COMBOBOX5, actions);
  tooltip_ = CreateTooltip(window);
  SetTooltip(tooltip_, GetDlgItem(window, IDC_EDIT1), kIdleMinutesHint);
  EnableDialogKeys(window);
  Push();
}

TForm5::~TForm5() {
  if (BaseWindow::Handle()) DestroyWindow(BaseWindow::Handle());
}

void TForm5::Refresh() { Push(); }

void TForm5::Pull() {
  HWND window = BaseWindow::Handle();
  model_.checked.reset();
  for (std::size_t i = 0; i < kTriggerKindCount; ++i) {
    if (IsDlgButtonChecked(window, RadioId(KindAt(i))) == BST_CHECKED) model_.checked = KindAt(i);
  }
  model_.unstorable.clear();
  model_.ComboBox5 = ControlText(window, IDC_COMBOBOX5);  // says whether the argument is a path
  for (const TextControl& control : kTexts) {
    const bool isPath = control.text == &TaskEditor::ComboBox6 && model_.ArgumentIsPath();
    if (std::optional<std::string> text = StorableControlText(window, control.id, isPath)) {
      model_.*control.text = *text;
    } else {
      // The control keeps the text as typed; the model's "?" form is never stored.
      model_.*control.text = ControlText(window, control.id);
      model_.unstorable.push_back(control.text);
    }
  }
  model_.CheckBox1 = IsDlgButtonChecked(window, IDC_CHECKBOX1) == BST_CHECKED;
  model_.CheckBox2 = IsDlgButtonChecked(window, IDC_CHECKBOX2) == BST_CHECKED;
  const SYSTEMTIME date = ReadPicker(window, IDC_DATETIMEPICKER1);
  model_.DateTimePicker1 = CalendarDate{date.wYear, date.wMonth, date.wDay};
  for (const TimePicker& picker : kTimePickers) {
    const SYSTEMTIME time = ReadPicker(window, picker.id);
    model_.*picker.time = TimeOfDay{time.wHour, time.wMinute, time.wSecond};
  }
}

void TForm5::Push() {
  HWND window = BaseWindow::Handle();
  if (!window) return;
  for (std::size_t i = 0; i < kTriggerKindCount; ++i) {
    const int id = RadioId(KindAt(i));
    const UINT state = model_.checked == KindAt(i) ? BST_CHECKED : BST_UNCHECKED;
    if (IsDlgButtonChecked(window, id) != state) CheckDlgButton(window, id, state);
  }
  SyncRadioTabStops();
  // The focus given when the window opened stays on the first kind while
  // Modify checks another one: it belongs on the checked one.
  HWND focus = GetFocus();
  if (model_.checked && focus && GetParent(focus) == window && IsRadio(GetDlgCtrlID(focus)) &&
      IsDlgButtonChecked(window, GetDlgCtrlID(focus)) != BST_CHECKED) {
    FocusKeepingChecks(GetDlgItem(window, RadioId(*model_.checked)));
  }
  if (model_.ComboBox7Items != shownPrograms_) {
    // The list goes and comes with the box's text kept, as for ComboBox6.
    SendDlgItemMessageW(window, IDC_COMBOBOX7, CB_RESETCONTENT, 0, 0);
    AddItems(window, IDC_COMBOBOX7, model_.ComboBox7Items);
    shownPrograms_ = model_.ComboBox7Items;
  }
  if (model_.ComboBox6Items != shownItems_) {
    // Emptying the list empties the box's text too; the text is put back below.
    SendDlgItemMessageW(window, IDC_COMBOBOX6, CB_RESETCONTENT, 0, 0);
    AddItems(window, IDC_COMBOBOX6, model_.ComboBox6Items);
    shownItems_ = model_.ComboBox6Items;
  }
  for (const TextControl& control : kTexts) SetControlText(window, control.id, model_.*control.text);
  WritePicker(window, IDC_DATETIMEPICKER1, PickerTime(model_.DateTimePicker1, TimeOfDay{}));
  for (const TimePicker& picker : kTimePickers) {
    WritePicker(window, picker.id, PickerTime(CalendarDate{2009, 1, 19}, model_.*picker.time));
  }
  CheckDlgButton(window, IDC_CHECKBOX1, model_.CheckBox1 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window, IDC_CHECKBOX2, model_.CheckBox2 ? BST_CHECKED : BST_UNCHECKED);
  EnableWindow(GetDlgItem(window, IDC_CHECKBOX1), model_.CheckBox1Enabled());
  EnableWindow(GetDlgItem(window, IDC_CHECKBOX2), model_.CheckBox2Enabled());
  SetControlText(window, IDC_LABEL6, model_.Label6);
  SetControlText(window, IDC_LABEL9, model_.Label9);
  // The readings are taken only while the editor shows: a closed editor
  // lives on hidden until the program ends.
  if (model_.visible != reading_) {
    reading_ = model_.visible;
    if (reading_) {
      model_.StartReadings();
      SetTimer(window, kReadingsTimer, kReadingsMs, nullptr);
    } else {
      KillTimer(window, kReadingsTimer);
    }
  }
  SetControlText(window, IDC_LABEL14, model_.Label14);
  SetControlText(window, IDC_LABEL15, model_.Label15);
  LayOutControls();  // the labels grow with their texts
  if (model_.ComboBox6Hint != shownHint_ || !tooltip_) {
    HWND combo = GetDlgItem(window, IDC_COMBOBOX6);
    SetTooltip(tooltip_, combo, model_.ComboBox6Hint);
    if (HWND edit = ComboEdit(combo)) SetTooltip(tooltip_, edit, model_.ComboBox6Hint);
    shownHint_ = model_.ComboBox6Hint;
  }
  SetWindowShown(window, model_.visible);
}

void TForm5::SyncRadioTabStops() {
  HWND window = BaseWindow::Handle();
  int stop = 0;
  for (int i = 0; i < kKindCount; ++i) {
    if (IsDlgButtonChecked(window, IDC_RADIOBUTTON1 + i) == BST_CHECKED) stop = i;
  }
  for (int i = 0; i < kKindCount; ++i) {
    HWND radio = GetDlgItem(window, IDC_RADIOBUTTON1 + i);
    const LONG style = GetWindowLongW(radio, GWL_STYLE);
    const LONG wanted = i == stop ? (style | WS_TABSTOP) : (style & ~WS_TABSTOP);
    if (wanted != style) SetWindowLongW(radio, GWL_STYLE, wanted);
  }
}

void TForm5::Run(void (TaskEditor::*handler)()) {
  model_.Owner().Handle([&] {
    Pull();
    (model_.*handler)();
  });
  Push();
}

void TForm5::OnCommand(int id, int code) {
  switch (id) {
    case IDC_COMBOBOX5:
      if (code == CBN_EDITCHANGE) Run(&TaskEditor::ComboBox5Change);
      if (code == CBN_SELCHANGE) {
        // The box's text changes only after this notification: take the chosen item.
        model_.Owner().Handle([&] {
          Pull();
          HWND combo = GetDlgItem(BaseWindow::Handle(), IDC_COMBOBOX5);
          const LRESULT item = SendMessageW(combo, CB_GETCURSEL, 0, 0);
          if (item == CB_ERR) return;
          WideString text(static_cast<std::size_t>(SendMessageW(combo, CB_GETLBTEXTLEN, item, 0)) + 1, L'\0');
          SendMessageW(combo, CB_GETLBTEXT, item, reinterpret_cast<LPARAM>(&text[0]));
          model_.ComboBox5 = FromWide(text.c_str(), text.size() - 1);
          model_.ComboBox5Change();
        });
        Push();
      }
      break;
    case IDC_COMBOBOX7:
      if (code == CBN_DROPDOWN) Run(&TaskEditor::ComboBox7DropDown);
      break;
    case IDC_BUTTON1:
      if (code == BN_CLICKED) Run(&TaskEditor::Button1Click);
      break;
    case IDC_BUTTON2:
      if (code == BN_CLICKED) Run(&TaskEditor::Button2Click);
      break;
    case IDC_BUTTON3:
    case IDCANCEL:  // Esc
      if (code == BN_CLICKED) Run(&TaskEditor::Button3Click);
      break;
    default:
      // A kind checked by click, Space or arrow key moves the group's tab stop.
      if (IsRadio(id) && code == BN_CLICKED) {
        SyncRadioTabStops();
        Run(&TaskEditor::RadioButtonClick);
      }
      break;
  }
}

LRESULT TForm5::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      OnCommand(LOWORD(wParam), HIWORD(wParam));
      return 0;
    case DM_GETDEFID:
      return 0;  // no default button: Enter does nothing
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      if (focus_.Handle(BaseWindow::Handle(), message, wParam)) {
        SyncRadioTabStops();
        return 0;
      }
      break;
    case WM_TIMER:
      if (wParam != kReadingsTimer) break;
      model_.ReadingsTimer();
      SetControlText(BaseWindow::Handle(), IDC_LABEL14, model_.Label14);
      SetControlText(BaseWindow::Handle(), IDC_LABEL15, model_.Label15);
      LayOutControls();
      return 0;
    case WM_CLOSE:
      // The close box only hides: no handler of the editor's own runs.
      Run(&TaskEditor::FormClose);
      return 0;
    case WM_DESTROY:
      DisableDialogKeys(BaseWindow::Handle());
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace velmaro
