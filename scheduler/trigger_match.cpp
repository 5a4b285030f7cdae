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
  CalendarDate Date(std::size_t index, const DateFormat& format, int currentYear) {
    if (!dateRead_ || dateYear_ != currentYear) {
      date_ = ReadDateField(texts_[index], format, currentYear);
      dateRead_ = true;
      dateYear_ = currentYear;
    }
    return date_;
  }

 private:
  const std::vector<std::string>& texts_;
  std::array<std::optional<std::int64_t>, kTriggerFieldsMax> numbers_;
  // A flag, not a std::optional: inlined into the window's loop, the
  // optional draws a false "may be used uninitialized" from GCC.
  CalendarDate date_;
  bool dateRead_ = false;
  int dateYear_ = 0;
};

// The part of the local time that a field of a clock kind must equal.
std::uint16_t ClockSnapshot::*ClockPart(TriggerField holds) {
  switch (holds) {
    case TriggerField::Month: return &ClockSnapshot::wMonth;
    case TriggerField::Day: return &ClockSnapshot::wDay;
    case TriggerField::Weekday: return &ClockSnapshot::wDayOfWeek;
    case TriggerField::Hour: return &ClockSnapshot::wHour;
    default: return &ClockSnapshot::wMinute;
  }
}

constexpr bool IsClockPart(TriggerField holds) {
  return holds == TriggerField::Date || holds == TriggerField::Month || holds == TriggerField::Day ||
         holds == TriggerField::Weekday || holds == TriggerField::Hour || holds == TriggerField::Minute;
}

// What each timing below reads of its fields: the idle kind its one field,
// the uptime kind hours then minutes, a clock kind parts of the local time.
constexpr bool FieldsFitTheirTiming() {
  for (const TriggerShape& shape : kTriggerShapes) {
    const TriggerField first = shape.fields[0].holds;
    switch (shape.timing) {
      case TriggerTiming::Idle:
        if (shape.fieldCount != 1 || first != TriggerField::IdleMinutes) return false;
        break;
      case TriggerTiming::Uptime:
        if (shape.fieldCount != 2 || first != TriggerField::UptimeHours ||
            shape.fields[1].holds != TriggerField::UptimeMinutes) {
          return false;
        }
        break;
      case TriggerTiming::Clock:
        for (std::size_t i = 0; i < shape.fieldCount; ++i) {
          if (!IsClockPart(shape.fields[i].holds)) return false;
        }
        break;
      case TriggerTiming::Condition: break;
    }
  }
  return true;
}
static_assert(FieldsFitTheirTiming(), "a trigger kind's fields that its timing does not read");

// The fields in the order written, each compared only while the ones before
// it matched.
bool DueAt(const TriggerShape& shape, Fields& fields, const ClockSnapshot& at, const DateFormat* format) {
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const TriggerField holds = shape.fields[i].holds;
    const bool matches = holds == TriggerField::Date
                             ? fields.Date(i, *format, at.wYear) == CalendarDate{at.wYear, at.wMonth, at.wDay}
                             : fields.Is(i, at.*ClockPart(holds));
    if (!matches) return false;
  }
  return true;
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

// Due when the stretch of inactivity has lasted the field's minutes; its
// occurrence is the counter at the last input.
void AddIdleOccurrence(Fields& fields, ClockService& clock, std::vector<std::uint64_t>& due) {
  // Input read first: read the other way round, an input in between would
  // make the difference wrap to some 71 582 minutes.
  const std::uint32_t lastInput = clock.LastInputTick();
  if (fields.Is(0, IdleMinutes(lastInput, clock.TickCount()))) due.push_back(lastInput);
}

}  // namespace

std::uint32_t IdleMinutes(std::uint32_t lastInputTick, std::uint32_t tickNow) {
  return (tickNow - lastInputTick) / 1000u / 60u;
}

void DueOccurrences(const ParsedTrigger& trigger, const TickWindow& window, ClockService& clock,
                    std::vector<std::uint64_t>& due) {
  due.clear();
  const TriggerShape& shape = ShapeOf(trigger.kind);
  switch (shape.timing) {
    case TriggerTiming::Idle: {
      Fields fields(trigger.fields);
      AddIdleOccurrence(fields, clock, due);
      return;
    }
    case TriggerTiming::Uptime: {
      const std::int64_t minute = BootMinute(trigger.fields);
      for (std::uint32_t uptime : window.uptimeMinutes) {
        if (minute == static_cast<std::int64_t>(uptime)) due.push_back(uptime);
      }
      return;
    }
    case TriggerTiming::Clock: {
      Fields fields(trigger.fields);
      std::optional<DateFormat> format;
      if (Holds(shape, TriggerField::Date)) format = DateFormatOf(clock);
      for (std::size_t i = 0; i < window.localMinutes.size(); ++i) {
        if (DueAt(shape, fields, window.localMinutes[i], format ? &*format : nullptr)) {
          due.push_back(static_cast<std::uint64_t>(window.localKeys[i]));
        }
      }
      return;
    }
    case TriggerTiming::Condition: return;
  }
}

}  // namespace velmaro
