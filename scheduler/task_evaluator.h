// The evaluation tick over the task store: every slot is read afresh, its
// trigger matched against the minutes of the tick's window (tick_window.h),
// and each occurrence that is due and has not run yet is handed to the
// caller, so a task runs once per occurrence, and at once when it was due in
// a minute the program let pass without a tick. A condition task (network,
// processor, a program's end) is due when its ConditionWatch says so: once
// per quiet stretch or per end, never caught up.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "platform/processes.h"
#include "platform/system_load.h"
#include "scheduler/condition_watch.h"
#include "scheduler/tick_window.h"
#include "store/task_key.h"
#include "store/task_store.h"

namespace velmaro {

// How long a calendar task's run is remembered: longer than a day, so that a
// local minute that comes again (daylight saving ending, the clock set back)
// does not run the task again, plus the two hours a time change may take.
constexpr std::uint32_t kRememberRunsMs = 26u * 60 * 60 * 1000;

// One task that is due, as the tick or the catch-up hands it over: which
// stored task, in which slot now, for which occurrence.
struct DueTask : TaskKey {
  std::int32_t slot = 0;
  // Whole minutes since the minute it was due: more than 0 for a minute that
  // the tick catches up.
  std::int32_t lateMinutes = 0;
  // The occurrence it is due for (the local minute of the calendar kinds).
  std::uint64_t occurrence = 0;
  // Run once for an occurrence missed while the computer was off or asleep.
  bool caughtUp = false;
};

// A task whose occurrence comes a few minutes after the minute of a tick, for
// a warning ahead of it.
struct ComingTask {
  DueTask task;  // as the tick will hand it over
  std::int32_t minutesAhead = 0;
};

class TaskEvaluator {
 public:
  // Runs one due task; returns false when the program closed meanwhile (a
  // nested message loop can close it), which ends the tick without another
  // look at the store.
  using RunTask = std::function<bool(const DueTask& task)>;

  // Without the system's counters and process list, condition tasks never
  // become due.
  TaskEvaluator() = default;
  TaskEvaluator(SystemLoadService& load, ProcessService& processes) : conditions_(std::in_place, load, processes) {}

  // The window of a tick now, from the previous tick to this one; the next
  // window starts here.
  TickWindow NextWindow(ClockService& clock);
  // The program starts now: the first tick's window reaches back to this
  // moment, so that the minute the program starts in is looked at too.
  void Starting(ClockService& clock) { previous_ = MomentOf(clock.LocalTime(), clock.TickCount()); }
  // The minutes until now are not caught up by the next tick: it looks at its
  // own minute only (after the computer slept).
  void ForgetGap() { previous_.reset(); }
  // Monitoring starts again: what the condition tasks saw before is no
  // longer theirs (a program that ended meanwhile was the user's to let end).
  void ForgetConditions() {
    if (conditions_) conditions_->Forget();
  }
  // The computer woke: the condition tasks measure nothing across the sleep.
  void ConditionsSlept() {
    if (conditions_) conditions_->Slept();
  }
  // Each 10 s that the caller holds the tick back, the condition tasks'
  // measures read as the tick would, and nothing run (ConditionWatch::Sample).
  // Ignored while a tick is under way (inside an action's message loop): a
  // reading between two of its tasks would count an interval twice.
  void SampleConditions(ClockService& clock) {
    if (conditions_ && !ticking_) conditions_->Sample(clock.TickCount());
  }

  // Examines the slots 1 to LastTaskNum that hold a trigger, in ascending
  // order, and runs the due tasks in that order. A slot that cannot be read or whose trigger does not
  // convert is skipped and the tick goes on; the first such failure not yet
  // reported is returned for the caller to show once the tick is over. The
  // same failure of the same slot text is returned once, until it goes away.
  std::optional<std::string> Tick(TaskStore& store, ClockService& clock, const RunTask& run) {
    return Tick(store, NextWindow(clock), clock, run);
  }
  // With `ahead`, the same walk also finds the tasks of the kinds that name
  // a date, a time of day or a time after start whose occurrence is each of
  // `ahead->minutes` after the window's minute now and has not run, and
  // appends them to `ahead->coming` in ascending slot order and, within a
  // slot, in the order of `ahead->minutes`.
  struct LookAhead {
    std::vector<std::int32_t> minutes;
    std::vector<ComingTask> coming;
  };
  std::optional<std::string> Tick(TaskStore& store, const TickWindow& window, ClockService& clock,
                                  const RunTask& run, LookAhead* ahead = nullptr);

  // The coming occurrence is not to run at its minute: it ran early, or the
  // user skipped it. Remembered as a run is.
  void MarkDone(const ComingTask& coming, std::uint32_t tickCount);
  bool Done(const ComingTask& coming) const;

  // How many runs are remembered: bounded by the tasks that ran in the last
  // 26 hours.
  std::size_t Remembered() const { return ran_.size(); }
  // How many condition tasks have a stretch or a program watched.
  std::size_t Watched() const { return conditions_ ? conditions_->Watched() : 0; }

 private:
  // A task that ran, known by its key (so that shifting slots by a deletion
  // does not make it new, while an edited task is new) and its occurrence.
  struct Run {
    TaskKey key;
    std::uint64_t occurrence;
    bool idle;             // kept only while the task stays due, tick after tick
    std::uint32_t ranAt;   // the millisecond counter then
    bool SameAs(const Run& other) const { return occurrence == other.occurrence && key == other.key; }
  };
  struct Failure {
    std::int32_t slot;
    std::string trigger;
    std::string text;
    // The text shown: the failure, led by the number of its slot ("任务 3：").
    std::string Report() const;
    bool operator==(const Failure& other) const {
      return slot == other.slot && trigger == other.trigger && text == other.text;
    }
  };

  bool HasRun(const Run& run) const;
  void Forget(const std::vector<Run>& idleDueNow, std::uint32_t tickCount);

  std::optional<TickMoment> previous_;
  std::vector<Run> ran_;
  std::vector<Failure> reported_;  // failing still at the last tick, and reported
  std::optional<ConditionWatch> conditions_;
  bool ticking_ = false;
};

}  // namespace velmaro
