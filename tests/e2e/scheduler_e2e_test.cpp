// The scheduler in the real program under Wine, on a store as an older
// install would have left it: tasks due in the current minute fire at the
// first tick, power tasks count down in the stay-on-top window and run once
// (recorded by the end-to-end build, never made), and the keyboard reaches
// the window's buttons as the dialog manager routes it.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "actions/reminder_window_win.h"
#include "app/form1_win.h"
#include "app/warning_window_win.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

// The countdown window's controls, and the reminder's text.
constexpr int kLabel1 = velmaro::TForm1::IDC_LABEL1;
constexpr int kLabel2 = velmaro::TForm1::IDC_LABEL2;
constexpr int kBitBtn1 = velmaro::TForm1::IDC_BITBTN1;
constexpr int kBitBtn2 = velmaro::TForm1::IDC_BITBTN2;
constexpr int kBitBtn3 = velmaro::TForm1::IDC_BITBTN3;
constexpr int kReminderText = velmaro::TForm6::IDC_LABEL1;
constexpr DWORD kTickMs = 10000;
constexpr DWORD kFirstTickMs = kTickMs;  // the first tick comes one period after start-up

// The minute in which the first tick of a program started now will fall,
// with at least `ticksAfter` more ticks of that minute after it; the clock is
// moved (or waited for) to a fitting moment if now is too late in its minute.
SYSTEMTIME FirstTickMinute(int ticksAfter) {
  for (;;) {
    const SYSTEMTIME tick = LocalTimeIn(kFirstTickMs + 2000);
    if (tick.wSecond >= 2 && tick.wSecond <= 50 - 10 * ticksAfter) return tick;
    WallClock::AdvanceToSecond(52);  // the first tick then comes at about second 4
  }
}

// The minute in which the first tick of a program started now will fall,
// late in that minute (second 50 to 55), so that the pause after an action
// it runs reaches past the next minute.
SYSTEMTIME LateFirstTickMinute() {
  for (;;) {
    const SYSTEMTIME tick = LocalTimeIn(kFirstTickMs + 2000);
    if (tick.wSecond >= 50 && tick.wSecond <= 55) return tick;
    WallClock::AdvanceToSecond(40);  // the first tick then comes at about second 52
  }
}

SYSTEMTIME PlusMinutes(SYSTEMTIME at, int minutes) {
  FILETIME file;
  SystemTimeToFileTime(&at, &file);
  ULARGE_INTEGER value;
  value.LowPart = file.dwLowDateTime;
  value.HighPart = file.dwHighDateTime;
  value.QuadPart += static_cast<ULONGLONG>(minutes) * 60 * 10000000;
  file.dwLowDateTime = value.LowPart;
  file.dwHighDateTime = value.HighPart;
  FileTimeToSystemTime(&file, &at);
  return at;
}

std::string Number(int value) { return std::to_string(value); }

std::string DailyAt(const SYSTEMTIME& at) { return "每天" + Number(at.wHour) + "时" + Number(at.wMinute) + "分"; }

// A once trigger as the task editor of an older install wrote it: the date
// in the user's short date format.
std::string OnceAt(const SYSTEMTIME& at) {
  return "一次" + ShortDate(at) + "日" + Number(at.wHour) + "时" + Number(at.wMinute) + "分";
}

void WriteStore(DWORD tishi, const std::vector<std::vector<std::string>>& tasks) {
  StoreWriter store;
  store.Dword(L"shutapp", 0);
  store.Text(L"soundpath", "");
  store.Dword(L"tishi", tishi);
  store.Dword(L"TaskNum", static_cast<DWORD>(tasks.size()));
  for (std::size_t i = 0; i < tasks.size(); ++i) store.Task(static_cast<int>(i + 1), tasks[i][0], tasks[i][1], tasks[i][2]);
}

HWND FocusOf(const Program& program) {
  GUITHREADINFO gui = {};
  gui.cbSize = sizeof gui;
  GetGUIThreadInfo(program.info.dwThreadId, &gui);
  return gui.hwndFocus;
}

std::string LastLine(const std::string& log) {
  std::size_t end = log.size() && log.back() == '\n' ? log.size() - 1 : log.size();
  std::size_t start = log.rfind('\n', end ? end - 1 : 0);
  return log.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

using SchedulerTest = E2eTest;

TEST_F(SchedulerTest, APowerTaskCountsDownAndRunsOnceBesideAReminderDueInTheSameTick) {
  // At least one more tick of the minute follows the end of the 5 s count: it
  // would start the countdown again if a task could run twice in its minute.
  const SYSTEMTIME due = FirstTickMinute(1);
  WriteStore(5, {{DailyAt(due), "关闭计算机", "关闭计算机"}, {OnceAt(due), "提醒", "该休息一下了。"}});
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, kFirstTickMs + 10000));
  EXPECT_EQ(WindowText(main), L"Windows 正在准备关机...");
  EXPECT_EQ(WindowText(GetDlgItem(main, kLabel1)), L"要想取消关机，请按下<取消关机>按钮:剩余");
  EXPECT_EQ(WindowText(GetDlgItem(main, kBitBtn1)), L"立即关机");
  EXPECT_EQ(WindowText(GetDlgItem(main, kBitBtn2)), L"取消关机");
  EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);

  std::vector<WideString> counted;
  WaitFor([&] {
    WideString label = WindowText(GetDlgItem(main, kLabel2));
    if (!label.empty() && (counted.empty() || counted.back() != label)) counted.push_back(label);
    return !IsWindowVisible(main);
  }, 15000);
  EXPECT_FALSE(IsWindowVisible(main));
  const std::vector<WideString> expected = {L"4 秒", L"3 秒", L"2 秒", L"1 秒", L"0 秒"};
  ASSERT_GE(counted.size(), 4u);
  ASSERT_LE(counted.size(), expected.size());
  EXPECT_TRUE(std::equal(counted.begin(), counted.end(), expected.begin())) << "counts down one second a tick";
  EXPECT_EQ(WindowText(GetDlgItem(main, kLabel2)), L"0 秒");
  // The window hides first; the record line is written before the power call.
  EXPECT_TRUE(WaitFor([&] { return PowerLog() == "ExitWindowsEx(12, 0)\n"; }, 5000)) << PowerLog();

  // The next tick, and the length of a countdown it could have started.
  Sleep(kTickMs + 7000);
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(PowerLog(), "ExitWindowsEx(12, 0)\n");
  const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
  ASSERT_EQ(reminders.ofClass.size(), 1u);
  EXPECT_TRUE(IsWindowVisible(reminders.ofClass[0]));
  EXPECT_EQ(WindowText(GetDlgItem(reminders.ofClass[0], kReminderText)), L"该休息一下了。");
  EXPECT_EQ(LastLine(TrayLog()), "Add MAINICON Velmaro-启用") << "monitoring stays on";

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(SchedulerTest, EscCancelsTheCountdownAndLeavesMonitoringOff) {
  WriteStore(30, {{DailyAt(FirstTickMinute(0)), "关闭计算机", ""}});
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, kFirstTickMs + 10000));

  // The cancel button holds the focus when the window shows for the first time.
  HWND focus = nullptr;
  EXPECT_TRUE(WaitFor([&] { return (focus = FocusOf(program)) == GetDlgItem(main, kBitBtn2); }, 3000));
  PostMessageW(focus ? focus : main, WM_KEYDOWN, VK_ESCAPE, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  EXPECT_TRUE(WaitFor([&] { return LastLine(TrayLog()) == "Modify DISSHUT Velmaro-禁用"; }, 3000)) << TrayLog();
  Sleep(2000);
  EXPECT_EQ(PowerLog(), "");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

// The cancel button is focused and is the default button.
bool CancelHoldsTheKeys(const Program& program, HWND main) {
  const LRESULT defId = SendMessageW(main, DM_GETDEFID, 0, 0);
  return FocusOf(program) == GetDlgItem(main, kBitBtn2) && HIWORD(defId) == DC_HASDEFID &&
         LOWORD(defId) == kBitBtn2;
}

TEST_F(SchedulerTest, TabThenEnterExecutesNowAndTheNextCountdownOpensOnCancel) {
  const SYSTEMTIME due = FirstTickMinute(0);
  WriteStore(30, {{DailyAt(due), "重启计算机", ""}, {DailyAt(PlusMinutes(due, 1)), "关闭计算机", ""}});
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, kFirstTickMs + 10000));
  ASSERT_TRUE(WaitFor([&] { return FocusOf(program) == GetDlgItem(main, kBitBtn2); }, 3000));

  PostMessageW(FocusOf(program), WM_KEYDOWN, VK_TAB, 0);
  ASSERT_TRUE(WaitFor([&] { return FocusOf(program) == GetDlgItem(main, kBitBtn1); }, 3000));
  PostMessageW(FocusOf(program), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor([&] { return PowerLog() == "ExitWindowsEx(6, 0)\n"; }, 5000)) << PowerLog();
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(TrayLog().find("DISSHUT"), std::string::npos);

  // The next minute's countdown: Enter now would cancel, not power off.
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 75000));
  EXPECT_EQ(WindowText(main), L"Windows 正在准备关机...");
  EXPECT_TRUE(WaitFor([&] { return CancelHoldsTheKeys(program, main); }, 3000));
  PostMessageW(FocusOf(program), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  Sleep(1000);
  EXPECT_EQ(PowerLog(), "ExitWindowsEx(6, 0)\n");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

// P opens the postpone menu and 5 picks five minutes (seconds in this build):
// nothing runs now, the tip says when it comes back, and then the same
// countdown runs once.
TEST_F(SchedulerTest, PostponedByKeyboardTheTaskCountsDownOnceMoreLater) {
  WriteStore(5, {{DailyAt(FirstTickMinute(0)), "关闭计算机", ""}});
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, kFirstTickMs + 10000));
  EXPECT_EQ(WindowText(GetDlgItem(main, kBitBtn3)), L"推迟(&P)");
  ASSERT_TRUE(WaitFor([&] { return CancelHoldsTheKeys(program, main); }, 3000));

  Press('P');
  ASSERT_TRUE(WaitFor([] { return VisibleMenu() != nullptr; }, 3000)) << "the postpone menu";
  Press('5');
  ASSERT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 3000));
  // The tip changes just after the window hides, not before.
  const std::string shown = "Modify MAINICON Velmaro-启用：";
  std::string tip;
  EXPECT_TRUE(WaitFor([&] { return (tip = LastLine(TrayLog())).compare(0, shown.size(), shown) == 0; }, 3000)) << tip;
  EXPECT_EQ(tip.substr(tip.size() < 5 ? 0 : tip.size() - 5), " 关机") << tip;
  EXPECT_EQ(PowerLog(), "");

  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 5000 + kTickMs + 5000)) << "back after 5";
  EXPECT_TRUE(WaitFor([] { return LastLine(TrayLog()) == "Modify MAINICON Velmaro-启用"; }, 3000)) << TrayLog();
  EXPECT_TRUE(WaitFor([&] { return PowerLog() == "ExitWindowsEx(12, 0)\n"; }, 15000)) << PowerLog();
  Sleep(kTickMs + 2000);
  EXPECT_EQ(PowerLog(), "ExitWindowsEx(12, 0)\n") << "postponed once, run once";

  const WideString record = RunRecordText();
  const std::size_t postponed = record.rfind(L"\t关闭计算机\t推迟 5 分钟\r\n");
  ASSERT_NE(postponed, WideString::npos) << "record: " << record.size() << " characters";
  EXPECT_NE(record.find(L"\t关闭计算机\t已执行\r\n", postponed), WideString::npos);

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

// Milliseconds from now to `at` (local time), 0 when it has passed.
DWORD MsUntil(SYSTEMTIME at) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  const LONGLONG ticks = FileTicks(at) - FileTicks(now);
  return ticks > 0 ? static_cast<DWORD>(ticks / 10000) : 0;
}

// `seconds` before `at`, or now if that has passed.
SYSTEMTIME SecondsBefore(SYSTEMTIME at, int seconds) {
  const DWORD ms = MsUntil(at);
  const DWORD before = static_cast<DWORD>(seconds) * 1000;
  return LocalTimeIn(ms > before ? ms - before : 0);
}

// A balloon ahead of a shut-down task, read from the tray: two minutes ahead,
// or one if a slow start put the first tick in the next minute. A click on it
// opens the warning window, whose S skips this occurrence only.
TEST_F(SchedulerTest, AWarningBalloonComesAheadAndItsWindowSkipsTheOccurrence) {
  SYSTEMTIME due = PlusMinutes(FirstTickMinute(0), 2);
  due.wSecond = 0;
  due.wMilliseconds = 0;
  WriteStore(30, {{DailyAt(due), "关闭计算机", ""}});
  StoreWriter().Dword(L"tiqian", 2);
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  std::string balloon;
  ASSERT_TRUE(WaitFor([&] {
    for (const char* text : {"2 分钟后将关闭计算机", "1 分钟后将关闭计算机"}) {
      if (TrayLog().find(std::string("Balloon ") + text + "\n") != std::string::npos) balloon = text;
    }
    return !balloon.empty();
  }, MsUntil(due))) << TrayLog();

  PostMessageW(main, velmaro_e2e::kWmTrayIcon, 100, WM_USER + 5);  // the shell's NIN_BALLOONUSERCLICK
  HWND warning = nullptr;
  ASSERT_TRUE(WaitFor([&] {
    const Windows windows = WindowsOf(program.info.dwProcessId, L"TForm4");
    warning = windows.ofClass.empty() ? nullptr : windows.ofClass[0];
    return warning && IsWindowVisible(warning);
  }, 5000));
  EXPECT_EQ(WindowText(GetDlgItem(warning, velmaro::TForm4::IDC_LABEL1)), Wide(balloon));
  EXPECT_TRUE(WaitFor([&] { return FocusOf(program) == GetDlgItem(warning, velmaro::TForm4::IDC_BUTTON2); }, 3000));
  Press('S');
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(warning); }, 3000));
  EXPECT_NE(RunRecordText().find(L"\t关闭计算机\t本次不执行\r\n"), WideString::npos);

  // Its minute comes and goes without a countdown: the clock is put just
  // before it, and the first tick within it is the one to look at.
  WallClock::AdvanceTo(SecondsBefore(due, 5));
  EXPECT_FALSE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, MsUntil(due) + kTickMs + 3000));
  EXPECT_EQ(PowerLog(), "");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

// Started in the last seconds of a task's minute, the program runs it at its
// first tick, in the next minute: that tick looked at its own minute only.
TEST_F(SchedulerTest, ATaskOfTheMinuteTheProgramStartsInRunsAtTheFirstTick) {
  for (int attempt = 0; attempt < 3; ++attempt) {
    // Started at second 52 or later, the first tick comes in the next minute.
    WallClock::AdvanceToSecond(52);
    const SYSTEMTIME start = LocalTimeIn(0);
    WriteStore(60, {{DailyAt(start), "提醒", "开机这一分钟"}});
    Program program;
    HWND main = program.Launch();
    ASSERT_NE(main, nullptr);
    if (LocalTimeIn(0).wMinute != start.wMinute) {  // too slow a start proves nothing
      PostMessageW(main, WM_CLOSE, 0, 0);
      program.ExitCode(10000);
      continue;
    }
    ASSERT_TRUE(WaitFor([&] { return Reminders(program) == 1; }, kFirstTickMs + 10000)) << TrayLog();
    // The line follows the window by a moment.
    EXPECT_TRUE(WaitFor([] { return RunRecordText().find(L"\t提醒\t迟了 1 分钟执行") != WideString::npos; }, 5000))
        << "run in the next minute";
    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(10000), 0u);
    return;
  }
  FAIL() << "the program did not start within the last seconds of a minute";
}

// Three reminders in consecutive minutes, the first acted on late in its
// minute, so that the pause after it reaches past the second's minute; then
// a countdown that a suspend interrupts.
TEST_F(SchedulerTest, MinutesInAPauseAreCaughtUpAndASuspendEndsTheCountdown) {
  const SYSTEMTIME first = LateFirstTickMinute();
  const SYSTEMTIME second = PlusMinutes(first, 1);
  const SYSTEMTIME third = PlusMinutes(first, 2);
  WriteStore(60, {{DailyAt(first), "提醒", "一"},
                  {DailyAt(second), "提醒", "二"},
                  {DailyAt(third), "提醒", "三"},
                  {DailyAt(third), "关闭计算机", ""}});
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  // 一 at second 50 or later, then a pause of 70 s: 二 and 三 in the tick of the
  // third minute, with the countdown.
  const bool shown = WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 3 * 60000);
  const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
  ASSERT_TRUE(shown) << reminders.ofClass.size() << " reminders; tray: " << TrayLog() << "; first minute "
                     << first.wHour << ":" << first.wMinute << ":" << first.wSecond;
  std::vector<WideString> texts;
  for (HWND reminder : reminders.ofClass) texts.push_back(WindowText(GetDlgItem(reminder, kReminderText)));
  std::sort(texts.begin(), texts.end());
  std::vector<WideString> expected = {L"一", L"二", L"三"};
  std::sort(expected.begin(), expected.end());
  EXPECT_EQ(texts, expected) << "each reminder once";
  EXPECT_TRUE(WaitFor([&] { return CancelHoldsTheKeys(program, main); }, 3000));

  PostMessageW(main, WM_POWERBROADCAST, PBT_APMSUSPEND, 0);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(main); }, 5000));
  PostMessageW(main, WM_POWERBROADCAST, PBT_APMRESUMEAUTOMATIC, 0);
  EXPECT_TRUE(WaitFor([&] { return LastLine(TrayLog()) == "Balloon 电脑睡眠时关机倒计时已取消"; }, 5000)) << TrayLog();
  Sleep(2000);
  EXPECT_EQ(PowerLog(), "") << "nothing run";
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_EQ(TrayLog().find("DISSHUT"), std::string::npos) << "monitoring stays on";

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

// A watched program, a copy of a test helper under a name of its own, runs
// when the program starts and is ended by the test: its reminder shows once,
// and never while the helper still runs.
TEST_F(SchedulerTest, AReminderOnAProgramsEndShowsOnceWhenItsLastCopyEnds) {
  const WideString helper = BesideThisExe(L"velmaro_watched.exe");
  ASSERT_TRUE(CopyFileW(BesideThisExe(L"velmaro_sleeper.exe").c_str(), helper.c_str(), FALSE));
  WideString command = L"\"" + helper + L"\" 600000";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION watched = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &watched));
  WriteStore(60, {{"程序结束velmaro_watched.exe", "提醒", "下载完了。"}});
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  // Two ticks see the helper running.
  Sleep(kFirstTickMs + kTickMs + 2000);
  EXPECT_TRUE(WindowsOf(program.info.dwProcessId, L"TForm6").ofClass.empty()) << "the program still runs";
  TerminateProcess(watched.hProcess, 0);
  WaitForSingleObject(watched.hProcess, 10000);
  CloseHandle(watched.hThread);
  CloseHandle(watched.hProcess);

  // A program counts as ended once it has been gone for 30 s.
  EXPECT_TRUE(WaitFor([&] { return !WindowsOf(program.info.dwProcessId, L"TForm6").ofClass.empty(); },
                      30000 + kTickMs + 10000));
  // The pause after the reminder, and two ticks after it.
  Sleep(60000 + 2 * kTickMs + 2000);
  const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
  ASSERT_EQ(reminders.ofClass.size(), 1u) << "once";
  EXPECT_EQ(WindowText(GetDlgItem(reminders.ofClass[0], kReminderText)), L"下载完了。");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
  DeleteFileW(helper.c_str());
}

}  // namespace
