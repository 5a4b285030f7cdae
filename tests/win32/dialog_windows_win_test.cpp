// The Win32 windows of the settings dialog and the task editor, in this
// process: controls at their scaled places, the field filters against typed
// and pasted text, and the controls filled from a stored task.
#include "dialogs/dialog_windows_win.h"
#include "platform/processes.h"

#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>

#include "base/text_win.h"
#include "dialogs/control_ids.h"
#include "dialogs/dialogs.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/memory_registry.h"
#include "ui/controls_win.h"

namespace velmaro {
namespace {

const char kStorePath[] = "Software\\Drennik\\Velmaro";

class NoLink : public MainWindowLink {
 public:
  void StopEvaluation() override {}
  void ResumeEvaluation() override {}
  void SetCountdownMax(std::int32_t) override {}
};

void PutClipboard(const WideString& text) {
  ASSERT_TRUE(OpenClipboard(nullptr));
  EmptyClipboard();
  HGLOBAL data = GlobalAlloc(GMEM_MOVEABLE, (text.size() + 1) * sizeof(wchar_t));
  memcpy(GlobalLock(data), text.c_str(), (text.size() + 1) * sizeof(wchar_t));
  GlobalUnlock(data);
  SetClipboardData(CF_UNICODETEXT, data);
  CloseClipboard();
}

WideString Text(HWND window, int id) {
  wchar_t text[256] = {};
  GetDlgItemTextW(window, id, text, 256);
  return text;
}

class DialogWindowsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    registry.PutString(RegRoot::LocalMachine, kStorePath, "A1", "每周7日22时5分");
    registry.PutString(RegRoot::LocalMachine, kStorePath, "B1", "关闭计算机");
    registry.PutString(RegRoot::LocalMachine, kStorePath, "C1", "");
    registry.PutDword(RegRoot::LocalMachine, kStorePath, "TaskNum", 1);
    store.LoadSettings();
    dialogs.OpenSettings();
    settings = reinterpret_cast<HWND>(dialogs.WindowOf(*dialogs.Form3()));
  }
  HWND Editor() { return reinterpret_cast<HWND>(dialogs.WindowOf(*dialogs.Form5())); }

  MemoryRegistry registry;
  RegistryObject reg{registry};
  Settings copies;
  TaskStore store{reg, copies};
  FakeShell shell;
  FakeClock clock;
  FakeSession session;
  FakeFileDialog files;
  FakeAutoStart autoStart;
  Win32DialogWindows windows;
  NoLink link;
  std::unique_ptr<ProcessService> processes = MakeSystemProcesses();
  Dialogs dialogs{DialogServices{shell, clock, session, files, autoStart, windows, *processes}, store, copies, link};
  HWND settings = nullptr;
};

TEST_F(DialogWindowsTest, FieldsTakeOnlyWhatTheirFilterLetsThroughTypedOrPasted) {
  SendDlgItemMessageW(settings, form3::IDC_BUTTON4, BM_CLICK, 0, 0);
  HWND editor = Editor();
  ASSERT_TRUE(IsWindowVisible(editor));
  struct Case {
    HWND window;
    int id;
    WideString pasted;
    WideString shown;
  } const cases[] = {
      {editor, form5::IDC_EDIT1, L"1x2 3\r\n", L"7123"},
      {editor, form5::IDC_EDIT3, L"\uFF11-4", L"74"},
      {settings, form3::IDC_EDIT5, L"1.5a", L"771.5"},
  };
  for (const Case& c : cases) {
    HWND edit = GetDlgItem(c.window, c.id);
    SetWindowTextW(edit, L"");
    for (wchar_t typed : {L'a', L'7'}) SendMessageW(edit, WM_CHAR, typed, 0);
    SendMessageW(edit, WM_CHAR, L'.', 0);  // the countdown field's only
    SendMessageW(edit, WM_CHAR, 8, 0);    // backspace: "7" or "7." loses its last character
    SendMessageW(edit, WM_CHAR, L'7', 0);
    PutClipboard(c.pasted);
    SendMessageW(edit, WM_CHAR, 0x16, 0);  // Ctrl+V, filtered as the paste command is
    EXPECT_EQ(Text(c.window, c.id), c.shown) << c.id;
  }
  // Ctrl+A, then Ctrl+X and Ctrl+V: the text goes to the clipboard and back.
  HWND minutes = GetDlgItem(editor, form5::IDC_EDIT1);
  SetFocus(minutes);
  BYTE keys[256] = {};
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  MSG selectAll = {minutes, WM_KEYDOWN, 'A', 0, 0, {0, 0}};
  EXPECT_TRUE(HandleDialogKeys(selectAll));
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  SendMessageW(minutes, WM_CHAR, 0x18, 0);
  EXPECT_EQ(Text(editor, form5::IDC_EDIT1), L"");
  SendMessageW(minutes, WM_CHAR, 0x16, 0);
  SendMessageW(minutes, WM_CHAR, 0x16, 0);
  EXPECT_EQ(Text(editor, form5::IDC_EDIT1), L"71237123");
  SendMessageW(minutes, EM_SETSEL, 0, 2);
  SendMessageW(minutes, WM_CHAR, 0x03, 0);  // Ctrl+C
  SendMessageW(GetDlgItem(settings, form3::IDC_EDIT5), WM_CHAR, 0x16, 0);
  EXPECT_EQ(Text(settings, form3::IDC_EDIT5), L"771.571");
  // Choosing an action from the list prepares the argument field at once.
  HWND action = GetDlgItem(editor, form5::IDC_COMBOBOX5);
  SendMessageW(action, CB_SETCURSEL, 0, 0);
  SendMessageW(editor, WM_COMMAND, MAKEWPARAM(form5::IDC_COMBOBOX5, CBN_SELCHANGE), reinterpret_cast<LPARAM>(action));
  EXPECT_EQ(Text(editor, form5::IDC_LABEL6), L"提醒语：");
  EXPECT_EQ(Text(editor, form5::IDC_COMBOBOX6), L"下班时间到。");
  EXPECT_EQ(SendDlgItemMessageW(editor, form5::IDC_COMBOBOX6, CB_GETCOUNT, 0, 0), 5);

  // The combo boxes take any text.
  HWND combo = GetDlgItem(editor, form5::IDC_COMBOBOX2);
  SendMessageW(FindWindowExW(combo, nullptr, L"EDIT", nullptr), WM_CHAR, L'x', 0);
  EXPECT_NE(Text(editor, form5::IDC_COMBOBOX2).find(L'x'), WideString::npos);
}

int FontHeight(HWND control) {
  LOGFONTW font = {};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

TEST_F(DialogWindowsTest, ControlsSitAtTheLayoutPositionsScaledForTheDpiAndAgainWhenItChanges) {
  struct Case {
    int id;
    int x, y, w, h;
    int fontHeight96;
  } const cases[] = {{form3::IDC_LISTVIEW1, 0, 0, 457, 201, -13},
                     {form3::IDC_BUTTON2, 281, 336, 81, 25, -13},
                     {form3::IDC_EDIT8, 170, 276, 230, 21, -13},
                     {form3::IDC_EDIT5, 369, 256, 30, 20, -12}};
  HWND list = GetDlgItem(settings, form3::IDC_LISTVIEW1);
  const auto expectLayout = [&](int dpi) {
    for (const Case& c : cases) {
      HWND control = GetDlgItem(settings, c.id);
      RECT rect;
      GetWindowRect(control, &rect);
      MapWindowPoints(nullptr, settings, reinterpret_cast<POINT*>(&rect), 2);
      EXPECT_EQ(rect.left, ScaleForDpi(c.x, dpi)) << c.id << " at " << dpi;
      EXPECT_EQ(rect.top, ScaleForDpi(c.y, dpi)) << c.id << " at " << dpi;
      EXPECT_EQ(rect.right - rect.left, ScaleForDpi(c.w, dpi)) << c.id << " at " << dpi;
      EXPECT_EQ(rect.bottom - rect.top, ScaleForDpi(c.h, dpi)) << c.id << " at " << dpi;
      EXPECT_EQ(FontHeight(control), ScaleForDpi(c.fontHeight96, dpi)) << c.id << " at " << dpi;
    }
    EXPECT_EQ(SendMessageW(list, LVM_GETCOLUMNWIDTH, 3, 0), ScaleForDpi(200, dpi)) << dpi;
  };
  const int dpi = WindowDpi(settings);
  RECT client;
  GetClientRect(settings, &client);
  EXPECT_EQ(client.right, ScaleForDpi(458, dpi));
  EXPECT_EQ(client.bottom, ScaleForDpi(375, dpi));
  expectLayout(dpi);
  EXPECT_EQ(SendMessageW(list, LVM_GETEXTENDEDLISTVIEWSTYLE, 0, 0) & (LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT),
            LVS_EX_GRIDLINES | LVS_EX_FULLROWSELECT);

  // Moved to a screen of another dpi: the window takes the rectangle the
  // system suggests, and the controls, their fonts and the columns follow.
  const int newDpi = dpi == 144 ? 192 : 144;
  RECT suggested = {40, 30, 40 + ScaleForDpi(470, newDpi), 30 + ScaleForDpi(380, newDpi)};
  SendMessageW(settings, kDpiChangedMessage, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
  RECT frame;
  GetWindowRect(settings, &frame);
  EXPECT_EQ(frame.left, suggested.left);
  EXPECT_EQ(frame.top, suggested.top);
  EXPECT_EQ(frame.right, suggested.right);
  EXPECT_EQ(frame.bottom, suggested.bottom);
  expectLayout(newDpi);
}

TEST_F(DialogWindowsTest, ModifyShowsTheStoredTaskInTheEditorsControls) {
  HWND list = GetDlgItem(settings, form3::IDC_LISTVIEW1);
  ASSERT_EQ(SendMessageW(list, LVM_GETITEMCOUNT, 0, 0), 1);
  ListView_SetItemState(list, 0, LVIS_SELECTED | LVIS_FOCUSED, LVIS_SELECTED | LVIS_FOCUSED);
  SendDlgItemMessageW(settings, form3::IDC_BUTTON5, BM_CLICK, 0, 0);
  HWND editor = Editor();
  EXPECT_EQ(IsDlgButtonChecked(editor, form5::IDC_RADIOBUTTON4), BST_CHECKED);
  EXPECT_EQ(Text(editor, form5::IDC_COMBOBOX1), L"0");
  EXPECT_EQ(Text(editor, form5::IDC_DATETIMEPICKER4), L"22:05:00");  // hours, minutes and seconds
  EXPECT_EQ(Text(editor, form5::IDC_COMBOBOX5), L"关闭计算机");
  EXPECT_EQ(Text(editor, form5::IDC_LABEL6), L"提醒语:");
  EXPECT_EQ(Text(editor, form5::IDC_DATETIMEPICKER2), L"00:00:00");
  EXPECT_EQ(SendDlgItemMessageW(editor, form5::IDC_COMBOBOX5, CB_GETCOUNT, 0, 0), 13);

  // OK through the window: the row of the rewritten task moves to the end.
  SendDlgItemMessageW(editor, form5::IDC_BUTTON2, BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(editor));
  EXPECT_EQ(registry.Key(RegRoot::LocalMachine, kStorePath).at("A1").data, "每周0日22时5分");
  wchar_t cell[64] = {};
  ListView_GetItemText(list, 0, 1, cell, 64);
  EXPECT_STREQ(cell, L"每周0日22时5分");
}

TEST_F(DialogWindowsTest, TextWithNoCodePage936FormIsRefusedAndKeptAsTyped) {
  SendDlgItemMessageW(settings, form3::IDC_BUTTON4, BM_CLICK, 0, 0);
  HWND editor = Editor();
  SendDlgItemMessageW(editor, form5::IDC_RADIOBUTTON3, BM_CLICK, 0, 0);
  const WideString reminder = L"会议\U0001F600 \uD55C";  // an emoji and a Hangul syllable: GBK has neither
  SetDlgItemTextW(editor, form5::IDC_COMBOBOX6, reminder.c_str());
  SendDlgItemMessageW(editor, form5::IDC_BUTTON2, BM_CLICK, 0, 0);
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0].text, std::string("“提醒语”") + kUnstorableText);
  EXPECT_TRUE(IsWindowVisible(editor));
  EXPECT_EQ(Text(editor, form5::IDC_COMBOBOX6), reminder);
  EXPECT_EQ(copies.LastTaskNum, 1);

  // A sound path that names no file has no short form to fall back on.
  SetDlgItemTextW(settings, form3::IDC_EDIT8, L"C:\\\uD55C\uAE00.wav");
  SendDlgItemMessageW(settings, form3::IDC_BUTTON1, BM_CLICK, 0, 0);
  ASSERT_EQ(shell.boxes.size(), 2u);
  EXPECT_EQ(shell.boxes[1].text, std::string("“关机前声音提示”") + kUnstorableText);
  EXPECT_TRUE(IsWindowVisible(settings));

  // One that names a file is stored in its short form, which has only ASCII.
  wchar_t folder[MAX_PATH];
  GetTempPathW(MAX_PATH, folder);
  const WideString path = WideString(folder) + L"\uD55C\uAE00 sound file.wav";
  HANDLE file = CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
  ASSERT_NE(file, INVALID_HANDLE_VALUE);
  CloseHandle(file);
  wchar_t shortPath[MAX_PATH] = {};
  const DWORD shortLength = GetShortPathNameW(path.c_str(), shortPath, MAX_PATH);
  SetDlgItemTextW(settings, form3::IDC_EDIT8, path.c_str());
  SendDlgItemMessageW(settings, form3::IDC_BUTTON1, BM_CLICK, 0, 0);
  if (shortLength > 0 && WideString(shortPath) != path) {
    EXPECT_EQ(shell.boxes.size(), 2u);
    EXPECT_EQ(copies.SoundPath, FromWide(shortPath));
  } else {
    EXPECT_EQ(shell.boxes.size(), 3u);  // a volume without short names
  }
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace velmaro
