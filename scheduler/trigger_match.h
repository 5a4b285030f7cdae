// Whether a trigger text is due, exact to the minute, in any minute of a
// tick's window. The matcher keeps no state.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "scheduler/tick_window.h"
#include "store/field_convert.h"
#include "store/trigger_text.h"

namespace velmaro {

// Whole minutes of inactivity, in unsigned 32-bit arithmetic so that they
// stay right across the wrap of the millisecond counter.
std::uint32_t IdleMinutes(std::uint32_t lastInputTick, std::uint32_t tickNow);

// The occurrences of the trigger that are due in the window, oldest first,
// so that a task runs once per occurrence: the local minute (LocalMinuteOf)
// for the kinds that name a date or a time of day, the minute since start for
// the boot kind, the counter at the last input (one stretch of inactivity)
// for the idle kind, which is matched now only. Clears `due` first.
// One pass over the fields: they convert in order, each at most once and
// only when the fields before it matched some minute, so a broken later field
// fails (AppError) only in the hour, day or date that the earlier fields
// name; the boot kind's two fields always both convert, hours first. The
// idle time, the counter and the date format are read from `clock` only for
// the kinds that need them, at this moment.
// A condition kind is never due here: it needs what the computer did between
// ticks, which ConditionWatch (condition_watch.h) keeps.
void DueOccurrences(const ParsedTrigger& trigger, const TickWindow& window, ClockService& clock,
                    std::vector<std::uint64_t>& due);

}  // namespace velmaro
