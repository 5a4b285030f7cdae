#include "scheduler/tick_window.h"

#include <algorithm>
#include <cstdlib>

namespace velmaro {

namespace {

constexpr std::int64_t kMinuteMs = 60000;

// Days since 1970-01-01 of a proleptic Gregorian date, and back.
std::int64_t DaysFromCivil(std::int64_t y, std::int64_t m, std::int64_t d) {
  y -= m <= 2;
  const std::int64_t era = (y >= 0 ? y : y - 399) / 400;
  const std::int64_t yoe = y - era * 400;
  const std::int64_t doy = (153 * (m + (m > 2 ? -3 : 9)) + 2) / 5 + d - 1;
  const std::int64_t doe = yoe * 365 + yoe / 4 - yoe / 100 + doy;
  return era * 146097 + doe - 719468;
}

std::int64_t FloorDiv(std::int64_t a, std::int64_t b) { return a / b - (a % b != 0 && (a < 0) != (b < 0)); }

}  // namespace

std::int64_t LocalMinuteOf(const ClockSnapshot& at) {
  return DaysFromCivil(at.wYear, at.wMonth, at.wDay) * 1440 + at.wHour * 60 + at.wMinute;
}

ClockSnapshot LocalMinuteAt(std::int64_t minute) {
  const std::int64_t days = FloorDiv(minute, 1440);
  const std::int64_t inDay = minute - days * 1440;
  ClockSnapshot at;
  at.wDayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  const std::int64_t z = days + 719468;
  const std::int64_t era = (z >= 0 ? z : z - 146096) / 146097;
  const std::int64_t doe = z - era * 146097;
  const std::int64_t yoe = (doe - doe / 1460 + doe / 36524 - doe / 146096) / 365;
  const std::int64_t doy = doe - (365 * yoe + yoe / 4 - yoe / 100);
  const std::int64_t mp = (5 * doy + 2) / 153;
  const std::int64_t month = mp + (mp < 10 ? 3 : -9);
  at.wYear = static_cast<std::uint16_t>(yoe + era * 400 + (month <= 2));
  at.wMonth = static_cast<std::uint16_t>(month);
  at.wDay = static_cast<std::uint16_t>(doy - (153 * mp + 2) / 5 + 1);
  at.wHour = static_cast<std::uint16_t>(inDay / 60);
  at.wMinute = static_cast<std::uint16_t>(inDay % 60);
  return at;
}

TickMoment MomentOf(const ClockSnapshot& local, std::uint32_t tickCount) {
  return {LocalMinuteOf(local) * kMinuteMs + local.wSecond * 1000 + local.wMilliseconds, tickCount};
}

TickWindow WindowBetween(const std::optional<TickMoment>& previous, const TickMoment& now) {
  TickWindow window;
  window.tickCount = now.tickCount;
  const std::int64_t minuteNow = FloorDiv(now.localMs, kMinuteMs);
  std::int64_t firstLocal = minuteNow;
  // Modulo 2^32: right across the counter's wrap after 49.7 days.
  const std::uint32_t elapsed = previous ? now.tickCount - previous->tickCount : 0;
  if (previous) {
    const std::int64_t step = now.localMs - previous->localMs;
    if (step >= 0 && std::llabs(step - elapsed) <= kClockSlackMs) {
      firstLocal = std::max(FloorDiv(previous->localMs, kMinuteMs), minuteNow - (kCatchUpMinutes - 1));
    }
  }
  for (std::int64_t minute = firstLocal; minute <= minuteNow; ++minute) {
    window.localMinutes.push_back(LocalMinuteAt(minute));
    window.localKeys.push_back(minute);
  }

  // Minute k before the current one of the counter had an instant since the
  // previous tick when `elapsed` reaches back into it.
  const std::uint32_t intoMinute = now.tickCount % kMinuteMs;
  int reach = 0;
  while (previous && reach + 1 < kCatchUpMinutes &&
         elapsed >= intoMinute + static_cast<std::uint64_t>(reach) * kMinuteMs + 1) {
    ++reach;
  }
  for (int k = reach; k >= 0; --k) {
    const std::uint32_t at = now.tickCount - static_cast<std::uint32_t>(k * kMinuteMs);
    window.uptimeMinutes.push_back(at / static_cast<std::uint32_t>(kMinuteMs));
  }
  return window;
}

}  // namespace velmaro
