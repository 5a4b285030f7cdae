#include "dialogs/settings_dialog_win.h"

#include <commctrl.h>

#include <algorithm>
#include <iterator>
#include <optional>
#include <vector>
#include <string>

#include "base/text_win.h"
#include "dialogs/control_ids.h"
#include "dialogs/dialogs.h"
#include "ui/controls_win.h"

namespace velmaro {

using namespace form3;

namespace {

constexpr wchar_t kClassName[] = L"TForm3";
constexpr DWORD kStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX;
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;  // one line, as wide as its text
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;

const ControlRow kControls[] = {
    {IDC_LISTVIEW1, WC_LISTVIEWW, Text::Empty, WS_TABSTOP | LVS_REPORT | LVS_SINGLESEL | LVS_SHOWSELALWAYS | LVS_OWNERDATA, 0, 0,
     457, 201},
    {IDC_BUTTON4, L"BUTTON", Text::SettingsAdd, kButton, 56, 218, 75, 25},
    {IDC_BUTTON5, L"BUTTON", Text::SettingsModify, kButton, 192, 218, 75, 25},
    {IDC_BUTTON6, L"BUTTON", Text::SettingsDelete, kButton, 320, 218, 75, 25},
    {IDC_CHECKBOX2, L"BUTTON", Text::SettingsAutoStart, BS_AUTOCHECKBOX | WS_TABSTOP, 13, 258, 148, 15},
    {IDC_LABEL10, L"STATIC", Text::SettingsSound, kLabel, 177, 258, 0, 0},
    {IDC_LABEL8, L"STATIC", Text::SettingsWait, kLabel, 293, 258, 0, 0},
    {IDC_EDIT5, L"EDIT", Text::Empty, WS_TABSTOP | ES_AUTOHSCROLL, 369, 256, 30, 20, {kFormFont.face, -12}},
    {IDC_LABEL9, L"STATIC", Text::SettingsMinutes, kLabel, 405, 257, 0, 0},
    {IDC_CHECKBOX5, L"BUTTON", Text::SettingsCloseApps, BS_AUTOCHECKBOX | WS_TABSTOP, 13, 279, 157, 18},
    {IDC_EDIT8, L"EDIT", Text::Empty, WS_TABSTOP | ES_AUTOHSCROLL, 170, 276, 230, 21},
    {IDC_BUTTON3, L"BUTTON", Text::Ellipsis, kButton, 407, 275, 41, 22, {L"MS Serif", kFormFont.height96}},
    {IDC_LABEL11, L"STATIC", Text::SettingsWarnAhead, SS_LEFTNOWORDWRAP, 13, 308, 0, 0},
    {IDC_COMBOBOX1, L"COMBOBOX", Text::Empty, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, 120, 304, 110, 120},
    {IDC_BUTTON1, L"BUTTON", Text::ButtonOk, kButton, 87, 336, 81, 25},
    {IDC_BUTTON2, L"BUTTON", Text::ButtonCancel, BS_DEFPUSHBUTTON | WS_TABSTOP, 281, 336, 81, 25},
};

struct Column {
  const char* caption;
  int width96;
};
const Column kColumns[] = {{"序号", 40}, {"时间", 120}, {"任务", 90}, {"任务属性", 200}};

struct Handler {
  int id;
  void (SettingsDialog::*click)();
};
const Handler kHandlers[] = {
    {IDC_BUTTON1, &SettingsDialog::Button1Click}, {IDC_BUTTON2, &SettingsDialog::Button2Click},
    {IDCANCEL, &SettingsDialog::Button2Click},  // Esc
    {IDC_BUTTON3, &SettingsDialog::Button3Click}, {IDC_BUTTON4, &SettingsDialog::Button4Click},
    {IDC_BUTTON5, &SettingsDialog::Button5Click}, {IDC_BUTTON6, &SettingsDialog::Button6Click},
};

HWND List(HWND window) { return GetDlgItem(window, IDC_LISTVIEW1); }

}  // namespace

TForm3::TForm3(SettingsDialog& model) : model_(model) {
  int dpi = WindowDpi(nullptr);
  const RECT frame = CenteredWindowRectForClient(458, 375, kStyle, 0, dpi);
  CreateWindowOf(kClassName, ToWide("设置"), kStyle, 0, frame.left, frame.top, frame.right - frame.left,
                 frame.bottom - frame.top, nullptr, WindowKind::DialogLike);
  HWND window = BaseWindow::Handle();
  if (!window) return;
  CreateControls(kControls);
  for (int id : {IDC_LISTVIEW1, IDC_EDIT5, IDC_EDIT8}) AddClientEdge(GetDlgItem(window, id));
  FilterEditInput(GetDlgItem(window, IDC_EDIT5), &CountdownFieldAccepts);

  HWND list = List(window);
  SendMessageW(list, LVM_SETEXTENDEDLISTVIEWSTYLE, LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT,
               LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);
  for (int i = 0; i < 4; ++i) {
    WideString caption = ToWide(kColumns[i].caption);
    LVCOLUMNW column = {};
    column.mask = LVCF_TEXT | LVCF_WIDTH | LVCF_SUBITEM;
    column.pszText = &caption[0];
    column.cx = ScaleForDpi(kColumns[i].width96, Dpi());
    column.iSubItem = i;
    SendMessageW(list, LVM_INSERTCOLUMNW, i, reinterpret_cast<LPARAM>(&column));
  }

  tooltip_ = CreateTooltip(window);
  SetTooltip(tooltip_, GetDlgItem(window, IDC_CHECKBOX5), "待机休眠前关闭应用程序");
  SetTooltip(tooltip_, GetDlgItem(window, IDC_BUTTON1), "仅对本机设置");
  SetTooltip(tooltip_, GetDlgItem(window, IDC_BUTTON2), "取消本次操作");
  EnableDialogKeys(window);
}

TForm3::~TForm3() {
  if (BaseWindow::Handle()) DestroyWindow(BaseWindow::Handle());
}

void TForm3::Refresh() {
  HWND window = BaseWindow::Handle();
  if (!window) return;
  RefreshList();
  SetControlText(window, IDC_EDIT5, model_.Edit5);
  SetControlText(window, IDC_EDIT8, model_.Edit8);
  CheckDlgButton(window, IDC_CHECKBOX2, model_.CheckBox2 ? BST_CHECKED : BST_UNCHECKED);
  CheckDlgButton(window, IDC_CHECKBOX5, model_.CheckBox5 ? BST_CHECKED : BST_UNCHECKED);
  // The choices, and a stored number of minutes that is none of them.
  HWND warn = GetDlgItem(window, IDC_COMBOBOX1);
  SendMessageW(warn, CB_RESETCONTENT, 0, 0);
  std::vector<std::int32_t> minutes(std::begin(kTiqianChoices), std::end(kTiqianChoices));
  if (std::find(minutes.begin(), minutes.end(), model_.ComboBox1) == minutes.end()) minutes.push_back(model_.ComboBox1);
  for (std::int32_t choice : minutes) {
    const LRESULT item = SendMessageW(warn, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(ToWide(TiqianText(choice)).c_str()));
    SendMessageW(warn, CB_SETITEMDATA, item, choice);
    if (choice == model_.ComboBox1) SendMessageW(warn, CB_SETCURSEL, item, 0);
  }
  SetWindowShown(window, model_.visible);
}

void TForm3::RefreshList() {
  HWND list = List(BaseWindow::Handle());
  if (!list) return;
  pushingList_ = true;
  // The rows are the model's: the list only learns how many there are, and
  // which one is selected; it asks for the texts of the rows it shows.
  SendMessageW(list, LVM_SETITEMCOUNT, model_.rows.size(), LVSICF_NOSCROLL);
  LVITEMW state = {};
  state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
  SendMessageW(list, LVM_SETITEMSTATE, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(&state));
  if (model_.selected) {
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    SendMessageW(list, LVM_SETITEMSTATE, *model_.selected, reinterpret_cast<LPARAM>(&state));
  }
  InvalidateRect(list, nullptr, TRUE);
  pushingList_ = false;
}

void TForm3::PullSelection() {
  const LRESULT row = SendMessageW(List(BaseWindow::Handle()), LVM_GETNEXTITEM, static_cast<WPARAM>(-1), LVNI_SELECTED);
  if (row >= 0 && static_cast<std::size_t>(row) < model_.rows.size()) {
    model_.selected = static_cast<std::size_t>(row);
  } else {
    model_.selected.reset();
  }
}

void TForm3::ShowCell(NMLVDISPINFOW& cell) {
  LVITEMW& item = cell.item;
  if (!(item.mask & LVIF_TEXT) || !item.pszText || item.cchTextMax <= 0) return;
  item.pszText[0] = L'\0';
  if (item.iItem < 0 || static_cast<std::size_t>(item.iItem) >= model_.rows.size()) return;
  const TaskRow& row = model_.rows[static_cast<std::size_t>(item.iItem)];
  const std::string* texts[] = {nullptr, &row.trigger, &row.action, &row.argument};
  if (item.iSubItem < 0 || item.iSubItem > 3) return;
  const WideString text = item.iSubItem == 0 ? ToWide(std::to_string(*row.slot)) : ToWide(*texts[item.iSubItem]);
  lstrcpynW(item.pszText, text.c_str(), item.cchTextMax);
}

void TForm3::Pull() {
  HWND window = BaseWindow::Handle();
  PullSelection();
  model_.Edit5 = ControlText(window, IDC_EDIT5);
  model_.unstorable.clear();
  if (std::optional<std::string> sound = StorableControlText(window, IDC_EDIT8, true)) {
    model_.Edit8 = *sound;
  } else {
    model_.Edit8 = ControlText(window, IDC_EDIT8);  // the field keeps the text as typed
    model_.unstorable.push_back(&SettingsDialog::Edit8);
  }
  model_.CheckBox2 = IsDlgButtonChecked(window, IDC_CHECKBOX2) == BST_CHECKED;
  model_.CheckBox5 = IsDlgButtonChecked(window, IDC_CHECKBOX5) == BST_CHECKED;
  HWND warn = GetDlgItem(window, IDC_COMBOBOX1);
  const LRESULT item = SendMessageW(warn, CB_GETCURSEL, 0, 0);
  if (item != CB_ERR) model_.ComboBox1 = static_cast<std::int32_t>(SendMessageW(warn, CB_GETITEMDATA, item, 0));
}

void TForm3::Run(void (SettingsDialog::*handler)()) {
  model_.Owner().Handle([&] {
    Pull();
    (model_.*handler)();
  });
  Refresh();
}

void TForm3::LayOut() {
  BaseWindow::LayOut();
  HWND list = List(BaseWindow::Handle());
  for (int i = 0; i < 4; ++i) {
    SendMessageW(list, LVM_SETCOLUMNWIDTH, i, ScaleForDpi(kColumns[i].width96, Dpi()));
  }
}

LRESULT TForm3::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED) {
        for (const Handler& handler : kHandlers) {
          if (handler.id == LOWORD(wParam)) Run(handler.click);
        }
      }
      return 0;
    case WM_NOTIFY: {
      auto* header = reinterpret_cast<NMHDR*>(lParam);
      if (header->idFrom != IDC_LISTVIEW1) return 0;
      if (header->code == LVN_GETDISPINFOW) ShowCell(*reinterpret_cast<NMLVDISPINFOW*>(lParam));
      if (header->code == LVN_ITEMCHANGED && !pushingList_) PullSelection();
      return 0;
    }
    case DM_GETDEFID:
      return MAKELRESULT(IDC_BUTTON2, DC_HASDEFID);
    case WM_ACTIVATE:
    case WM_SETFOCUS:
      if (focus_.Handle(BaseWindow::Handle(), message, wParam)) return 0;
      break;
    case WM_CLOSE:
      Run(&SettingsDialog::Close);
      return 0;
    case WM_DESTROY:
      DisableDialogKeys(BaseWindow::Handle());
      return 0;
  }
  return DefaultProc(message, wParam, lParam);
}

}  // namespace velmaro
