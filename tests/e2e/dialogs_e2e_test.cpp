// The settings dialog and the task editor of the real program, driven from
// outside as a user would: the tray menu's settings command, then add,
// modify and delete one task, checking the store and the list after each.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <fstream>
#include <string>
#include <vector>

#include "dialogs/control_ids.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;
namespace f3 = velmaro::form3;
namespace f5 = velmaro::form5;

constexpr UINT kSettingsCommand = Command(velmaro::MenuItem::n4);
constexpr int kShutDownItem = 9;        // "关闭计算机" in the editor's action list

// Memory inside the program's process, for the control messages whose
// argument is a pointer: those are passed to another process as they are.
class RemoteBuffer {
 public:
  RemoteBuffer(DWORD pid, std::size_t size)
      : process_(OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid)),
        address_(static_cast<BYTE*>(VirtualAllocEx(process_, nullptr, size, MEM_COMMIT, PAGE_READWRITE))) {}
  ~RemoteBuffer() {
    VirtualFreeEx(process_, address_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  void Write(const void* data, std::size_t size, std::size_t offset = 0) {
    WriteProcessMemory(process_, address_ + offset, data, size, nullptr);
  }
  void Read(void* data, std::size_t size, std::size_t offset = 0) {
    ReadProcessMemory(process_, address_ + offset, data, size, nullptr);
  }
  LPARAM At(std::size_t offset = 0) const { return reinterpret_cast<LPARAM>(address_ + offset); }

 private:
  HANDLE process_;
  BYTE* address_;
};

std::vector<HWND> VisibleWindows(DWORD pid, const wchar_t* cls) {
  std::vector<HWND> windows;
  for (HWND window : WindowsOf(pid, cls).ofClass) {
    if (IsWindowVisible(window)) windows.push_back(window);
  }
  return windows;
}

// The one visible window of the class, waited for; null if none shows.
HWND WaitForVisible(DWORD pid, const wchar_t* cls) {
  HWND found = nullptr;
  velmaro_e2e::WaitFor([&] {
    std::vector<HWND> windows = VisibleWindows(pid, cls);
    found = windows.size() == 1 ? windows.front() : nullptr;
    return found != nullptr;
  }, 10000);
  return found;
}

// The dialogs answer posted commands within moments.
template <class Condition>
bool WaitFor(Condition condition) {
  return velmaro_e2e::WaitFor(condition, 10000);
}

void Click(HWND window, int id) { PostMessageW(GetDlgItem(window, id), BM_CLICK, 0, 0); }

// A control's text, asked of the control itself.
WideString Text(HWND window, int id) {
  wchar_t text[256] = {};
  SendDlgItemMessageW(window, id, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

WideString StoreText(const wchar_t* name) {
  Value value = ReadStoreValue(name);
  if (!value.present || value.type != REG_SZ) return L"(none)";
  return WideString(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / 2 - 1);
}

void Type(const WideString& text) {
  for (wchar_t c : text) {
    INPUT input[2] = {};
    for (INPUT& key : input) {
      key.type = INPUT_KEYBOARD;
      key.ki.wScan = c;
      key.ki.dwFlags = KEYEVENTF_UNICODE;
    }
    input[1].ki.dwFlags |= KEYEVENTF_KEYUP;
    SendInput(2, input, sizeof input[0]);
  }
  Sleep(100);
}

// A left press on the tray icon, at its place in the 800x600 virtual desktop.
void PressTrayIcon() {
  INPUT input[3] = {};
  for (INPUT& mouse : input) mouse.type = INPUT_MOUSE;
  input[0].mi.dx = 790 * 65535 / 799;
  input[0].mi.dy = 590 * 65535 / 599;
  input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
  input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN;
  input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP;
  SendInput(3, input, sizeof input[0]);
}

// The control of `window` that has the keyboard focus (a combo box for its edit field).
int FocusedId(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui) || !gui.hwndFocus) return 0;
  HWND focus = gui.hwndFocus;
  if (GetParent(focus) != window) focus = GetParent(focus);
  return GetParent(focus) == window ? GetDlgCtrlID(focus) : 0;
}

// Tab until the control has the focus; false if 40 presses never reach it.
bool TabTo(HWND window, int id) {
  for (int i = 0; i < 40; ++i) {
    if (FocusedId(window) == id) return true;
    Press(VK_TAB);
  }
  return FocusedId(window) == id;
}

// The whole text of the focused edit field is selected.
bool AllSelected(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
  const LRESULT range = SendMessageW(gui.hwndFocus, EM_GETSEL, 0, 0);
  // Asked of the control: GetWindowTextLength reads no other process's control.
  const LRESULT length = SendMessageW(gui.hwndFocus, WM_GETTEXTLENGTH, 0, 0);
  return length > 0 && LOWORD(range) == 0 && HIWORD(range) == length;
}

std::string Selection(HWND window) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &gui);
  const LRESULT range = SendMessageW(gui.hwndFocus, EM_GETSEL, 0, 0);
  return std::to_string(LOWORD(range)) + ".." + std::to_string(HIWORD(range)) + " of " +
         std::to_string(SendMessageW(gui.hwndFocus, WM_GETTEXTLENGTH, 0, 0));
}

bool Checked(HWND editor, int id) { return SendDlgItemMessageW(editor, id, BM_GETCHECK, 0, 0) == BST_CHECKED; }

// The fields of the short date format in their order: 'y', 'M' and 'd'.
std::string DateFieldOrder() {
  wchar_t format[80] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, 80);
  std::string order;
  for (const wchar_t* c = format; *c; ++c) {
    const char field = *c == L'y' ? 'y' : *c == L'M' ? 'M' : *c == L'd' ? 'd' : 0;
    if (field && order.find(field) == std::string::npos) order += field;
  }
  return order;
}

// The screen as a bitmap file beside this exe, to look at after the run.
void SaveScreen(const wchar_t* name) {
  HDC screen = GetDC(nullptr);
  const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
  HDC memory = CreateCompatibleDC(screen);
  BITMAPINFO info = {};
  info.bmiHeader = {sizeof info.bmiHeader, width, height, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HGDIOBJ old = SelectObject(memory, bitmap);
  BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY);
  const DWORD size = static_cast<DWORD>(((width * 3 + 3) & ~3) * height);
  BITMAPFILEHEADER header = {0x4D42, static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info.bmiHeader + size), 0, 0,
                             static_cast<DWORD>(sizeof(BITMAPFILEHEADER) + sizeof info.bmiHeader)};
  std::ofstream file(BesideThisExe(name).c_str(), std::ios::binary);
  file.write(reinterpret_cast<const char*>(&header), sizeof header);
  file.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
  file.write(static_cast<const char*>(bits), size);
  SelectObject(memory, old);
  DeleteObject(bitmap);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
}

class Driver {
 public:
  explicit Driver(DWORD pid) : pid_(pid), memory_(pid, 4096) {}

  void SetTime(HWND editor, int id, WORD hour, WORD minute) {
    SYSTEMTIME time = {2009, 1, 1, 19, hour, minute, 0, 0};
    memory_.Write(&time, sizeof time);
    SendMessageW(GetDlgItem(editor, id), DTM_SETSYSTEMTIME, GDT_VALID, memory_.At());
  }
  SYSTEMTIME Time(HWND editor, int id) {
    SYSTEMTIME time = {};
    SendMessageW(GetDlgItem(editor, id), DTM_GETSYSTEMTIME, 0, memory_.At());
    memory_.Read(&time, sizeof time);
    return time;
  }
  // A choice from the action list, with the notification the list sends.
  void ChooseAction(HWND editor, int item) {
    HWND combo = GetDlgItem(editor, f5::IDC_COMBOBOX5);
    SendMessageW(combo, CB_SETCURSEL, item, 0);
    PostMessageW(editor, WM_COMMAND, MAKEWPARAM(f5::IDC_COMBOBOX5, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
  }
  // Each row as "number|time|task|argument".
  std::vector<WideString> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, f3::IDC_LISTVIEW1);
    std::vector<WideString> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
      WideString shown;
      for (int column = 0; column < 4; ++column) shown += (column ? L"|" : L"") + Cell(list, row, column);
      rows.push_back(shown);
    }
    return rows;
  }
  void Select(HWND dialog, int row) {
    LVITEMW state = {};
    state.stateMask = LVIS_SELECTED | LVIS_FOCUSED;
    state.state = LVIS_SELECTED | LVIS_FOCUSED;
    memory_.Write(&state, sizeof state);
    SendMessageW(GetDlgItem(dialog, f3::IDC_LISTVIEW1), LVM_SETITEMSTATE, row, memory_.At());
  }

 private:
  WideString Cell(HWND list, int row, int column) {
    const std::size_t textAt = 512;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(memory_.At(textAt));
    item.cchTextMax = 256;
    memory_.Write(&item, sizeof item);
    const int length = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, memory_.At()));
    WideString text(static_cast<std::size_t>(length), L'\0');
    if (length > 0) memory_.Read(&text[0], text.size() * sizeof(wchar_t), textAt);
    return text;
  }

  DWORD pid_;
  RemoteBuffer memory_;
};

using DialogsTest = E2eTest;

TEST_F(DialogsTest, AddModifyAndDeleteADailyTaskThroughTheWindows) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  const DWORD pid = program.info.dwProcessId;
  Driver driver(pid);

  PostMessageW(main, WM_COMMAND, kSettingsCommand, 0);
  HWND settings = WaitForVisible(pid, L"TForm3");
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(driver.Rows(settings).empty());
  EXPECT_EQ(Text(settings, f3::IDC_EDIT5), L"1");

  // Add: daily at 22:30, shut down.
  Click(settings, f3::IDC_BUTTON4);
  HWND editor = WaitForVisible(pid, L"TForm5");
  ASSERT_NE(editor, nullptr);
  Click(editor, f5::IDC_RADIOBUTTON3);
  driver.SetTime(editor, f5::IDC_DATETIMEPICKER3, 22, 30);
  driver.ChooseAction(editor, kShutDownItem);
  ASSERT_TRUE(WaitFor([&] { return Text(editor, f5::IDC_COMBOBOX6) == L"关闭计算机"; }));
  EXPECT_EQ(Text(editor, f5::IDC_LABEL6), L"属性：");
  Click(editor, f5::IDC_BUTTON2);
  ASSERT_TRUE(WaitFor([&] { return Dword(ReadStoreValue(L"TaskNum")) == 1; }));
  EXPECT_EQ(StoreText(L"A1"), L"每天22时30分");
  EXPECT_EQ(StoreText(L"B1"), L"关闭计算机");
  EXPECT_EQ(StoreText(L"C1"), L"关闭计算机");
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
  EXPECT_EQ(driver.Rows(settings), std::vector<WideString>{L"1|每天22时30分|关闭计算机|关闭计算机"});

  // Modify: the editor shows the stored time; 23:45 rewrites slot 1.
  driver.Select(settings, 0);
  Click(settings, f3::IDC_BUTTON5);
  HWND modify = WaitForVisible(pid, L"TForm5");
  ASSERT_NE(modify, nullptr);
  EXPECT_NE(modify, editor);
  EXPECT_EQ(SendDlgItemMessageW(modify, f5::IDC_RADIOBUTTON3, BM_GETCHECK, 0, 0), BST_CHECKED);
  const SYSTEMTIME shown = driver.Time(modify, f5::IDC_DATETIMEPICKER3);
  EXPECT_EQ(shown.wHour, 22);
  EXPECT_EQ(shown.wMinute, 30);
  driver.SetTime(modify, f5::IDC_DATETIMEPICKER3, 23, 45);
  Click(modify, f5::IDC_BUTTON2);
  ASSERT_TRUE(WaitFor([&] { return StoreText(L"A1") == L"每天23时45分"; }));
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 1u);
  EXPECT_TRUE(WaitFor([&] { return driver.Rows(settings).size() == 1; }));
  EXPECT_EQ(driver.Rows(settings), std::vector<WideString>{L"1|每天23时45分|关闭计算机|关闭计算机"});

  // Delete: no question, the store and the list are empty again.
  driver.Select(settings, 0);
  Click(settings, f3::IDC_BUTTON6);
  ASSERT_TRUE(WaitFor([&] { return Dword(ReadStoreValue(L"TaskNum")) == 0; }));
  EXPECT_FALSE(ReadStoreValue(L"A1").present);
  EXPECT_TRUE(WaitFor([&] { return driver.Rows(settings).empty(); }));
  EXPECT_TRUE(VisibleWindows(pid, L"#32770").empty());  // no message box

  Click(settings, f3::IDC_BUTTON2);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(settings); }));
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

// From a press on the tray icon to every step, by keys alone: add a once
// task on 29 February at 21:45 with a Chinese reminder, modify an idle task,
// delete a task, and Esc out of both windows.
TEST_F(DialogsTest, EveryStepByKeyboardFromThePressOnTheTrayIcon) {
  {
    StoreWriter store;
    store.Task(1, "空闲10分钟", "提醒", "该休息一下了。");
    store.Task(2, "每天8时0分", "提醒", "早");
    store.Dword(L"TaskNum", 2);
  }
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  const DWORD pid = program.info.dwProcessId;
  Driver driver(pid);
  auto openSettings = [&]() -> HWND {
    PressTrayIcon();
    if (!WaitFor([] { return VisibleMenu() != nullptr; })) return nullptr;
    Press('S');
    return WaitForVisible(pid, L"TForm3");
  };

  HWND settings = openSettings();
  ASSERT_NE(settings, nullptr);
  EXPECT_TRUE(WaitFor([&] { return FocusedId(settings) == f3::IDC_LISTVIEW1; }));
  EXPECT_EQ(driver.Rows(settings).size(), 2u);

  // Add: the focus opens on the kinds, none of them checked.
  Press('A', VK_MENU);
  HWND editor = WaitForVisible(pid, L"TForm5");
  ASSERT_NE(editor, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FocusedId(editor) == f5::IDC_RADIOBUTTON1; }));
  for (int id = f5::IDC_RADIOBUTTON1; id <= f5::IDC_RADIOBUTTON10; ++id) EXPECT_FALSE(Checked(editor, id)) << id;
  Press(VK_DOWN);
  EXPECT_TRUE(WaitFor([&] { return Checked(editor, f5::IDC_RADIOBUTTON2); }));
  EXPECT_EQ(FocusedId(editor), f5::IDC_RADIOBUTTON2);
  // Away and back by Tab: the group's one tab stop is on the checked kind.
  ASSERT_TRUE(TabTo(editor, f5::IDC_EDIT1));
  Press(VK_TAB, VK_SHIFT);
  EXPECT_TRUE(WaitFor([&] { return FocusedId(editor) == f5::IDC_RADIOBUTTON2; }));

  // 29 February 2028, typed field by field: the year first, so that the day exists.
  // Wine's picker selects none of its fields when it gets the focus; the
  // first Right arrow selects the first one.
  ASSERT_TRUE(TabTo(editor, f5::IDC_DATETIMEPICKER1));
  Press(VK_RIGHT);
  const std::string order = DateFieldOrder();
  ASSERT_EQ(order.size(), 3u);
  const std::size_t year = order.find('y');
  for (std::size_t i = 0; i < year; ++i) Press(VK_RIGHT);
  Type(L"2028");
  for (std::size_t i = 0; i < year; ++i) Press(VK_LEFT);
  for (char field : order) {
    Type(field == 'y' ? L"2028" : field == 'M' ? L"2" : L"29");
    Press(VK_RIGHT);
  }
  ASSERT_TRUE(TabTo(editor, f5::IDC_DATETIMEPICKER2));
  Press(VK_RIGHT);
  Type(L"21");
  Press(VK_RIGHT);
  Type(L"45");
  SYSTEMTIME date = driver.Time(editor, f5::IDC_DATETIMEPICKER1);
  EXPECT_EQ(date.wYear * 10000 + date.wMonth * 100 + date.wDay, 20280229);
  const SYSTEMTIME time = driver.Time(editor, f5::IDC_DATETIMEPICKER2);
  EXPECT_EQ(time.wHour * 100 + time.wMinute, 2145);

  // The action from the list by arrow key; Tab into the argument selects it,
  // and the typed reminder replaces it.
  ASSERT_TRUE(TabTo(editor, f5::IDC_COMBOBOX5));
  Press(VK_DOWN);
  ASSERT_TRUE(WaitFor([&] { return Text(editor, f5::IDC_COMBOBOX6) == L"下班时间到。"; }));
  Press(VK_TAB);
  ASSERT_TRUE(WaitFor([&] { return FocusedId(editor) == f5::IDC_COMBOBOX6; }));
  EXPECT_TRUE(AllSelected(editor)) << Selection(editor);
  Type(L"开会了，带上笔记本");
  EXPECT_EQ(Text(editor, f5::IDC_COMBOBOX6), L"开会了，带上笔记本");
  SaveScreen(L"editor-by-keyboard.bmp");
  Press('O', VK_MENU);
  SYSTEMTIME leapDay = {2028, 2, 2, 29, 0, 0, 0, 0};
  const WideString once = L"一次" + Wide(ShortDate(leapDay)) + L"日21时45分";
  ASSERT_TRUE(WaitFor([&] { return Dword(ReadStoreValue(L"TaskNum")) == 3; }));
  EXPECT_EQ(StoreText(L"A3"), once);
  EXPECT_EQ(StoreText(L"B3"), L"提醒");
  EXPECT_EQ(StoreText(L"C3"), L"开会了，带上笔记本");
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(editor); }));
  EXPECT_EQ(driver.Rows(settings).back(), L"3|" + once + L"|提醒|开会了，带上笔记本");

  // Modify the idle task: the first row, reached from the list by Home. The
  // focus came back to the Add button, where Alt+A had put it.
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == settings; }));
  EXPECT_TRUE(WaitFor([&] { return FocusedId(settings) == f3::IDC_BUTTON4; }));
  ASSERT_TRUE(TabTo(settings, f3::IDC_LISTVIEW1));
  Press(VK_HOME);
  Press('M', VK_MENU);
  HWND modify = WaitForVisible(pid, L"TForm5");
  ASSERT_NE(modify, nullptr);
  ASSERT_TRUE(WaitFor([&] { return FocusedId(modify) == f5::IDC_RADIOBUTTON1; }));
  EXPECT_TRUE(Checked(modify, f5::IDC_RADIOBUTTON1));
  Press(VK_TAB);
  ASSERT_TRUE(WaitFor([&] { return FocusedId(modify) == f5::IDC_EDIT1; }));
  EXPECT_TRUE(AllSelected(modify));
  Type(L"25");
  Press('O', VK_MENU);
  ASSERT_TRUE(WaitFor([&] { return StoreText(L"A1") == L"空闲25分钟"; }));
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 3u);
  EXPECT_TRUE(WaitFor([&] { return driver.Rows(settings).back() == L"1|空闲25分钟|提醒|该休息一下了。"; }));

  // Delete the daily task, now the first row.
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == settings; }));
  ASSERT_TRUE(TabTo(settings, f3::IDC_LISTVIEW1));
  Press(VK_END);
  Press(VK_HOME);
  Press('D', VK_MENU);
  ASSERT_TRUE(WaitFor([&] { return Dword(ReadStoreValue(L"TaskNum")) == 2; }));
  EXPECT_EQ(StoreText(L"A2"), once);
  EXPECT_EQ(StoreText(L"A1"), L"空闲25分钟");
  EXPECT_FALSE(ReadStoreValue(L"A3").present);
  EXPECT_TRUE(WaitFor([&] {
    return driver.Rows(settings) ==
           std::vector<WideString>{L"2|" + once + L"|提醒|开会了，带上笔记本", L"1|空闲25分钟|提醒|该休息一下了。"};
  }));

  // Esc is Cancel in both windows, and nothing more is stored.
  Press('A', VK_MENU);
  HWND cancelled = WaitForVisible(pid, L"TForm5");
  ASSERT_NE(cancelled, nullptr);
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(cancelled); }));
  ASSERT_TRUE(WaitFor([&] { return GetForegroundWindow() == settings; }));
  Press(VK_ESCAPE);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(settings); }));
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 2u);
  EXPECT_TRUE(VisibleWindows(pid, L"#32770").empty());  // no message box on the way

  // Opened again, the closed dialog and editors are gone.
  HWND again = openSettings();
  ASSERT_NE(again, nullptr);
  EXPECT_EQ(WindowsOf(pid, L"TForm3").ofClass.size(), 1u);
  EXPECT_EQ(driver.Rows(again).size(), 2u);
  Press(VK_ESCAPE);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

}  // namespace
