// The command line against the real program: a command from a console is
// handed to the copy that runs and answered before the sender exits; with
// no copy running, the task commands work on the store alone.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "app/form1_win.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

constexpr int kBitBtn1 = velmaro::TForm1::IDC_BITBTN1;

struct Ran {
  DWORD code = STILL_ACTIVE;
  std::string output;  // standard output and error, as the console's code page has them
};

// Runs the program with `arguments` as a console would, its output
// redirected into a file, and waits for it to end.
Ran RunCommand(const WideString& arguments, DWORD ms = 30000) {
  Ran ran;
  const WideString outPath = BesideThisExe(L"command-output.txt");
  SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
  HANDLE out = CreateFileW(outPath.c_str(), GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, &inherit,
                           CREATE_ALWAYS, 0, nullptr);
  if (out == INVALID_HANDLE_VALUE) return ran;
  WideString command = L"\"" + BesideThisExe(L"VelmaroE2E.exe") + L"\" " + arguments;
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = GetStdHandle(STD_INPUT_HANDLE);
  startup.hStdOutput = out;
  startup.hStdError = out;
  PROCESS_INFORMATION info = {};
  if (CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr, nullptr, &startup, &info)) {
    if (WaitForSingleObject(info.hProcess, ms) == WAIT_OBJECT_0) GetExitCodeProcess(info.hProcess, &ran.code);
    else TerminateProcess(info.hProcess, 1);
    CloseHandle(info.hThread);
    CloseHandle(info.hProcess);
  }
  CloseHandle(out);
  if (FILE* in = _wfopen(outPath.c_str(), L"rb")) {
    char buffer[4096];
    for (std::size_t n; (n = std::fread(buffer, 1, sizeof buffer, in)) > 0;) ran.output.append(buffer, n);
    std::fclose(in);
  }
  return ran;
}

std::string TwoDigits(int n) { return std::string(1, static_cast<char>('0' + n / 10)) + static_cast<char>('0' + n % 10); }

using CommandLineTest = E2eTest;

TEST_F(CommandLineTest, ATimerFromTheConsoleCountsDownAtItsMinuteAndCancelReturnsDoneThenNothing) {
  StoreWriter store;
  store.Dword(L"tishi", 5);
  store.Dword(L"TaskNum", 0);
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  Ran set = RunCommand(L"/shutdown /in 1");
  EXPECT_EQ(set.code, 0u) << set.output;
  EXPECT_TRUE(WaitFor([] { return TrayLog().find(" Velmaro-启用：定时 ") != std::string::npos; }, 5000)) << TrayLog();
  EXPECT_NE(TrayLog().find(" 关机"), std::string::npos) << "the tip names the action";
  EXPECT_EQ(RunCommand(L"/cancel").code, 0u);
  EXPECT_EQ(RunCommand(L"-CANCEL").code, 2u) << "nothing left to cancel";

  // At a clock time: the clock moved to just before it.
  const SYSTEMTIME at = LocalTimeIn(2 * 60 * 1000);
  const WideString hhmm = Wide(TwoDigits(at.wHour) + ":" + TwoDigits(at.wMinute));
  Ran restart = RunCommand(L"/restart /at " + hhmm);
  ASSERT_EQ(restart.code, 0u) << restart.output;
  SYSTEMTIME before = at;
  before.wSecond = 0;
  before.wMilliseconds = 0;
  WallClock::AdvanceTo(before);
  ASSERT_TRUE(WaitFor([&] { return IsWindowVisible(main) != FALSE; }, 140000)) << "the countdown at its minute";
  EXPECT_EQ(WindowText(GetDlgItem(main, kBitBtn1)), L"立即重启");
  SYSTEMTIME shown;
  GetLocalTime(&shown);
  EXPECT_EQ(shown.wMinute, at.wMinute);
  EXPECT_TRUE(WaitFor([] { return PowerLog() == "ExitWindowsEx(6, 0)\n"; }, 15000)) << PowerLog();
  // The record line follows the call.
  EXPECT_TRUE(WaitFor([] { return RunRecordText().find(L"\t定时\t重启\t已执行") != WideString::npos; }, 5000))
      << "the record names the timer by what it did";
}

TEST_F(CommandLineTest, TaskCommandsWorkOnTheStoreAloneAndABadTriggerIsRefusedInTheEditorsWords) {
  StoreWriter store;
  store.Dword(L"tishi", 30);
  store.Dword(L"TaskNum", 1);
  store.Task(1, "每天8时0分", "提醒", "standup, 9:00");

  Ran list = RunCommand(L"/list /csv");
  EXPECT_EQ(list.code, 0u) << list.output;
  EXPECT_NE(list.output.find("\"standup, 9:00\""), std::string::npos) << list.output;
  // Redirected, the output is in the console's code page: on a Chinese
  // Windows the stored texts read as they are.
  if (GetOEMCP() == 936) EXPECT_NE(list.output.find("每天8时0分,提醒"), std::string::npos) << list.output;

  Ran added = RunCommand(L"/add " + Wide("空闲30分钟") + L" remind \"stretch\"");
  EXPECT_EQ(added.code, 0u) << added.output;
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 2u);
  EXPECT_NE(RunCommand(L"/list").output.find("stretch"), std::string::npos);

  Ran bad = RunCommand(L"/add " + Wide("每天25时0分") + L" shutdown");
  EXPECT_EQ(bad.code, 3u) << bad.output;
  EXPECT_FALSE(bad.output.empty()) << "the refusal says why";
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 2u) << "nothing stored";

  EXPECT_EQ(RunCommand(L"/frobnicate").code, 1u);
  EXPECT_EQ(RunCommand(L"/delete 7").code, 3u);
  EXPECT_EQ(RunCommand(L"/delete 1").code, 0u);
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 1u);
  EXPECT_EQ(FindWindowW(kMainClass, nullptr), nullptr) << "no task command starts the program";
}

TEST_F(CommandLineTest, TheQuickTimersDialogIsUsedByKeyboardAlone) {
  StoreWriter store;
  store.Dword(L"tishi", 30);
  store.Dword(L"TaskNum", 0);
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, Command(velmaro::MenuItem::N24), 0);
  HWND dialog = nullptr;
  ASSERT_TRUE(WaitFor([&] { return (dialog = FindWindowW(L"TForm7", nullptr)) && IsWindowVisible(dialog); }, 5000));
  SetForegroundWindow(dialog);
  Sleep(300);
  // From the action list over the minutes' radio button to the minutes.
  Press(VK_TAB);
  Press(VK_TAB);
  Press('4');
  Press('5');
  Press(VK_RETURN);
  EXPECT_TRUE(WaitFor([&] { return !IsWindowVisible(dialog); }, 5000));
  EXPECT_EQ(ReadStoreValue(L"QuickTimer").type, static_cast<DWORD>(REG_SZ)) << "the timer is set and kept";
  Ran status = RunCommand(L"/status");
  EXPECT_EQ(status.code, 0u);
  EXPECT_NE(status.output.find(':'), std::string::npos) << status.output;
}

}  // namespace
