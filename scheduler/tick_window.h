// The minutes one evaluation tick looks at. A tick normally comes every ten
// seconds, but the program itself makes longer gaps (the pause after an
// action, a countdown, an open settings dialog, an action that blocks, a late
// timer); each tick therefore looks at every minute since the previous tick,
// up to the ten most recent, so that no task is lost in such a gap. Local
// minutes and minutes since start are counted apart: the first jump with the
// clock, the second do not.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "platform/clock.h"

namespace velmaro {

constexpr int kCatchUpMinutes = 10;
// A difference between the local clock's step and the millisecond counter's
// that is larger than this is a clock change (set by hand, daylight saving,
// a large correction) rather than the two clocks' usual drift.
constexpr std::int64_t kClockSlackMs = 5000;

// Minutes since 1970-01-01 00:00 of the local calendar, and back; the
// weekday follows from the date. Dates are proleptic Gregorian.
std::int64_t LocalMinuteOf(const ClockSnapshot& at);
ClockSnapshot LocalMinuteAt(std::int64_t minute);

// When a tick ran, by both clocks.
struct TickMoment {
  std::int64_t localMs = 0;  // milliseconds since 1970-01-01 00:00 local time
  std::uint32_t tickCount = 0;
};
TickMoment MomentOf(const ClockSnapshot& local, std::uint32_t tickCount);

struct TickWindow {
  // Local minutes, oldest first; the last is the minute now.
  std::vector<ClockSnapshot> localMinutes;
  std::vector<std::int64_t> localKeys;  // LocalMinuteOf of each
  // Whole minutes since start, oldest first; the last is the minute now.
  std::vector<std::uint32_t> uptimeMinutes;
  std::uint32_t tickCount = 0;  // the counter now
};

// The window of a tick at `now` that follows one at `previous`. With no
// previous tick (the first, or the first after the computer slept) only the
// current minute is looked at; after a clock change only the current local
// minute, since the minutes in between were never lived.
TickWindow WindowBetween(const std::optional<TickMoment>& previous, const TickMoment& now);

}  // namespace velmaro
