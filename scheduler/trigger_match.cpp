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
    if (!dateRead_ || dateYear_ != currentYear) {
      date_ = ReadDateField(texts_[0], format, currentYear);
      dateRead_ = true;
      dateYear_ = currentYear;
    }
    return date_;
  }

 private:
  const std::vector<std::string>& texts_;
  std::array<std::optional<std::int64_t>, 4> numbers_;
  // A flag, not a std::optional: inlined into the window's loop, the
  // optional draws a false "may be used uninitialized" from GCC.
  CalendarDate date_;
  bool dateRead_ = false;
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
    case TriggerKind::Boot:
    case TriggerKind::NetworkQuiet:
    case TriggerKind::ProcessorQuiet:
    case TriggerKind::ProgramEnded: break;
  }
  return false;
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
  if (IsConditionKind(trigger.kind)) return;
  switch (trigger.kind) {
    case TriggerKind::Idle: {
      Fields fields(trigger.fields);
      AddIdleOccurrence(fields, clock, due);
      return;
    }
    case TriggerKind::Boot: {
      const std::int64_t minute = BootMinute(trigger.fields);
      for (std::uint32_t uptime : window.uptimeMinutes) {
        if (minute == static_cast<std::int64_t>(uptime)) due.push_back(uptime);
      }
      return;
    }
    default: {
      Fields fields(trigger.fields);
      std::optional<DateFormat> format;
      if (trigger.kind == TriggerKind::Once) format = DateFormatOf(clock);
      for (std::size_t i = 0; i < window.localMinutes.size(); ++i) {
        if (DueAt(trigger.kind, fields, window.localMinutes[i], format ? &*format : nullptr)) {
          due.push_back(static_cast<std::uint64_t>(window.localKeys[i]));
        }
      }
      return;
    }
  }
}

}  // namespace velmaro
