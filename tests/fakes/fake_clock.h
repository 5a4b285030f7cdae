// A clock that stands still until a test moves it: set `now` and the counters
// directly, or set a local time and let Advance move the calendar and the
// millisecond counter on together.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace velmaro {

class FakeClock : public ClockService {
 public:
  ClockSnapshot now;
  std::uint32_t tickCount = 0;
  std::uint32_t lastInputTick = 0;
  std::string shortDateFormat = "yyyy-M-d";
  std::string dateSeparator = "-";
  std::string decimalSeparator = ".";

  ClockSnapshot LocalTime() override { return now; }
  std::uint32_t TickCount() override { return tickCount; }
  std::uint32_t LastInputTick() override { return lastInputTick; }
  std::string ShortDateFormat() override { return shortDateFormat; }
  std::string DateSeparator() override { return dateSeparator; }
  std::string DecimalSeparator() override { return decimalSeparator; }

  // The weekday follows from the date.
  void SetLocalTime(int year, int month, int day, int hour, int minute, int second = 0) {
    localMs_ = ((DaysFromCivil(year, month, day) * 24 + hour) * 60 + minute) * 60000LL + second * 1000LL;
    Refresh();
  }
  // The counter wraps modulo 2^32, as the system's does.
  void Advance(std::uint64_t ms) {
    localMs_ += static_cast<std::int64_t>(ms);
    tickCount = static_cast<std::uint32_t>(tickCount + ms);
    Refresh();
  }
  // The user touches the mouse: a new stretch of inactivity begins.
  void Input() { lastInputTick = tickCount; }

  // The fakes' own calendar, apart from the product's, so that what they
  // expect does not share its faults.
  // Days since 1970-01-01 of a proleptic Gregorian date.
  static std::int64_t DaysFromCivil(std::int64_t y, int m, int d) {
    y -= m <= 2;
    const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
    const std::int64_t yoe = y - era * 400;
    const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
    const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
    return era * 146097 + doe - 719468;
  }

 private:

  void Refresh() {
    std::int64_t days = localMs_ / 86400000;
    std::int64_t inDay = localMs_ % 86400000;
    now.wDayOfWeek = static_cast<std::uint16_t>((days + 4) % 7);  // 1970-01-01 was a Thursday
    days += 719468;
    const std::int64_t era = days / 146097;
    const std::int64_t doe = days - era * 146097;
    const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
    const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
    const std::int64_t mp = (5 * doy + 2) / 153;
    const std::int64_t month = mp + (mp < 10 ? 3 : -9);
    now.wYear = static_cast<std::uint16_t>(yoe + era * 400 + (month <= 2));
    now.wMonth = static_cast<std::uint16_t>(month);
    now.wDay = static_cast<std::uint16_t>(doy - (153 * mp + 2) / 5 + 1);
    now.wHour = static_cast<std::uint16_t>(inDay / 3600000);
    now.wMinute = static_cast<std::uint16_t>(inDay / 60000 % 60);
    now.wSecond = static_cast<std::uint16_t>(inDay / 1000 % 60);
    now.wMilliseconds = static_cast<std::uint16_t>(inDay % 1000);
  }

  std::int64_t localMs_ = 0;
};

}  // namespace velmaro
