#include "scheduler/occurrences.h"

#include "base/calendar.h"
#include "scheduler/tick_window.h"

namespace velmaro {

namespace {

std::int64_t DayOf(std::int64_t minute) { return FloorDiv(minute, 1440); }

}  // namespace

std::optional<CalendarSchedule> CalendarSchedule::Of(const ParsedTrigger& trigger, const DateFormat& format,
                                                     int currentYear) {
  if (!IsCalendarKind(trigger.kind)) return std::nullopt;
  const std::vector<std::string>& f = trigger.fields;
  CalendarSchedule schedule;
  schedule.kind_ = trigger.kind;
  std::size_t time = 0;  // where the hour field is
  switch (trigger.kind) {
    case TriggerKind::Once: {
      const CalendarDate date = ReadDateField(f[0], format, currentYear);
      schedule.year_ = date.year;
      schedule.month_ = date.month;
      schedule.day_ = date.day;
      time = 1;
      break;
    }
    case TriggerKind::Weekly:
      schedule.weekday_ = ReadNumberField(f[0]);
      time = 1;
      break;
    case TriggerKind::Monthly:
      schedule.day_ = ReadNumberField(f[0]);
      time = 1;
      break;
    case TriggerKind::Yearly:
      schedule.month_ = ReadNumberField(f[0]);
      schedule.day_ = ReadNumberField(f[1]);
      time = 2;
      break;
    default: break;
  }
  schedule.hour_ = ReadNumberField(f[time]);
  schedule.minute_ = ReadNumberField(f[time + 1]);
  return schedule;
}

std::optional<int> CalendarSchedule::MinuteOn(std::int64_t day) const {
  if (hour_ < 0 || hour_ > 23 || minute_ < 0 || minute_ > 59) return std::nullopt;
  const ClockSnapshot date = LocalMinuteAt(day * 1440);
  const bool due = (year_ < 0 || year_ == date.wYear) && (month_ < 0 || month_ == date.wMonth) &&
                   (day_ < 0 || day_ == date.wDay) && (weekday_ < 0 || weekday_ == date.wDayOfWeek);
  if (!due) return std::nullopt;
  return static_cast<int>(hour_ * 60 + minute_);
}

std::optional<std::int64_t> CalendarSchedule::Latest(std::int64_t beforeMinute) const {
  const std::int64_t earliest = beforeMinute - kCatchUpDays * 1440;
  for (std::int64_t day = DayOf(beforeMinute - 1); day >= DayOf(earliest); --day) {
    const std::optional<int> inDay = MinuteOn(day);
    if (!inDay) continue;
    const std::int64_t minute = day * 1440 + *inDay;
    if (minute < beforeMinute && minute >= earliest) return minute;
  }
  return std::nullopt;
}

std::optional<NextOccurrence> FindNextOccurrence(const std::vector<CalendarSchedule>& schedules,
                                                 std::int64_t nowMinute, UniversalTime now, WakeService& wake) {
  std::optional<NextOccurrence> next;
  for (std::size_t i = 0; i < schedules.size(); ++i) {
    const std::int64_t first = DayOf(nowMinute);
    for (std::int64_t day = first; day <= first + kSearchAheadDays; ++day) {
      const std::optional<int> inDay = schedules[i].MinuteOn(day);
      if (!inDay) continue;
      const std::int64_t minute = day * 1440 + *inDay;
      if (minute <= nowMinute) continue;
      const std::optional<UniversalTime> at = wake.UniversalFromLocal(LocalMinuteAt(minute));
      if (!at || *at <= now) continue;
      if (!next || *at < next->at) next = NextOccurrence{i, minute, *at};
      break;
    }
  }
  return next;
}

}  // namespace velmaro
