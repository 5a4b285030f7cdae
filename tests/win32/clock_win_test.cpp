// The Win32 clock and locale under Wine: the short date format is read afresh
// at each call, and a date written with it reads back as the same date.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "platform/clock.h"
#include "store/field_convert.h"

namespace velmaro {
namespace {

class ShortDateFormatChange {
 public:
  ShortDateFormatChange() { GetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved_, 80); }
  ~ShortDateFormatChange() { SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, saved_); }
  bool Set(const wchar_t* format) { return SetLocaleInfoW(LOCALE_USER_DEFAULT, LOCALE_SSHORTDATE, format) != 0; }

 private:
  wchar_t saved_[80] = {};
};

TEST(Win32Clock, DatesWrittenInTheUsersFormatReadBack) {
  std::unique_ptr<ClockService> clock = MakeSystemClock();
  const ClockSnapshot now = clock->LocalTime();
  ASSERT_GE(now.wYear, 2000);
  const CalendarDate today{now.wYear, now.wMonth, now.wDay};

  ShortDateFormatChange change;
  for (const wchar_t* format : {L"yyyy-M-d", L"dd.MM.yyyy", L"M/d/yy", L"d/M/yyyy"}) {
    if (!change.Set(format)) continue;  // some Wine versions keep the locale's own
    const DateFormat parsed = ParseDateFormat(clock->ShortDateFormat(), clock->DateSeparator());
    const std::string written = WriteDateField(today, parsed, now.wYear);
    EXPECT_EQ(ReadDateField(written, parsed, now.wYear), today) << written;
  }
  ASSERT_TRUE(change.Set(L"dd.MM.yyyy"));
  EXPECT_EQ(clock->ShortDateFormat(), "dd.MM.yyyy");
}

TEST(Win32Clock, CountersComeFromTheSystem) {
  std::unique_ptr<ClockService> clock = MakeSystemClock();
  // Between two readings of the system's counter; unsigned, so right across the wrap too.
  const DWORD before = GetTickCount();
  const std::uint32_t ticks = clock->TickCount();
  const DWORD after = GetTickCount();
  EXPECT_LE(ticks - before, after - before);
  // It moves on; how fast is the system's business, not a bound to test.
  bool moved = false;
  for (int i = 0; i < 500 && !moved; ++i) {
    Sleep(10);
    moved = clock->TickCount() != ticks;
  }
  EXPECT_TRUE(moved);
  EXPECT_LT(GetTickCount() - clock->LastInputTick(), 0x80000000u) << "the last input must not lie ahead of now";
}

}  // namespace
}  // namespace velmaro
