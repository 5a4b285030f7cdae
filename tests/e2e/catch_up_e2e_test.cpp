// Catching up and waking in the real program under Wine. A reminder that
// was due 40 minutes before start, with its last run recorded days earlier,
// shows once at start, with its balloon and record line, and not again when
// the program starts anew; a wake task sets the wake timer a minute before its
// next occurrence. Nothing here waits for a minute to come: the occurrences
// are placed around the clock as it stands. Neither depends on the locale.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "actions/reminder_window_win.h"
#include "tests/e2e/e2e_support.h"

namespace {

using namespace velmaro_e2e;

constexpr int kReminderText = velmaro::TForm6::IDC_LABEL1;
constexpr LONGLONG kTicksPerMinute = 600000000;

// The local time `minutes` from now (negative: ago), to the minute.
SYSTEMTIME LocalMinuteIn(LONGLONG minutes) {
  SYSTEMTIME now;
  GetLocalTime(&now);
  now.wSecond = 0;
  now.wMilliseconds = 0;
  FILETIME file;
  SystemTimeToFileTime(&now, &file);
  ULARGE_INTEGER at;
  at.LowPart = file.dwLowDateTime;
  at.HighPart = file.dwHighDateTime;
  at.QuadPart += static_cast<ULONGLONG>(minutes * kTicksPerMinute);
  file.dwLowDateTime = at.LowPart;
  file.dwHighDateTime = at.HighPart;
  SYSTEMTIME local;
  FileTimeToSystemTime(&file, &local);
  return local;
}

std::string DailyAt(const SYSTEMTIME& at) {
  return "每天" + std::to_string(at.wHour) + "时" + std::to_string(at.wMinute) + "分";
}

// "2026-12-01 09:00", as the program writes an occurrence.
std::string MinuteText(const SYSTEMTIME& at) {
  char text[32];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u", at.wYear, at.wMonth, at.wDay, at.wHour, at.wMinute);
  return text;
}

// "2026-12-01 08:59:00 UTC": the wake log's form of the local minute before `at`.
std::string UniversalMinuteBefore(const SYSTEMTIME& at) {
  SYSTEMTIME universal;
  TzSpecificLocalTimeToSystemTime(nullptr, &at, &universal);
  FILETIME file;
  SystemTimeToFileTime(&universal, &file);
  ULARGE_INTEGER ticks;
  ticks.LowPart = file.dwLowDateTime;
  ticks.HighPart = file.dwHighDateTime;
  ticks.QuadPart -= kTicksPerMinute;
  file.dwLowDateTime = ticks.LowPart;
  file.dwHighDateTime = ticks.HighPart;
  FileTimeToSystemTime(&file, &universal);
  char text[40];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:00 UTC", universal.wYear, universal.wMonth, universal.wDay,
                universal.wHour, universal.wMinute);
  return text;
}

void WriteOptions(const std::string& name, const std::string& options) {
  HKEY key;
  ASSERT_EQ(RegCreateKeyExW(HKEY_LOCAL_MACHINE, kOptionsKey, 0, nullptr, 0, KEY_ALL_ACCESS, nullptr, &key, nullptr),
            ERROR_SUCCESS);
  const WideString value = Wide(options);
  RegSetValueExW(key, Wide(name).c_str(), 0, REG_SZ, reinterpret_cast<const BYTE*>(value.c_str()),
                 static_cast<DWORD>((value.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
}

std::size_t Count(const WideString& text, const WideString& part) {
  std::size_t count = 0;
  for (std::size_t at = text.find(part); at != WideString::npos; at = text.find(part, at + part.size())) ++count;
  return count;
}

class CatchUpTest : public E2eTest {};

TEST_F(CatchUpTest, AMissedReminderRunsOnceAtStartAndAWakeTaskSetsTheTimerBeforeItsMinute) {
  // Three days of missed runs: the last one recorded is four days old.
  const SYSTEMTIME missed = LocalMinuteIn(-40);
  const SYSTEMTIME recorded = LocalMinuteIn(-40 - 4 * 1440);
  const SYSTEMTIME wakeAt = LocalMinuteIn(120);
  {
    StoreWriter store;
    store.Dword(L"shutapp", 0);
    store.Text(L"soundpath", "");
    store.Dword(L"tishi", 60);
    store.Dword(L"TaskNum", 2);
    store.Task(1, DailyAt(missed), "提醒", "该写日报了。");
    store.Task(2, DailyAt(wakeAt), "提醒", "下载完了吗？");
  }
  WriteOptions(DailyAt(missed) + "|提醒|该写日报了。|0", "C " + MinuteText(recorded));
  WriteOptions(DailyAt(wakeAt) + "|提醒|下载完了吗？|0", "W");

  {
    Program program;
    HWND main = program.Launch();
    ASSERT_NE(main, nullptr);
    // The window is there a moment before its text.
    ASSERT_TRUE(WaitFor([&] {
      const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
      return !reminders.ofClass.empty() && !WindowText(GetDlgItem(reminders.ofClass[0], kReminderText)).empty();
    }, 10000)) << "caught up at start, before any tick";
    const Windows reminders = WindowsOf(program.info.dwProcessId, L"TForm6");
    ASSERT_EQ(reminders.ofClass.size(), 1u) << "three missed days run once";
    EXPECT_EQ(WindowText(GetDlgItem(reminders.ofClass[0], kReminderText)), L"该写日报了。");
    EXPECT_TRUE(WaitFor([] { return TrayLog().find("Balloon 错过的任务已补做：提醒（") != std::string::npos; }, 5000))
        << TrayLog();
    EXPECT_NE(TrayLog().find("Balloon 错过的任务已补做：提醒（" + MinuteText(missed) + "）"), std::string::npos)
        << TrayLog();
    EXPECT_TRUE(WaitFor([&] { return WakeLog().find("SetWakeTimer(" + UniversalMinuteBefore(wakeAt) + ")") !=
                                     std::string::npos; }, 5000))
        << WakeLog();
    EXPECT_EQ(WakeLog().find(": "), std::string::npos) << "no refusal: " << WakeLog();

    PostMessageW(main, WM_CLOSE, 0, 0);
    EXPECT_EQ(program.ExitCode(10000), 0u);
  }
  const WideString caughtUp = L"\t提醒\t补做（错过 " + Wide(MinuteText(missed)) + L"）\r\n";
  EXPECT_EQ(Count(RunRecordText(), caughtUp), 1u);

  // Started anew within the hour: the run is recorded, so nothing is missed.
  Program again;
  HWND main = again.Launch();
  ASSERT_NE(main, nullptr);
  Sleep(5000);
  EXPECT_EQ(Reminders(again), 0u);
  EXPECT_EQ(Count(RunRecordText(), caughtUp), 1u);
  PostMessageW(main, WM_CLOSE, 0, 0);
  EXPECT_EQ(again.ExitCode(10000), 0u);
}

}  // namespace
