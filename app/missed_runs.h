// What the calendar tasks with options missed and what they wake the
// computer for, over one walk of their schedules: the catch-up tasks whose
// latest occurrence came while the program did not run them, and the next
// occurrence the wake timer is set for. The tick asks it too, before a
// catch-up task runs at its minute, whether it already ran for it.
#pragma once

#include <cstdint>
#include <optional>
#include <vector>

#include "app/wake_timer.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/wake.h"
#include "scheduler/task_evaluator.h"
#include "store/task_options.h"

namespace velmaro {

class MissedRuns {
 public:
  MissedRuns(ClockService& clock, WakeService& wake, RegistryService& registry, Settings& settings)
      : clock_(clock), wake_(wake), registry_(registry), settings_(settings) {}

  // The options of the tasks, once loaded; none until then.
  void SetOptions(TaskOptions* options) { options_ = options; }
  TaskOptions* Options() const { return options_; }

  // Whether `task`, found due, runs: false for a catch-up task that already
  // ran for this occurrence (before the program restarted, or caught up; a
  // run recorded later than now is stale and counts for nothing);
  // otherwise a catch-up task's run is recorded first, so that an action
  // that never returns does not run again at the next start.
  bool FirstRun(const DueTask& task);

  // What to do with the occurrences the catch-up tasks missed.
  enum class Missed {
    Keep,      // nothing: they are looked at later
    Run,       // the latest of each, stored still, to be run once
    PassOver,  // recorded as run: the user's minutes, monitoring was off
  };
  struct Plan {
    std::vector<DueTask> catchUp;   // to be run, each through FirstRun
    std::optional<WakeTarget> wake;  // the next occurrence to wake the computer for
  };
  // One walk over the tasks with options now. A catch-up task stored without
  // a run (by hand, or before the option recorded one), or with a run later
  // than now, has missed nothing before now. A field that does not convert
  // names no occurrence: the tick reports it.
  Plan Walk(Missed missed, bool wake);

  // The calendar task that comes next, for a status report: those whose
  // minute the clock can tell ahead (not the idle, start-up or condition
  // kinds). Throws AppError when the store cannot be read.
  struct Coming {
    std::int32_t slot = 0;
    std::string trigger, action;
    std::int64_t localMinute = 0;
  };
  std::optional<Coming> NextTask(TaskStore& store);

 private:
  ClockService& clock_;
  WakeService& wake_;
  RegistryService& registry_;
  Settings& settings_;
  TaskOptions* options_ = nullptr;
};

}  // namespace velmaro
