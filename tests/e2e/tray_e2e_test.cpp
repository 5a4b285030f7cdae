// The tray menu's commands in the real program under Wine: the power, drive
// and display items act at once (recorded by the end-to-end build, never
// made), also with monitoring off; About opens a window per use; Exit removes
// the icon and ends the program; a re-created taskbar gets the icon back as
// it was.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

using velmaro::MenuItem;
// Menu command ids, as the tray menu sends them.
constexpr UINT kMonitoring = Command(MenuItem::n1), kLogOff = Command(MenuItem::n6), kStandBy = Command(MenuItem::n7),
               kHibernate = Command(MenuItem::n8), kRestart = Command(MenuItem::n9), kPowerOff = Command(MenuItem::n10),
               kOpenTray = Command(MenuItem::n11), kCloseTray = Command(MenuItem::n12),
               kMonitorOff = Command(MenuItem::n13), kAbout = Command(MenuItem::n15),
               kFastRestart = Command(MenuItem::n18), kFastPowerOff = Command(MenuItem::n19);

std::string LastLine(const std::string& log) {
  const std::size_t end = log.empty() ? 0 : log.size() - 1;
  const std::size_t start = end == 0 ? std::string::npos : log.rfind('\n', end - 1);
  return log.substr(start == std::string::npos ? 0 : start + 1, end - (start == std::string::npos ? 0 : start + 1));
}

using TrayTest = E2eTest;

TEST_F(TrayTest, PowerDriveAndDisplayItemsActAtOnceAlsoWithMonitoringOff) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kMonitoring, 0);
  ASSERT_TRUE(WaitFor([] { return LastLine(TrayLog()) == "Modify DISSHUT Velmaro-禁用"; }, 5000)) << TrayLog();

  for (UINT command : {kLogOff, kStandBy, kHibernate, kRestart, kPowerOff, kFastRestart, kFastPowerOff, kOpenTray,
                       kCloseTray, kMonitorOff}) {
    PostMessageW(main, WM_COMMAND, command, 0);
  }
  const std::string window = std::to_string(reinterpret_cast<std::uintptr_t>(main));
  const std::string expected = "ExitWindowsEx(4, 0)\n"
                               "SetSystemPowerState(-1, -1)\n"
                               "SetSystemPowerState(0, -1)\n"
                               "ExitWindowsEx(6, 0)\n"
                               "ExitWindowsEx(12, 0)\n"
                               "NtShutdownSystem(1)\n"
                               "NtShutdownSystem(2)\n"
                               "mciSendString(\"Set cdaudio door open wait\", " + window + ")\n"
                               "mciSendString(\"Set cdaudio door closed wait\", " + window + ")\n"
                               "SendMessageTimeout(HWND_BROADCAST, 274, 61808, 2, 2, 1000)\n";
  EXPECT_TRUE(WaitFor([&] { return PowerLog() == expected; }, 10000)) << PowerLog();
  EXPECT_FALSE(IsWindowVisible(main)) << "no countdown";
  EXPECT_EQ(LastLine(TrayLog()), "Modify DISSHUT Velmaro-禁用") << "monitoring stays as it was";

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(TrayTest, AboutTwiceGivesTwoWindows) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kAbout, 0);
  PostMessageW(main, WM_COMMAND, kAbout, 0);
  auto visibleAbouts = [&] {
    int count = 0;
    for (HWND window : WindowsOf(program.info.dwProcessId, L"TForm2").ofClass) count += IsWindowVisible(window) ? 1 : 0;
    return count;
  };
  EXPECT_TRUE(WaitFor([&] { return visibleAbouts() == 2; }, 5000));
  for (HWND window : WindowsOf(program.info.dwProcessId, L"TForm2").ofClass) {
    EXPECT_EQ(WindowText(window), L"关于...");
  }
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(TrayTest, ARecreatedTaskbarGetsTheIconBackWithItsCurrentTipAndExitRemovesIt) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  PostMessageW(main, WM_COMMAND, kMonitoring, 0);
  ASSERT_TRUE(WaitFor([] { return LastLine(TrayLog()) == "Modify DISSHUT Velmaro-禁用"; }, 5000)) << TrayLog();

  // What the shell sends every top-level window when its taskbar starts again.
  PostMessageW(HWND_BROADCAST, RegisterWindowMessageW(L"TaskbarCreated"), 0, 0);
  EXPECT_TRUE(WaitFor([] { return LastLine(TrayLog()) == "Add DISSHUT Velmaro-禁用"; }, 5000)) << TrayLog();

  PostMessageW(main, WM_COMMAND, Command(velmaro::MenuItem::n17), 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
  EXPECT_EQ(LastLine(TrayLog()), "Delete DISSHUT Velmaro-禁用");
}

}  // namespace
