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
  const std::uint32_t before = clock->TickCount();
  Sleep(50);
  const std::uint32_t after = clock->TickCount();
  // Unsigned: right across the wrap too. No lower bound: under Wine a Sleep(50)
  // now and then measures well short of 50 ms.
  EXPECT_GT(after - before, 0u);
  EXPECT_LT(after - clock->LastInputTick(), 0x80000000u) << "the last input must not lie ahead of now";
}

}  // namespace
}  // namespace velmaro
