// The quick timer's dialog with real windows under Wine, driven by keys
// alone through the message loop's own key handling: what each way through
// it hands on, what it refuses, the question before a timer is replaced, and
// its controls, which neither overlap nor cut their texts at any dpi.
#include "app/quick_timer_window_win.h"

#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cwchar>
#include <memory>
#include <vector>

#include "base/text_win.h"
#include "lang/texts.h"
#include "tests/fakes/fake_shell.h"
#include "tests/win32/win32_test_support.h"
#include "ui/controls_win.h"

namespace velmaro {
namespace {

using When = QuickTimerRequest::When;

// What the program's message loop does with every message.
void Pump() {
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
}

// Keys pressed, each posted to the control with the focus: \t Tab, \r Enter,
// \x1b Esc, ↓ the down arrow; any other character is typed.
void Press(const wchar_t* keys) {
  static const wchar_t kNamed[] = L"\t\r\x1b↓";
  static const UINT kVirtualKeys[] = {VK_TAB, VK_RETURN, VK_ESCAPE, VK_DOWN};
  for (const wchar_t* key = keys; *key; ++key) {
    HWND focus = GetFocus();
    ASSERT_NE(focus, nullptr) << "no focus before key " << (key - keys);
    const wchar_t* named = wcschr(kNamed, *key);
    if (named) {
      PostMessageW(focus, WM_KEYDOWN, kVirtualKeys[named - kNamed], 1);
    } else {
      PostMessageW(focus, WM_CHAR, *key, 1);
    }
    Pump();
  }
}

// Answers the question box with `answer`, from a timer that the box's own
// modal loop dispatches, and keeps its text.
int answer = IDNO;
std::vector<WideString> questions;
void CALLBACK AnswerQuestion(HWND, UINT, UINT_PTR, DWORD) {
  HWND box = FindWindowW(L"#32770", ToWide(Tr(Text::QuickTimerCaption)).c_str());
  if (!box || !IsWindowVisible(box)) return;
  questions.push_back(WindowText(GetDlgItem(box, 0xFFFF)));  // the box's text
  SendMessageW(GetDlgItem(box, answer), BM_CLICK, 0, 0);
}

class QuickTimerWindowTest : public ::testing::Test {
 protected:
  void SetUp() override { Fresh(); }
  // A new window, nothing chosen or shown so far.
  void Fresh() {
    chosen.clear();
    shell.boxes.clear();
    form.reset();
    form = std::make_unique<TForm7>(nullptr, shell, [this](const QuickTimerRequest& r) { chosen.push_back(r); });
    window = form->Handle();
    ASSERT_NE(window, nullptr);
  }
  HWND Control(int id) const { return GetDlgItem(window, id); }

  FakeShell shell;
  std::vector<QuickTimerRequest> chosen;
  std::unique_ptr<TForm7> form;
  HWND window = nullptr;
};

TEST_F(QuickTimerWindowTest, KeysAloneSetEachKindOfTimerOrNone) {
  struct Case {
    const wchar_t* keys;
    const char* refusal;  // the box shown on the way, if any
    const char* action;   // null: nothing chosen
    const char* text;
    When when;
    std::int32_t minutes, hour, minute;
  } const cases[] = {
      {L"\t\t45\r", nullptr, "关闭计算机", "", When::In, 45, 0, 0},
      // The arrow keys choose the action and move between the radio buttons.
      {L"↓\t↓\t\t07\t30\r", nullptr, "重启计算机", "", When::At, 0, 7, 30},
      // Typing a time of day chooses it without its radio button.
      {L"↓↓\t\t\t8\t05\r", nullptr, "注销计算机", "", When::At, 0, 8, 5},
      // The reminder's text is reachable once the reminder is chosen.
      {L"↓↓↓↓↓↓↓\t该走了\r", nullptr, "提醒", "该走了", When::In, 30, 0, 0},
      // Enter on a one-click choice fills the minutes; the next Enter is OK.
      {L"\t\t\t\t\t\t\t\t\r\r", nullptr, "关闭计算机", "", When::In, 90, 0, 0},
      // A refusal gives the focus back to the field with its text selected:
      // typed over, the field takes 4 digits no more.
      {L"\t\t1441\r5\r", "请输入 1 到 1440 之间的分钟数", "关闭计算机", "", When::In, 5, 0, 0},
      {L"\t\t45\x1b", nullptr, nullptr, "", When::In, 0, 0, 0},
  };
  for (const Case& c : cases) {
    Fresh();
    form->Show("");
    ASSERT_EQ(GetFocus(), Control(TForm7::IDC_COMBOBOX1));
    EXPECT_EQ(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST, WS_EX_TOPMOST);
    Press(c.keys);
    EXPECT_FALSE(IsWindowVisible(window)) << FromWide(c.keys);
    ASSERT_EQ(shell.boxes.size(), c.refusal ? 1u : 0u) << FromWide(c.keys);
    if (c.refusal) {
      EXPECT_EQ(shell.boxes[0].text, c.refusal);
      EXPECT_EQ(shell.boxes[0].caption, "提示");
      EXPECT_EQ(shell.boxes[0].flags & MB_ICONMASK, static_cast<std::uint32_t>(MB_ICONINFORMATION));
    }
    ASSERT_EQ(chosen.size(), c.action ? 1u : 0u) << FromWide(c.keys);
    if (!c.action) continue;
    const QuickTimerRequest& r = chosen[0];
    EXPECT_EQ(r.action, c.action);
    EXPECT_EQ(r.text, c.text);
    EXPECT_EQ(r.when, c.when);
    EXPECT_EQ(r.minutes, c.minutes);
    EXPECT_EQ(r.hour, c.hour);
    EXPECT_EQ(r.minute, c.minute);
  }
}

TEST_F(QuickTimerWindowTest, ATimerThatIsSetIsReplacedOnlyWhenTheAnswerIsYes) {
  form->Show("23:15 关机");
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerQuestion);
  answer = IDNO;
  Press(L"\r");
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], ToWide("已设置定时（23:15 关机），要替换它吗？"));
  EXPECT_TRUE(IsWindowVisible(window));
  EXPECT_TRUE(chosen.empty());

  answer = IDYES;
  Press(L"\r");
  KillTimer(nullptr, timer);
  EXPECT_EQ(questions.size(), 2u);
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].action, "关闭计算机");
  EXPECT_FALSE(IsWindowVisible(window));
}

RECT ClientRectOf(HWND control, HWND window) {
  RECT rect;
  GetWindowRect(control, &rect);
  MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

// The width a button or label needs for its text (the access key's "&" not
// drawn), with the radio button's circle or the push button's frame.
int NeededWidth(HWND control, int dpi) {
  WideString drawn = WindowText(control);
  drawn.erase(std::remove(drawn.begin(), drawn.end(), L'&'), drawn.end());
  HDC dc = GetDC(control);
  HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(control, WM_GETFONT, 0, 0)));
  SIZE size = {};
  GetTextExtentPoint32W(dc, drawn.c_str(), static_cast<int>(drawn.size()), &size);
  SelectObject(dc, old);
  ReleaseDC(control, dc);
  wchar_t name[16] = {};
  GetClassNameW(control, name, 16);
  if (lstrcmpiW(name, L"Button") != 0) return size.cx;
  const LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return size.cx + ScaleForDpi(type == BS_AUTORADIOBUTTON ? 18 : 6, dpi);
}

TEST_F(QuickTimerWindowTest, ControlsNeitherOverlapNorCutTheirTextsAtEitherDpiInEveryLanguage) {
  const auto expectFits = [&](int dpi, int language) {
    RECT client;
    GetClientRect(window, &client);
    std::vector<HWND> controls;
    for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) controls.push_back(c);
    ASSERT_EQ(controls.size(), 17u);
    for (std::size_t i = 0; i < controls.size(); ++i) {
      const RECT a = ClientRectOf(controls[i], window);
      const int id = GetDlgCtrlID(controls[i]);
      EXPECT_TRUE(a.left >= 0 && a.top >= 0 && a.right <= client.right && a.bottom <= client.bottom)
          << id << " at " << dpi << " in " << language;
      EXPECT_GE(a.right - a.left, NeededWidth(controls[i], dpi)) << id << " at " << dpi << " in " << language;
      for (std::size_t j = i + 1; j < controls.size(); ++j) {
        const RECT b = ClientRectOf(controls[j], window);
        RECT both;
        EXPECT_FALSE(IntersectRect(&both, &a, &b))
            << id << " and " << GetDlgCtrlID(controls[j]) << " at " << dpi << " in " << language;
      }
    }
  };
  for (Language language : {Language::Simplified, Language::English, Language::Traditional}) {
    SetLanguage(language);
    Fresh();
    form->Show("");
    const int dpi = WindowDpi(window);
    expectFits(dpi, static_cast<int>(language));
    const int newDpi = dpi == 144 ? 192 : 144;
    RECT suggested = CenteredWindowRectForClient(346, 184, GetWindowLongW(window, GWL_STYLE), 0, newDpi);
    SendMessageW(window, kDpiChangedMessage, MAKEWPARAM(newDpi, newDpi), reinterpret_cast<LPARAM>(&suggested));
    expectFits(newDpi, static_cast<int>(language));
  }
  SetLanguage(Language::Simplified);
}

// The same keys do the same in English, whose access keys are its own.
TEST_F(QuickTimerWindowTest, KeysAloneSetATimerInEnglishAndItsQuestionAsksInEnglish) {
  SetLanguage(Language::English);
  Fresh();
  form->Show("");
  Press(L"\t\t1441\r5\r");
  ASSERT_EQ(shell.boxes.size(), 1u);
  EXPECT_EQ(shell.boxes[0].text, Format(Text::QuickTimerMinutesRange, {"1440"}));
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].action, "关闭计算机");
  EXPECT_EQ(chosen[0].minutes, 5);

  Fresh();
  form->Show("");
  Press(L"↓↓↓↓↓↓↓\tTime to go\r");
  ASSERT_EQ(chosen.size(), 1u);
  EXPECT_EQ(chosen[0].action, "提醒");
  EXPECT_EQ(chosen[0].text, "Time to go");

  Fresh();
  form->Show("23:15 shutdown");
  questions.clear();
  answer = IDYES;
  const UINT_PTR timer = SetTimer(nullptr, 0, 50, AnswerQuestion);
  Press(L"\r");
  KillTimer(nullptr, timer);
  ASSERT_EQ(questions.size(), 1u);
  EXPECT_EQ(questions[0], ToWide(Format(Text::QuickTimerReplace, {"23:15 shutdown"})));
  EXPECT_EQ(chosen.size(), 1u);
  SetLanguage(Language::Simplified);
}

}  // namespace
}  // namespace velmaro
