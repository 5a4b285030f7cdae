// The real program under Wine, driven from outside: start-up on a fresh or
// pre-filled store, one copy per session, the tray menu, the menu's power
// commands (recorded by the end-to-end build, never made) and a clean exit.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

using StartupTest = E2eTest;

TEST(Locale, WineRunsWithTheCodePageAskedFor) {
  char expected[16] = {};
  if (!GetEnvironmentVariableA("VELMARO_E2E_CODE_PAGE", expected, sizeof expected)) GTEST_SKIP();
  EXPECT_EQ(GetACP(), static_cast<UINT>(atoi(expected)));
  wchar_t format[80] = {};
  GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format, 80);
  std::wcout << L"short date format: " << format << std::endl;
}

TEST_F(StartupTest, FirstStartCreatesTheStoreAndStaysHiddenInTheTray) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  Value shutapp = ReadStoreValue(L"shutapp");
  Value soundpath = ReadStoreValue(L"soundpath");
  EXPECT_EQ(shutapp.type, static_cast<DWORD>(REG_DWORD));
  EXPECT_EQ(Dword(shutapp), 0u);
  EXPECT_EQ(soundpath.type, static_cast<DWORD>(REG_SZ));
  EXPECT_EQ(soundpath.data.size(), 2u);  // the empty text and its terminating zero
  EXPECT_EQ(Dword(ReadStoreValue(L"tishi")), 60u);
  EXPECT_EQ(Dword(ReadStoreValue(L"TaskNum")), 0u);

  Sleep(1500);
  EXPECT_TRUE(program.Running());
  EXPECT_TRUE(WindowsOf(program.info.dwProcessId).visible.empty());
  EXPECT_FALSE(IsWindowVisible(main));
  EXPECT_TRUE(GetWindowLongW(main, GWL_EXSTYLE) & WS_EX_TOPMOST);

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(StartupTest, PresentSettingsAreKeptAndMissingOnesWritten) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kStoreKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  DWORD zero = 0;
  RegSetValueExW(key, L"tishi", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&zero), sizeof zero);
  RegCloseKey(key);

  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);
  EXPECT_EQ(Dword(ReadStoreValue(L"tishi")), 0u);
  Value taskNum = ReadStoreValue(L"TaskNum");
  EXPECT_TRUE(taskNum.present);
  EXPECT_EQ(Dword(taskNum), 0u);

  // The menu's Exit ends the program as the close box does.
  PostMessageW(main, WM_COMMAND, Command(velmaro::MenuItem::n17), 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

TEST_F(StartupTest, SecondStartInTheSameSessionExitsAtOnce) {
  Program first;
  HWND main = first.Launch();
  ASSERT_NE(main, nullptr);

  Program second;
  ASSERT_TRUE(second.Start());
  EXPECT_EQ(second.ExitCode(10000), 0u);
  EXPECT_EQ(WindowsOf(0).ofClass.size(), 1u);
  EXPECT_TRUE(first.Running());

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(first.ExitCode(10000), 0u);
}

TEST_F(StartupTest, ALeftOrRightPressOnTheIconOpensTheMenuAndNothingElseDoes) {
  Program program;
  HWND main = program.Launch();
  ASSERT_NE(main, nullptr);

  // Moves, releases and double clicks on the icon do nothing; a left or a
  // right press opens the menu.
  for (LPARAM ignored : {WM_MOUSEMOVE, WM_LBUTTONUP, WM_RBUTTONUP, WM_LBUTTONDBLCLK, WM_MBUTTONDOWN}) {
    PostMessageW(main, kWmTrayIcon, 100, ignored);
  }
  Sleep(500);
  EXPECT_EQ(VisibleMenu(), nullptr);
  for (LPARAM press : {WM_RBUTTONDOWN, WM_LBUTTONDOWN}) {
    PostMessageW(main, kWmTrayIcon, 100, press);
    HWND menu = nullptr;
    for (int i = 0; i < 100 && !menu; ++i, Sleep(50)) menu = VisibleMenu();
    ASSERT_NE(menu, nullptr) << press;
    PostMessageW(menu, WM_KEYDOWN, VK_ESCAPE, 0);
    for (int i = 0; i < 100 && VisibleMenu(); ++i) Sleep(50);
    EXPECT_EQ(VisibleMenu(), nullptr);
  }

  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(program.ExitCode(10000), 0u);
}

}  // namespace
