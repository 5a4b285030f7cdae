// The settings dialog and the task editor of the real program, driven from
// outside as a user would: the tray menu's settings command, then add,
// modify and delete one task, checking the store and the list after each.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "dialogs/control_ids.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;
namespace f3 = velmaro::form3;
namespace f5 = velmaro::form5;

constexpr UINT kSettingsCommand = 104;  // menu item "设置(&S)"
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
std::wstring Text(HWND window, int id) {
  wchar_t text[256] = {};
  SendDlgItemMessageW(window, id, WM_GETTEXT, 256, reinterpret_cast<LPARAM>(text));
  return text;
}

std::wstring StoreText(const wchar_t* name) {
  Value value = ReadStoreValue(name);
  if (!value.present || value.type != REG_SZ) return L"(none)";
  return std::wstring(reinterpret_cast<const wchar_t*>(value.data.data()), value.data.size() / 2 - 1);
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
  std::vector<std::wstring> Rows(HWND dialog) {
    HWND list = GetDlgItem(dialog, f3::IDC_LISTVIEW1);
    std::vector<std::wstring> rows;
    const int count = static_cast<int>(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0));
    for (int row = 0; row < count; ++row) {
      std::wstring shown;
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
  std::wstring Cell(HWND list, int row, int column) {
    const std::size_t textAt = 512;
    LVITEMW item = {};
    item.iSubItem = column;
    item.pszText = reinterpret_cast<wchar_t*>(memory_.At(textAt));
    item.cchTextMax = 256;
    memory_.Write(&item, sizeof item);
    const int length = static_cast<int>(SendMessageW(list, LVM_GETITEMTEXTW, row, memory_.At()));
    std::wstring text(static_cast<std::size_t>(length), L'\0');
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
  EXPECT_EQ(driver.Rows(settings), std::vector<std::wstring>{L"1|每天22时30分|关闭计算机|关闭计算机"});

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
  EXPECT_EQ(driver.Rows(settings), std::vector<std::wstring>{L"1|每天23时45分|关闭计算机|关闭计算机"});

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

}  // namespace
