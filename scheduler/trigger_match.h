// Whether a trigger text is due, exact to the minute: now, or in any minute
// of a tick's window. Matchers keep no state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "scheduler/tick_window.h"
#include "store/field_convert.h"
#include "store/trigger_text.h"

namespace velmaro {

struct TriggerMatch {
  bool due = false;
  // Which occurrence of the trigger this is, so a task runs once per
  // occurrence: the local minute (LocalMinuteOf) for the kinds that name a
  // date or a time of day, the counter at the last input (one stretch of
  // inactivity) for the idle kind, the minute since start for the boot kind.
  std::uint64_t occurrence = 0;
};

// Whole minutes, in unsigned 32-bit arithmetic so that both stay right across
// the wrap of the millisecond counter.
std::uint32_t IdleMinutes(std::uint32_t lastInputTick, std::uint32_t tickNow);
std::uint32_t MinutesSinceStart(std::uint32_t tickCount);

// Whether the trigger is due now, with its occurrence. The fields convert in
// order, and a field only when every comparison before it held, so a broken
// later field fails (AppError) only in the hour, day or date that the earlier
// fields name; the boot kind's two fields always both convert, hours first.
// The idle time, the counter and the date format are read from `clock` only
// for the kinds that need them, at this moment.
// A condition kind is never due here: it needs what the computer did between
// ticks, which ConditionWatch (condition_watch.h) keeps.
TriggerMatch MatchTrigger(const ParsedTrigger& trigger, const ClockSnapshot& now, ClockService& clock);

// The occurrences of the trigger that are due in the window, oldest first, in
// one pass over its fields: each field converts at most once, and only when
// the fields before it matched some minute, so that a broken field fails as
// it does for a single minute. The idle kind is matched now only: its
// occurrence is a stretch of inactivity, not a minute. Clears `due` first.
void DueOccurrences(const ParsedTrigger& trigger, const TickWindow& window, ClockService& clock,
                    std::vector<std::uint64_t>& due);

}  // namespace velmaro
