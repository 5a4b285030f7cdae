#include "app/missed_runs.h"

#include <algorithm>

#include "actions/action_table.h"
#include "base/error.h"
#include "scheduler/occurrences.h"
#include "scheduler/tick_window.h"

namespace velmaro {

bool MissedRuns::FirstRun(const DueTask& task) {
  // Cheap where no task has options, as at almost every tick.
  if (!options_ || !options_->Any() || !MayCatchUp(task.trigger, task.action)) return true;
  const TaskOptionSet options = options_->Of(task);
  if (!options.catchUp) return true;
  const std::int64_t occurrence = static_cast<std::int64_t>(task.occurrence);
  // A run recorded ahead of the clock and of this occurrence (the clock was a
  // year ahead one morning) is stale.
  const std::int64_t latest = std::max(occurrence, LocalMinuteOf(clock_.LocalTime()));
  if (options.lastRun && *options.lastRun >= occurrence && *options.lastRun <= latest) return false;
  options_->RecordRun(task, occurrence);
  return true;
}

std::optional<MissedRuns::Coming> MissedRuns::NextTask(TaskStore& store) {
  const ClockSnapshot now = clock_.LocalTime();
  const DateFormat format = ParseDateFormat(clock_.ShortDateFormat(), clock_.DateSeparator());
  std::vector<CalendarSchedule> schedules;
  std::vector<Coming> tasks;
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    const std::optional<ParsedTrigger> parsed = ParseTrigger(trigger);
    try {
      if (const std::optional<CalendarSchedule> schedule =
              parsed ? CalendarSchedule::Of(*parsed, format, now.wYear) : std::nullopt) {
        schedules.push_back(*schedule);
        tasks.push_back(Coming{slot, trigger, store.ReadAction(slot), 0});
      }
    } catch (const AppError&) {
      // A field the tick cannot convert either: never due.
    }
  });
  store.CloseStore();
  const std::optional<NextOccurrence> next = FindNextOccurrence(schedules, LocalMinuteOf(now), wake_.Now(), wake_);
  if (!next) return std::nullopt;
  Coming coming = tasks[next->schedule];
  coming.localMinute = next->localMinute;
  return coming;
}

MissedRuns::Plan MissedRuns::Walk(Missed missed, bool wake) {
  Plan plan;
  if (!options_ || !options_->Any()) return plan;
  const ClockSnapshot now = clock_.LocalTime();
  const std::int64_t nowMinute = LocalMinuteOf(now);
  const DateFormat format = ParseDateFormat(clock_.ShortDateFormat(), clock_.DateSeparator());
  std::vector<CalendarSchedule> wakes;
  std::vector<const TaskKey*> wakeKeys;  // recording a run leaves the entries in place
  for (const auto& [key, options] : options_->All()) {
    const bool forWake = wake && options.wake && MayWake(key.trigger);
    const bool forCatchUp = missed != Missed::Keep && options.catchUp && MayCatchUp(key.trigger, key.action);
    if (!forWake && !forCatchUp) continue;
    // Stored without a run (by hand, or before the option recorded one), or
    // with one ahead of the clock: nothing before now is known to be missed.
    const bool knownRun = options.lastRun && *options.lastRun <= nowMinute;
    if (forCatchUp && !knownRun) {
      options_->RecordRun(key, nowMinute);
      if (!forWake) continue;
    }
    const std::optional<ParsedTrigger> parsed = ParseTrigger(key.trigger);
    std::optional<CalendarSchedule> schedule;
    try {
      if (parsed) schedule = CalendarSchedule::Of(*parsed, format, now.wYear);
    } catch (const AppError&) {
      continue;
    }
    if (!schedule) continue;
    if (forWake) {
      wakes.push_back(*schedule);
      wakeKeys.push_back(&key);
    }
    if (!forCatchUp || !knownRun) continue;
    const std::optional<std::int64_t> latest = schedule->Latest(nowMinute);
    if (!latest || *latest <= *options.lastRun) continue;
    if (missed == Missed::PassOver) {
      options_->RecordRun(key, *latest);
      continue;
    }
    DueTask task;
    static_cast<TaskKey&>(task) = key;
    task.slot = FindStoredTask(registry_, settings_, key);
    task.occurrence = static_cast<std::uint64_t>(*latest);
    task.caughtUp = true;
    if (task.slot) plan.catchUp.push_back(task);
  }
  if (const std::optional<NextOccurrence> next = FindNextOccurrence(wakes, nowMinute, wake_.Now(), wake_)) {
    plan.wake = WakeTarget{*wakeKeys[next->schedule], next->localMinute, next->at, next->at - kUniversalMinute};
  }
  return plan;
}

}  // namespace velmaro
