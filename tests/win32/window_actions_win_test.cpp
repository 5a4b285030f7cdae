// Reminder windows, asking other programs to close and switching the monitor
// off, with real windows under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <sstream>

#include "actions/close_other_windows.h"
#include "actions/power_actions.h"
#include "actions/reminder_window_win.h"
#include "base/text_win.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

RECT ScreenRectOf(HWND window) {
  RECT rect;
  GetWindowRect(window, &rect);
  return rect;
}

TEST(Win32ShowReminder, EachCallShowsANewTopmostWindowWithItsText) {
  ReminderWindows reminders(nullptr);
  reminders.ShowReminder("该休息了");
  HWND first = reminders.Form6()->Handle();
  const std::string longText(300, 'W');
  reminders.ShowReminder(longText);
  HWND second = reminders.Form6()->Handle();

  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  for (HWND window : {first, second}) {
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_TRUE(GetWindowLongW(window, GWL_EXSTYLE) & WS_EX_TOPMOST);
    EXPECT_EQ(WindowText(window), ToWide("提示"));
    EXPECT_EQ(WindowText(GetDlgItem(window, TForm6::IDC_BUTTON1)), ToWide("确定"));
  }
  EXPECT_EQ(WindowText(GetDlgItem(first, TForm6::IDC_LABEL1)), ToWide("该休息了"));
  EXPECT_EQ(WindowText(GetDlgItem(second, TForm6::IDC_LABEL1)), ToWide(longText));

  // A text wider than the window stays on one line and runs past the edge.
  RECT shortLabel = ScreenRectOf(GetDlgItem(first, TForm6::IDC_LABEL1));
  RECT longLabel = ScreenRectOf(GetDlgItem(second, TForm6::IDC_LABEL1));
  RECT frame = ScreenRectOf(second);
  EXPECT_EQ(longLabel.bottom - longLabel.top, shortLabel.bottom - shortLabel.top);
  EXPECT_GT(longLabel.right, frame.right);

  // OK and the close box hide a reminder; the other one stays.
  SendMessageW(GetDlgItem(second, TForm6::IDC_BUTTON1), BM_CLICK, 0, 0);
  EXPECT_FALSE(IsWindowVisible(second));
  EXPECT_TRUE(IsWindowVisible(first));
  SendMessageW(first, WM_CLOSE, 0, 0);
  EXPECT_FALSE(IsWindowVisible(first));

  // The next reminder releases the closed ones; an open one stays.
  reminders.ShowReminder("third");
  HWND third = reminders.Form6()->Handle();
  reminders.ShowReminder("fourth");
  EXPECT_FALSE(IsWindow(first) || IsWindow(second));
  EXPECT_TRUE(IsWindowVisible(third));
  EXPECT_EQ(reminders.Count(), 2u);
}

// The real enumeration, narrowed to the windows of the processes a test
// owns: asking every program of the shared Wine prefix to close would close
// the windows of other tests.
class OnlyProcesses : public ProcessService {
 public:
  OnlyProcesses(ProcessService& system, std::set<std::uint32_t> processIds)
      : system_(system), processIds_(std::move(processIds)) {}
  std::vector<ProcessEntry> Processes() override { return system_.Processes(); }
  void Terminate(std::uint32_t processId) override { system_.Terminate(processId); }
  std::u16string SystemName(const std::string& text) override { return system_.SystemName(text); }
  std::string CodePageName(const std::u16string& name) override { return system_.CodePageName(name); }
  std::string CommandInterpreterPath() override { return system_.CommandInterpreterPath(); }
  RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs) override {
    return system_.RunHidden(commandLine, timeoutMs);
  }
  bool HiddenRunStillRunning() override { return system_.HiddenRunStillRunning(); }
  bool StartUnicodeText(const std::string& path) override { return system_.StartUnicodeText(path); }
  std::vector<WindowFacts> TopLevelWindows() override {
    std::vector<WindowFacts> windows = system_.TopLevelWindows();
    windows.erase(std::remove_if(windows.begin(), windows.end(),
                                 [&](const WindowFacts& w) { return processIds_.count(w.processId) == 0; }),
                  windows.end());
    return windows;
  }
  WindowHandle DesktopWindow() override { return system_.DesktopWindow(); }
  std::vector<WindowHandle> ShellWindows() override { return system_.ShellWindows(); }
  std::uint32_t WindowProcessId(WindowHandle window) override { return system_.WindowProcessId(window); }
  void PostClose(WindowHandle window) override { system_.PostClose(window); }

 private:
  ProcessService& system_;
  std::set<std::uint32_t> processIds_;
};

bool ownWindowAskedToClose = false;

LRESULT CALLBACK OwnWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CLOSE) {
    ownWindowAskedToClose = true;
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

std::vector<std::string> Lines(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream stream(text);
  for (std::string line; std::getline(stream, line);) lines.push_back(line);
  return lines;
}

class Win32CloseOtherWindows : public ::testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc = {};
    wc.lpfnWndProc = &OwnWindowProc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"VelmaroCloseTestOwn";
    RegisterClassW(&wc);
    mainWindow = CreateWindowExW(0, wc.lpszClassName, L"Velmaro own window", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 0,
                                 0, 200, 100, nullptr, nullptr, wc.hInstance, nullptr);
    ownWindowAskedToClose = false;
  }
  void TearDown() override {
    if (helper.hProcess) {
      TerminateProcess(helper.hProcess, 1);
      WaitForSingleObject(helper.hProcess, 5000);
      CloseHandle(helper.hThread);
      CloseHandle(helper.hProcess);
    }
    DestroyWindow(mainWindow);
    RemoveScratchFolder(folder);
  }

  HWND mainWindow = nullptr;
  WideString folder = MakeScratchFolder(L"velmaro windows");
  PROCESS_INFORMATION helper = {};
};

TEST_F(Win32CloseOtherWindows, PostsCloseOnlyToOtherProgramsTitledMainWindows) {
  ASSERT_TRUE(mainWindow);
  const WideString log = folder + L"closed.txt";
  WideString line = L"\"" + TestExeFolder() + L"velmaro_window_owner.exe\" \"" + log + L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &helper));
  for (int i = 0; i < 100 && Lines(ReadWholeFile(log)).empty(); ++i) Sleep(50);
  ASSERT_EQ(Lines(ReadWholeFile(log)), std::vector<std::string>{"ready"});

  auto system = MakeSystemProcesses();
  OnlyProcesses scope(*system, {GetCurrentProcessId(), helper.dwProcessId});
  CloseOtherWindows(scope, reinterpret_cast<WindowHandle>(mainWindow));
  // Posted after the closes to the same thread, so it is handled after them.
  PostMessageW(FindWindowW(L"VelmaroWindowOwner", L"Velmaro test titled"), WM_APP, 0, 0);
  EXPECT_EQ(WaitForSingleObject(helper.hProcess, 10000), WAIT_OBJECT_0);

  std::vector<std::string> closed = Lines(ReadWholeFile(log));
  ASSERT_GE(closed.size(), 2u);
  EXPECT_EQ(closed.front(), "ready");
  EXPECT_EQ(closed.back(), "end");
  std::set<std::string> asked(closed.begin() + 1, closed.end() - 1);
  EXPECT_EQ(asked, (std::set<std::string>{"titled", "minimised", "hidden-minimised"}));

  MSG msg;
  while (PeekMessageW(&msg, mainWindow, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  EXPECT_FALSE(ownWindowAskedToClose);
}

DWORD WINAPI TurnMonitorOffThread(LPVOID power) {
  TurnMonitorOff(*static_cast<PowerService*>(power));
  return 0;
}

// The broadcast runs on a thread of its own, so that one that never returns
// fails the test instead of hanging it. If it has not returned within
// `boundMs`, `helper` is ended, which sets the broadcast free.
bool MonitorOffReturnsWithin(PowerService& power, DWORD boundMs, HANDLE helper) {
  HANDLE thread = CreateThread(nullptr, 0, &TurnMonitorOffThread, &power, 0, nullptr);
  const bool returned = WaitForSingleObject(thread, boundMs) == WAIT_OBJECT_0;
  if (!returned) TerminateProcess(helper, 1);
  WaitForSingleObject(thread, 10000);
  CloseHandle(thread);
  return returned;
}

TEST(Win32TurnMonitorOff, ReturnsWhileAWindowOfAnotherProgramHangs) {
  WideString line = L"\"" + TestExeFolder() + L"velmaro_hung_window.exe\" 60000";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION helper = {};
  ASSERT_TRUE(CreateProcessW(nullptr, &line[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &helper));
  HWND hung = nullptr;
  for (int i = 0; i < 200 && !hung; ++i, Sleep(50)) hung = FindWindowW(L"VelmaroHungWindow", nullptr);
  ASSERT_TRUE(hung);

  // Only an upper bound, and a wide one: a wait that never ends is the fault.
  constexpr DWORD kBoundMs = 20000;
  auto power = MakeSystemPower();
  // Stopped only just now: the time-out ends the wait for it.
  EXPECT_TRUE(MonitorOffReturnsWithin(*power, kBoundMs, helper.hProcess));
  for (int i = 0; i < 300 && !IsHungAppWindow(hung); ++i) Sleep(50);
  EXPECT_TRUE(IsHungAppWindow(hung));
  // Hung for good: skipped.
  EXPECT_TRUE(MonitorOffReturnsWithin(*power, kBoundMs, helper.hProcess));

  TerminateProcess(helper.hProcess, 1);
  WaitForSingleObject(helper.hProcess, 5000);
  CloseHandle(helper.hThread);
  CloseHandle(helper.hProcess);
}

}  // namespace
}  // namespace velmaro
