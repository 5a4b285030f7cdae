#include "scheduler/tick_window.h"

#include <algorithm>
#include <cstdlib>

#include "base/calendar.h"

namespace velmaro {

namespace {

constexpr std::int64_t kMinuteMs = 60000;

}  // namespace

std::int64_t LocalMinuteOf(const ClockSnapshot& at) {
  return DaysFromCivil(at.wYear, at.wMonth, at.wDay) * 1440 + at.wHour * 60 + at.wMinute;
}

ClockSnapshot LocalMinuteAt(std::int64_t minute) {
  const std::int64_t days = FloorDiv(minute, 1440);
  const std::int64_t inDay = minute - days * 1440;
  ClockSnapshot at;
  at.wDayOfWeek = static_cast<std::uint16_t>(((days % 7) + 11) % 7);  // 1970-01-01 was a Thursday
  const CivilDate date = CivilFromDays(days);
  at.wYear = static_cast<std::uint16_t>(date.year);
  at.wMonth = static_cast<std::uint16_t>(date.month);
  at.wDay = static_cast<std::uint16_t>(date.day);
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
