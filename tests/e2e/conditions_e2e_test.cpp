// The condition kinds in the real program under Wine: a network task stored
// before start waits for the network to have been busy, and a watched
// program that hands over to a new copy of itself has not ended. Neither
// depends on the locale, so they run once.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "actions/reminder_window_win.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

constexpr DWORD kTickMs = 10000;
constexpr int kReminderText = velmaro::TForm6::IDC_LABEL1;

class ConditionsTest : public E2eTest {
 protected:
  void Store(const std::string& trigger) {
    StoreWriter store;
    store.Dword(L"shutapp", 0);
    store.Text(L"soundpath", "");
    store.Dword(L"tishi", 60);
    store.Dword(L"TaskNum", 1);
    store.Task(1, trigger, "提醒", "完成了。");
  }
};

struct Helper {
  PROCESS_INFORMATION info = {};
  explicit Helper(const WideString& exe) {
    WideString command = L"\"" + exe + L"\" 600000";
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &info);
  }
  void End() {
    if (!info.hProcess) return;
    TerminateProcess(info.hProcess, 0);
    WaitForSingleObject(info.hProcess, 10000);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
    info = {};
  }
  ~Helper() { End(); }
};

TEST_F(ConditionsTest, ANetworkQuietReminderStoredBeforeStartStaysSilentWhileNothingWasBusy) {
  // Below 1 GB/s for a minute: quiet from the first reading on, and never busy.
  Store("网络空闲1分钟1048576KB");
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  // The first tick, then a quiet minute and two ticks more.
  Sleep(kTickMs + 60000 + 2 * kTickMs + 2000);
  EXPECT_EQ(Reminders(program), 0u) << "nothing was downloading, so nothing has finished";
  EXPECT_TRUE(program.Running());
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(ConditionsTest, AProgramThatHandsOverToANewCopyWithinTenSecondsHasNotEnded) {
  const WideString exe = BesideThisExe(L"velmaro_updater.exe");
  ASSERT_TRUE(CopyFileW(BesideThisExe(L"velmaro_sleeper.exe").c_str(), exe.c_str(), FALSE));
  Helper first(exe);
  ASSERT_NE(first.info.hProcess, nullptr);
  Store("程序结束velmaro_updater.exe");
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  Sleep(kTickMs + kTickMs + 2000);  // two ticks see it running

  // The updater ends and its new copy starts 8 s later.
  first.End();
  Sleep(8000);
  Helper second(exe);
  ASSERT_NE(second.info.hProcess, nullptr);
  Sleep(6 * kTickMs);
  EXPECT_EQ(Reminders(program), 0u) << "a hand-over is no end";

  // The new copy ends for good: the reminder shows once it has been gone 30 s.
  second.End();
  Sleep(2 * kTickMs);
  EXPECT_EQ(Reminders(program), 0u) << "gone for less than 30 s";
  // The window is there a moment before its text.
  EXPECT_TRUE(WaitFor([&] {
    const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
    return !reminders.ofClass.empty() && !WindowText(GetDlgItem(reminders.ofClass[0], kReminderText)).empty();
  }, 3 * kTickMs + 5000));
  const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
  ASSERT_EQ(reminders.ofClass.size(), 1u);
  EXPECT_EQ(WindowText(GetDlgItem(reminders.ofClass[0], kReminderText)), L"完成了。");

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
  DeleteFileW(exe.c_str());
}

}  // namespace
