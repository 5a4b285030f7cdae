#include "scheduler/trigger_match.h"

#include <array>
#include <cstddef>

namespace velmaro {

namespace {

// A trigger's fields, each converted the first time a comparison needs it,
// so that a broken field fails only where the fields before it matched.
class Fields {
 public:
  explicit Fields(const std::vector<std::string>& texts) : texts_(texts) {}

  // Fields are signed 32-bit values and the clock's are unsigned; comparing
  // both as 64-bit values keeps a negative field from ever matching.
  bool Is(std::size_t index, std::int64_t expected) {
    if (!numbers_[index]) numbers_[index] = ReadNumberField(texts_[index]);
    return *numbers_[index] == expected;
  }

  // The once kind's date: a date without a year takes the current one.
  CalendarDate Date(const DateFormat& format, int currentYear) {
    if (!date_ || dateYear_ != currentYear) {
      date_ = ReadDateField(texts_[0], format, currentYear);
      dateYear_ = currentYear;
    }
    return *date_;
  }

 private:
  const std::vector<std::string>& texts_;
  std::array<std::optional<std::int64_t>, 4> numbers_;
  std::optional<CalendarDate> date_;
  int dateYear_ = 0;
};

bool DueAt(TriggerKind kind, Fields& fields, const ClockSnapshot& at, const DateFormat* format) {
  switch (kind) {
    case TriggerKind::Once:
      return fields.Date(*format, at.wYear) == CalendarDate{at.wYear, at.wMonth, at.wDay} && fields.Is(1, at.wHour) &&
             fields.Is(2, at.wMinute);
    case TriggerKind::Daily: return fields.Is(0, at.wHour) && fields.Is(1, at.wMinute);
    case TriggerKind::Weekly: return fields.Is(0, at.wDayOfWeek) && fields.Is(1, at.wHour) && fields.Is(2, at.wMinute);
    case TriggerKind::Monthly: return fields.Is(0, at.wDay) && fields.Is(1, at.wHour) && fields.Is(2, at.wMinute);
    case TriggerKind::Yearly:
      return fields.Is(0, at.wMonth) && fields.Is(1, at.wDay) && fields.Is(2, at.wHour) && fields.Is(3, at.wMinute);
    case TriggerKind::Idle:
    case TriggerKind::Boot: break;
  }
  return false;
}

TriggerMatch MatchCalendar(TriggerKind kind, const std::string& text, const ClockSnapshot& now,
                           const DateFormat* format = nullptr) {
  TriggerMatch match;
  match.fields = ScanTriggerFields(text, kind);
  Fields fields(match.fields);
  match.due = DueAt(kind, fields, now, format);
  return match;
}

// H x 60 + M is a signed 32-bit sum, so huge fields wrap around, possibly to
// a negative sum that is never due. Reduce modulo 2^32 and read the bits as
// two's complement, without relying on signed overflow.
std::int32_t WrapToInt32(std::int64_t value) {
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  if (bits < 0x80000000u) return static_cast<std::int32_t>(bits);
  return static_cast<std::int32_t>(static_cast<std::int64_t>(bits) - 0x100000000LL);
}

// The boot kind's minute since start; both fields convert, hours first.
std::int32_t BootMinute(const std::vector<std::string>& fields) {
  std::int64_t hours = ReadNumberField(fields[0]);
  std::int64_t minutes = ReadNumberField(fields[1]);
  return WrapToInt32(hours * 60 + minutes);
}

DateFormat DateFormatOf(ClockService& clock) {
  return ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator());
}

}  // namespace

std::uint32_t IdleMinutes(std::uint32_t lastInputTick, std::uint32_t tickNow) {
  return (tickNow - lastInputTick) / 1000u / 60u;
}

std::uint32_t MinutesSinceStart(std::uint32_t tickCount) { return tickCount / 1000u / 60u; }

TriggerMatch MatchIdle(const std::string& text, std::uint32_t idleMinutes) {
  TriggerMatch match;
  match.fields = ScanTriggerFields(text, TriggerKind::Idle);
  Fields fields(match.fields);
  match.due = fields.Is(0, idleMinutes);
  return match;
}

TriggerMatch MatchOnce(const std::string& text, const ClockSnapshot& now, const DateFormat& format) {
  return MatchCalendar(TriggerKind::Once, text, now, &format);
}
TriggerMatch MatchDaily(const std::string& text, const ClockSnapshot& now) {
  return MatchCalendar(TriggerKind::Daily, text, now);
}
TriggerMatch MatchWeekly(const std::string& text, const ClockSnapshot& now) {
  return MatchCalendar(TriggerKind::Weekly, text, now);
}
TriggerMatch MatchMonthly(const std::string& text, const ClockSnapshot& now) {
  return MatchCalendar(TriggerKind::Monthly, text, now);
}
TriggerMatch MatchYearly(const std::string& text, const ClockSnapshot& now) {
  return MatchCalendar(TriggerKind::Yearly, text, now);
}

TriggerMatch MatchBoot(const std::string& text, std::uint32_t tickCount) {
  TriggerMatch match;
  match.fields = ScanTriggerFields(text, TriggerKind::Boot);
  match.due = BootMinute(match.fields) == static_cast<std::int64_t>(MinutesSinceStart(tickCount));
  return match;
}

TriggerMatch MatchTrigger(TriggerKind kind, const std::string& text, const ClockSnapshot& now, ClockService& clock) {
  TriggerMatch match;
  std::uint64_t occurrence = static_cast<std::uint64_t>(LocalMinuteOf(now));
  switch (kind) {
    case TriggerKind::Idle: {
      // Input read first: read the other way round, an input in between would
      // make the difference wrap to some 71 582 minutes.
      std::uint32_t lastInput = clock.LastInputTick();
      match = MatchIdle(text, IdleMinutes(lastInput, clock.TickCount()));
      occurrence = lastInput;
      break;
    }
    case TriggerKind::Once: match = MatchOnce(text, now, DateFormatOf(clock)); break;
    case TriggerKind::Boot: {
      std::uint32_t ticks = clock.TickCount();
      match = MatchBoot(text, ticks);
      occurrence = MinutesSinceStart(ticks);
      break;
    }
    default: match = MatchCalendar(kind, text, now); break;
  }
  match.occurrence = occurrence;
  return match;
}

void DueOccurrences(TriggerKind kind, const std::string& text, const TickWindow& window, ClockService& clock,
                    std::vector<std::uint64_t>& due) {
  due.clear();
  switch (kind) {
    case TriggerKind::Idle: {
      std::uint32_t lastInput = clock.LastInputTick();
      if (MatchIdle(text, IdleMinutes(lastInput, clock.TickCount())).due) due.push_back(lastInput);
      return;
    }
    case TriggerKind::Boot: {
      const std::int64_t minute = BootMinute(ScanTriggerFields(text, kind));
      for (std::uint32_t uptime : window.uptimeMinutes) {
        if (minute == static_cast<std::int64_t>(uptime)) due.push_back(uptime);
      }
      return;
    }
    default: {
      const std::vector<std::string> texts = ScanTriggerFields(text, kind);
      Fields fields(texts);
      std::optional<DateFormat> format;
      if (kind == TriggerKind::Once) format = DateFormatOf(clock);
      for (std::size_t i = 0; i < window.localMinutes.size(); ++i) {
        if (DueAt(kind, fields, window.localMinutes[i], format ? &*format : nullptr)) {
          due.push_back(static_cast<std::uint64_t>(window.localKeys[i]));
        }
      }
      return;
    }
  }
}

}  // namespace velmaro
