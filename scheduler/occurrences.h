// The occurrences of a calendar task found ahead and behind the clock, for
// the wake timer and for catching up: the tick itself only ever asks
// whether a minute it looks at is one (trigger_match.h).
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/wake.h"
#include "store/field_convert.h"
#include "store/trigger_text.h"

namespace velmaro {

// A monthly task on the 31st comes within two months, a yearly one on
// 29 February within eight years (2096, then 2104): no search goes further.
constexpr std::int64_t kSearchAheadDays = 9 * 366;
// Catching up looks this far back.
constexpr std::int64_t kCatchUpDays = 31;

// A calendar trigger's fields, converted once.
class CalendarSchedule {
 public:
  // None for a kind that is no calendar kind. Throws AppError, as the tick
  // does, for a field that does not convert; `currentYear` completes a once
  // date written without its year.
  static std::optional<CalendarSchedule> Of(const ParsedTrigger& trigger, const DateFormat& format, int currentYear);

  // The minute of the day (0..1439) on local day `day` (days since
  // 1970-01-01) at which the task is due, or none.
  std::optional<int> MinuteOn(std::int64_t day) const;
  // The latest occurrence (LocalMinuteOf) before `beforeMinute` and no more
  // than kCatchUpDays earlier, or none.
  std::optional<std::int64_t> Latest(std::int64_t beforeMinute) const;

 private:
  TriggerKind kind_ = TriggerKind::Daily;
  // -1 where the kind has no such field; a value no calendar holds (a
  // negative or too large field) never matches.
  std::int64_t year_ = -1, month_ = -1, day_ = -1, weekday_ = -1, hour_ = 0, minute_ = 0;
};

// The next moment at which one of `schedules` is due, as universal time:
// the first local minute after `nowMinute` that shows on the clock (a minute
// skipped when daylight saving begins is no occurrence; one shown twice
// counts at its first showing) and comes after `now`.
struct NextOccurrence {
  std::size_t schedule = 0;  // its index in `schedules`
  std::int64_t localMinute = 0;
  UniversalTime at = 0;
};
std::optional<NextOccurrence> FindNextOccurrence(const std::vector<CalendarSchedule>& schedules,
                                                 std::int64_t nowMinute, UniversalTime now, WakeService& wake);

}  // namespace velmaro
