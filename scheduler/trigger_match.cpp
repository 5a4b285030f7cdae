#include "scheduler/trigger_match.h"

#include <cstddef>
#include <initializer_list>

namespace velmaro {

namespace {

// Fields are signed 32-bit values and the clock's are unsigned; comparing both
// as 64-bit values keeps a negative field from ever matching.
bool FieldsEqual(const std::vector<std::string>& fields, std::size_t first, std::initializer_list<std::int64_t> expected) {
  for (std::int64_t value : expected) {
    if (ReadNumberField(fields[first++]) != value) return false;
  }
  return true;
}

TriggerMatch MatchNumbers(TriggerKind kind, const std::string& text, std::initializer_list<std::int64_t> expected) {
  TriggerMatch match;
  match.fields = ScanTriggerFields(text, kind);
  match.due = FieldsEqual(match.fields, 0, expected);
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

std::uint64_t MinuteOf(const ClockSnapshot& now) {
  return ((((std::uint64_t{now.wYear} * 13 + now.wMonth) * 32 + now.wDay) * 24 + now.wHour) * 60) + now.wMinute;
}

}  // namespace

std::uint32_t IdleMinutes(std::uint32_t lastInputTick, std::uint32_t tickNow) {
  return (tickNow - lastInputTick) / 1000u / 60u;
}

std::uint32_t MinutesSinceStart(std::uint32_t tickCount) { return tickCount / 1000u / 60u; }

TriggerMatch MatchIdle(const std::string& text, std::uint32_t idleMinutes) {
  return MatchNumbers(TriggerKind::Idle, text, {idleMinutes});
}

TriggerMatch MatchOnce(const std::string& text, const ClockSnapshot& now, const DateFormat& format) {
  TriggerMatch match;
  match.fields = ScanTriggerFields(text, TriggerKind::Once);
  CalendarDate date = ReadDateField(match.fields[0], format, now.wYear);
  match.due = date == CalendarDate{now.wYear, now.wMonth, now.wDay} && FieldsEqual(match.fields, 1, {now.wHour, now.wMinute});
  return match;
}

TriggerMatch MatchDaily(const std::string& text, const ClockSnapshot& now) {
  return MatchNumbers(TriggerKind::Daily, text, {now.wHour, now.wMinute});
}

TriggerMatch MatchWeekly(const std::string& text, const ClockSnapshot& now) {
  return MatchNumbers(TriggerKind::Weekly, text, {now.wDayOfWeek, now.wHour, now.wMinute});
}

TriggerMatch MatchMonthly(const std::string& text, const ClockSnapshot& now) {
  return MatchNumbers(TriggerKind::Monthly, text, {now.wDay, now.wHour, now.wMinute});
}

TriggerMatch MatchYearly(const std::string& text, const ClockSnapshot& now) {
  return MatchNumbers(TriggerKind::Yearly, text, {now.wMonth, now.wDay, now.wHour, now.wMinute});
}

TriggerMatch MatchBoot(const std::string& text, std::uint32_t tickCount) {
  TriggerMatch match;
  match.fields = ScanTriggerFields(text, TriggerKind::Boot);
  // Both fields convert before any comparison, hours first.
  std::int64_t hours = ReadNumberField(match.fields[0]);
  std::int64_t minutes = ReadNumberField(match.fields[1]);
  match.due = WrapToInt32(hours * 60 + minutes) == static_cast<std::int64_t>(MinutesSinceStart(tickCount));
  return match;
}

TriggerMatch MatchTrigger(TriggerKind kind, const std::string& text, const ClockSnapshot& now, ClockService& clock) {
  TriggerMatch match;
  std::uint64_t occurrence = MinuteOf(now);
  switch (kind) {
    case TriggerKind::Idle: {
      // Input read first: read the other way round, an input in between would
      // make the difference wrap to some 71 582 minutes.
      std::uint32_t lastInput = clock.LastInputTick();
      match = MatchIdle(text, IdleMinutes(lastInput, clock.TickCount()));
      occurrence = lastInput;
      break;
    }
    case TriggerKind::Once:
      match = MatchOnce(text, now, ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator()));
      break;
    case TriggerKind::Daily: match = MatchDaily(text, now); break;
    case TriggerKind::Weekly: match = MatchWeekly(text, now); break;
    case TriggerKind::Monthly: match = MatchMonthly(text, now); break;
    case TriggerKind::Yearly: match = MatchYearly(text, now); break;
    case TriggerKind::Boot: {
      std::uint32_t ticks = clock.TickCount();
      match = MatchBoot(text, ticks);
      occurrence = MinutesSinceStart(ticks);
      break;
    }
  }
  match.occurrence = occurrence;
  return match;
}

}  // namespace velmaro
