// The wake service against the real system under Wine: the timer is armed
// for the moment asked, a later setting replaces an earlier one, and every
// way of switching it off leaves nothing armed; local times convert to
// universal ones under daylight saving rules.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>

#include "platform/wake_win.h"
#include "tests/e2e/doubles/wake_recording.h"
#include "tests/win32/win32_test_support.h"

namespace velmaro {
namespace {

constexpr UniversalTime kSecond = 10000000;
// The system clock moves in steps of up to 15.6 ms, so two readings of it
// that bracket a moment may each be off by one step.
constexpr UniversalTime kClockStep = 160000;

UniversalTime Universal(WORD year, WORD month, WORD day, WORD hour, WORD minute, WORD second = 0, WORD ms = 0) {
  const SYSTEMTIME time = {year, month, 0, day, hour, minute, second, ms};
  FILETIME moment;
  EXPECT_TRUE(SystemTimeToFileTime(&time, &moment));
  return static_cast<UniversalTime>((static_cast<ULONGLONG>(moment.dwHighDateTime) << 32) | moment.dwLowDateTime);
}

// When the system has the service's timer due: the remaining time it
// reports, counted from the clock read just before and just after asking.
struct DueWindow {
  UniversalTime from, to;
};
DueWindow SystemDue(WakeService& wake) {
  struct TimerBasicInformation {
    LARGE_INTEGER RemainingTime;
    BOOLEAN TimerState;
  };
  using NtQueryTimerCall = LONG(WINAPI*)(HANDLE, int, void*, ULONG, ULONG*);
  static const auto query = reinterpret_cast<NtQueryTimerCall>(
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "NtQueryTimer")));
  TimerBasicInformation info = {};
  EXPECT_NE(query, nullptr);
  if (!query) return {};
  const UniversalTime before = wake.Now();
  EXPECT_EQ(query(SystemWakeTimer(wake), 0, &info, sizeof info, nullptr), 0);
  const UniversalTime after = wake.Now();
  EXPECT_FALSE(info.TimerState) << "due in the future, yet signalled";
  return {before + info.RemainingTime.QuadPart - kClockStep, after + info.RemainingTime.QuadPart + kClockStep};
}

TEST(Win32Wake, TheTimerIsDueWhenAskedAndEachSettingReplacesTheLast) {
  std::unique_ptr<WakeService> wake = MakeSystemWake();
  const UniversalTime now = wake->Now();
  // Later, then earlier than the setting before: the last one counts either way.
  for (const UniversalTime ahead : {3600 * kSecond, 7207 * kSecond, 1800 * kSecond}) {
    const WakeResult result = wake->SetWakeTimer(now + ahead);
    ASSERT_TRUE(result.ok) << result.message;
    const DueWindow due = SystemDue(*wake);
    EXPECT_LE(due.from, now + ahead) << ahead / kSecond;
    EXPECT_GE(due.to, now + ahead) << ahead / kSecond;
  }
  wake->CancelWakeTimer();
}

TEST(Win32Wake, NothingStaysArmedAfterACancelOrARefusal) {
  std::unique_ptr<WakeService> cancelled = MakeSystemWake();
  std::unique_ptr<WakeService> refusedTime = MakeSystemWake();
  std::unique_ptr<WakeService> refusedBySystem = MakeSystemWake();
  WakeService& behindTheRecording = *refusedBySystem;
  RecordingWake recording(std::move(refusedBySystem), std::string());
  WakeService* const ways[] = {cancelled.get(), refusedTime.get(), &recording};
  const UniversalTime soon = cancelled->Now() + kSecond;
  for (WakeService* wake : ways) ASSERT_TRUE(wake->SetWakeTimer(soon).ok);

  cancelled->CancelWakeTimer();
  const WakeResult invalid = refusedTime->SetWakeTimer(0);
  EXPECT_FALSE(invalid.ok);
  EXPECT_FALSE(invalid.message.empty());
  recording.refusal = "错误 50：不支持该请求。";
  const WakeResult refused = recording.SetWakeTimer(soon + kSecond);
  EXPECT_FALSE(refused.ok);
  EXPECT_EQ(refused.message, recording.refusal);

  // Had one of them stayed armed, it would fire one second from the start.
  const HANDLE timers[] = {SystemWakeTimer(*cancelled), SystemWakeTimer(*refusedTime),
                           SystemWakeTimer(behindTheRecording)};
  EXPECT_EQ(WaitForMultipleObjects(3, timers, FALSE, 2500), static_cast<DWORD>(WAIT_TIMEOUT));
}

// "Allow wake timers" in the power plan: off, on, or for the system's
// important timers only, which leaves the program's asleep as well.
TEST(Win32Wake, APlanThatLetsOnlyImportantTimersWakeRefusesOursToo) {
  EXPECT_EQ(WakeTimerPlanRefusal(1), std::nullopt);
  const std::optional<std::string> off = WakeTimerPlanRefusal(0);
  const std::optional<std::string> importantOnly = WakeTimerPlanRefusal(2);
  ASSERT_TRUE(off && importantOnly);
  EXPECT_NE(*off, *importantOnly) << "the user is told which setting to change";
  EXPECT_EQ(WakeTimerPlanRefusal(3), std::nullopt) << "a value of a later Windows is not taken for a refusal";
}

// Central European rules: one hour ahead of universal time, two from the
// last Sunday of March at 02:00 to the last Sunday of October at 03:00. And
// eastern Australian ones, where summer spans the turn of the year: ten hours
// ahead, eleven from the first Sunday of October at 02:00 to the first Sunday
// of April at 03:00.
TIME_ZONE_INFORMATION Zone(LONG bias, WORD summerMonth, WORD summerWeek, WORD winterMonth, WORD winterWeek) {
  TIME_ZONE_INFORMATION zone = {};
  zone.Bias = bias;
  zone.DaylightDate = {0, summerMonth, 0, summerWeek, 2, 0, 0, 0};
  zone.DaylightBias = -60;
  zone.StandardDate = {0, winterMonth, 0, winterWeek, 3, 0, 0, 0};
  return zone;
}

TEST(Win32Wake, LocalTimesFollowTheDaylightSavingRulesOfTheirDate) {
  const TIME_ZONE_INFORMATION europe = Zone(-60, 3, 5, 10, 5);
  const TIME_ZONE_INFORMATION australia = Zone(-600, 10, 1, 4, 1);
  const UniversalTime none = -1;
  struct Case {
    const TIME_ZONE_INFORMATION& zone;
    ClockSnapshot local;
    UniversalTime expected;
  };
  const Case cases[] = {
      {europe, {2026, 1, 4, 15, 12, 0, 0, 0}, Universal(2026, 1, 15, 11, 0)},
      {europe, {2026, 7, 3, 15, 12, 0, 0, 0}, Universal(2026, 7, 15, 10, 0)},
      {europe, {2024, 2, 4, 29, 23, 30, 0, 0}, Universal(2024, 2, 29, 22, 30)},
      // Spring: 02:00 to 02:59 never shows.
      {europe, {2026, 3, 0, 29, 1, 59, 59, 999}, Universal(2026, 3, 29, 0, 59, 59, 999)},
      {europe, {2026, 3, 0, 29, 2, 0, 0, 0}, none},
      {europe, {2026, 3, 0, 29, 2, 30, 0, 0}, none},
      {europe, {2026, 3, 0, 29, 3, 0, 0, 0}, Universal(2026, 3, 29, 1, 0)},
      // Autumn: 02:00 to 02:59 shows twice, first in summer time.
      {europe, {2026, 10, 0, 25, 1, 59, 0, 0}, Universal(2026, 10, 24, 23, 59)},
      {europe, {2026, 10, 0, 25, 2, 0, 0, 0}, Universal(2026, 10, 25, 0, 0)},
      {europe, {2026, 10, 0, 25, 2, 30, 0, 0}, Universal(2026, 10, 25, 0, 30)},
      {europe, {2026, 10, 0, 25, 3, 0, 0, 0}, Universal(2026, 10, 25, 2, 0)},
      // Summer across the turn of the year; autumn in April, spring in October.
      {australia, {2026, 1, 4, 15, 12, 0, 0, 0}, Universal(2026, 1, 15, 1, 0)},
      {australia, {2026, 4, 0, 5, 2, 30, 0, 0}, Universal(2026, 4, 4, 15, 30)},
      {australia, {2026, 4, 0, 5, 3, 0, 0, 0}, Universal(2026, 4, 4, 17, 0)},
      {australia, {2026, 10, 0, 4, 2, 30, 0, 0}, none},
      {australia, {2026, 10, 0, 4, 3, 0, 0, 0}, Universal(2026, 10, 3, 16, 0)},
      // No such date.
      {europe, {2026, 2, 0, 30, 12, 0, 0, 0}, none},
      {europe, {2026, 13, 0, 1, 12, 0, 0, 0}, none},
      {europe, {2026, 6, 0, 1, 24, 0, 0, 0}, none},
  };
  for (const Case& c : cases) {
    const std::optional<UniversalTime> converted = UniversalFromLocalIn(&c.zone, c.local);
    const std::string label = std::to_string(-c.zone.Bias / 60) + "h " + std::to_string(c.local.wYear) + "-" +
                              std::to_string(c.local.wMonth) + "-" + std::to_string(c.local.wDay) + " " +
                              std::to_string(c.local.wHour) + ":" + std::to_string(c.local.wMinute);
    if (c.expected == none) {
      EXPECT_FALSE(converted.has_value()) << label;
    } else {
      ASSERT_TRUE(converted.has_value()) << label;
      EXPECT_EQ(UniversalText(*converted), UniversalText(c.expected)) << label;
      EXPECT_EQ(*converted, c.expected) << label;
    }
  }
}

TEST(Win32Wake, TheSystemsOwnZoneAgreesWithItsClock) {
  std::unique_ptr<WakeService> wake = MakeSystemWake();
  const UniversalTime before = wake->Now();
  SYSTEMTIME local;
  GetLocalTime(&local);
  const UniversalTime after = wake->Now();
  const std::optional<UniversalTime> now = wake->UniversalFromLocal(
      {local.wYear, local.wMonth, local.wDayOfWeek, local.wDay, local.wHour, local.wMinute, local.wSecond,
       local.wMilliseconds});
  ASSERT_TRUE(now.has_value());
  // The local clock counts whole milliseconds.
  EXPECT_GE(*now, before - kClockStep - 10000);
  EXPECT_LE(*now, after + kClockStep);
  // A winter and a summer date under the system's rules, whatever they are.
  for (const ClockSnapshot date : {ClockSnapshot{2027, 1, 5, 15, 9, 30, 0, 0}, ClockSnapshot{2027, 7, 4, 15, 9, 30, 0, 0}}) {
    const std::optional<UniversalTime> at = wake->UniversalFromLocal(date);
    ASSERT_TRUE(at.has_value());
    const auto bits = static_cast<ULONGLONG>(*at);
    const FILETIME moment = {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
    SYSTEMTIME universal, shown;
    ASSERT_TRUE(FileTimeToSystemTime(&moment, &universal));
    ASSERT_TRUE(SystemTimeToTzSpecificLocalTime(nullptr, &universal, &shown));
    EXPECT_EQ(shown.wMonth, date.wMonth);
    EXPECT_EQ(shown.wDay, date.wDay);
    EXPECT_EQ(shown.wHour, date.wHour);
    EXPECT_EQ(shown.wMinute, date.wMinute);
  }
}

TEST(Win32Wake, TheRecordingLogsEachCallWithTheMomentAsTheSystemWritesIt) {
  const WideString folder = MakeScratchFolder(L"velmaro wake log");
  const WideString log = folder + L"wake-calls.log";
  RecordingWake wake(MakeSystemWake(), FromWide(log));
  // Leap days, the century that is no leap year, the last second of a day
  // and of a year; the ones in the past arm a timer that is due at once.
  const UniversalTime moments[] = {Universal(1601, 1, 1, 0, 0, 1),     Universal(1900, 3, 1, 0, 0),
                                   Universal(2000, 2, 29, 12, 0),      Universal(2024, 12, 31, 23, 59, 59),
                                   Universal(2026, 12, 1, 8, 59, 0),   Universal(2100, 2, 28, 23, 59, 59),
                                   Universal(2100, 3, 1, 0, 0, 0, 999), Universal(30827, 12, 31, 23, 59, 59)};
  std::string expected;
  for (const UniversalTime at : moments) {
    const auto bits = static_cast<ULONGLONG>(at);
    const FILETIME moment = {static_cast<DWORD>(bits), static_cast<DWORD>(bits >> 32)};
    SYSTEMTIME time;
    ASSERT_TRUE(FileTimeToSystemTime(&moment, &time));
    char line[80];
    std::snprintf(line, sizeof line, "SetWakeTimer(%04u-%02u-%02u %02u:%02u:%02u UTC)\r\n", time.wYear, time.wMonth,
                  time.wDay, time.wHour, time.wMinute, time.wSecond);
    const WakeResult result = wake.SetWakeTimer(at);
    ASSERT_TRUE(result.ok) << line << result.message;
    expected += line;
  }
  const WakeResult invalid = wake.SetWakeTimer(0);
  expected += "SetWakeTimer(1601-01-01 00:00:00 UTC): " + invalid.message + "\r\n";
  wake.KeepAwake(true);
  wake.KeepAwake(false);
  wake.CancelWakeTimer();
  expected += "KeepAwake(1)\r\nKeepAwake(0)\r\nCancelWakeTimer()\r\n";
  EXPECT_EQ(ReadWholeFile(log), expected);
  RemoveScratchFolder(folder);
}

}  // namespace
}  // namespace velmaro
