#include "scheduler/task_evaluator.h"

#include <algorithm>
#include <map>
#include <tuple>

#include "base/error.h"
#include "scheduler/trigger_match.h"
#include "store/trigger_text.h"

namespace velmaro {

std::string TaskEvaluator::Failure::Report() const {
  // Slot 0: the store itself, before any slot was read.
  return slot > 0 ? "任务 " + std::to_string(slot) + "：" + text : text;
}

TickWindow TaskEvaluator::NextWindow(ClockService& clock) {
  const TickMoment now = MomentOf(clock.LocalTime(), clock.TickCount());
  TickWindow window = WindowBetween(previous_, now);
  previous_ = now;
  return window;
}

bool TaskEvaluator::HasRun(const Run& run) const {
  return std::any_of(ran_.begin(), ran_.end(), [&](const Run& other) { return other.SameAs(run); });
}

void TaskEvaluator::Forget(const std::vector<Run>& idleDueNow, std::uint32_t tickCount) {
  ran_.erase(std::remove_if(ran_.begin(), ran_.end(),
                            [&](const Run& run) {
                              if (!run.idle) return tickCount - run.ranAt >= kRememberRunsMs;
                              // An idle task not due at this tick drops out, so the next
                              // time it is due is a new stretch even where the counter at
                              // the last input repeats (it wraps after 49.7 days).
                              return std::none_of(idleDueNow.begin(), idleDueNow.end(),
                                                  [&](const Run& due) { return due.SameAs(run); });
                            }),
             ran_.end());
}

namespace {

// How far the minute now is past the occurrence, on the clock the
// occurrence counts by; an idle stretch is never late.
std::int32_t LateMinutes(TriggerKind kind, std::uint64_t occurrence, const TickWindow& window) {
  std::int64_t now = 0;
  if (kind == TriggerKind::Idle) return 0;
  if (kind == TriggerKind::Boot) {
    if (window.uptimeMinutes.empty()) return 0;
    now = window.uptimeMinutes.back();
  } else {
    if (window.localKeys.empty()) return 0;
    now = window.localKeys.back();
  }
  const std::int64_t late = now - static_cast<std::int64_t>(occurrence);
  return late > 0 && late <= kCatchUpMinutes ? static_cast<std::int32_t>(late) : 0;
}

// The window of a single minute, `minutes` after the window's minute now.
TickWindow MinuteAhead(const TickWindow& window, std::int32_t minutes) {
  TickWindow ahead;
  if (window.localKeys.empty() || window.uptimeMinutes.empty()) return ahead;
  ahead.localKeys = {window.localKeys.back() + minutes};
  ahead.localMinutes = {LocalMinuteAt(ahead.localKeys[0])};
  // Unsigned, as the minutes since start count.
  ahead.uptimeMinutes = {window.uptimeMinutes.back() + static_cast<std::uint32_t>(minutes)};
  ahead.tickCount = window.tickCount;
  return ahead;
}

}  // namespace

std::optional<std::string> TaskEvaluator::Tick(TaskStore& store, const TickWindow& window, ClockService& clock,
                                               const RunTask& run, LookAhead* ahead) {
  std::vector<TickWindow> aheadWindows;
  if (ahead) {
    for (std::int32_t minutes : ahead->minutes) aheadWindows.push_back(MinuteAhead(window, minutes));
  }
  std::vector<Failure> failing;
  std::vector<Run> idleDueNow;
  // How many identical tasks were due (and coming) in each occurrence so far
  // in this tick.
  std::map<std::tuple<std::string, std::string, std::string, std::uint64_t>, int> dueSoFar, comingSoFar;
  std::vector<std::uint64_t> due;
  bool closed = false;
  ticking_ = true;
  struct EndOfTick {
    bool& ticking;
    ~EndOfTick() { ticking = false; }
  } endOfTick{ticking_};
  if (conditions_) conditions_->BeginTick(window.tickCount);
  auto examine = [&](std::int32_t slot) {
    std::string trigger;
    try {
      trigger = store.ReadTrigger(slot);
      if (trigger.empty()) return true;
      const std::optional<ParsedTrigger> parsed = ParseTrigger(trigger);
      if (!parsed) return true;
      // The action and argument are read once the slot has something due.
      std::optional<DueTask> task;
      auto taskOf = [&]() -> DueTask& {
        if (!task) {
          task.emplace();
          task->trigger = trigger;
          task->action = store.ReadAction(slot);
          task->argument = store.ReadArgument(slot);
          task->slot = slot;
        }
        return *task;
      };
      if (IsConditionKind(parsed->kind)) {
        // A stretch or a program's end fires once, so it needs no record of runs.
        if (!conditions_) return true;
        const std::string action = store.ReadAction(slot);
        if (!conditions_->Fires(trigger, *parsed, action)) return true;
        DueTask fired;
        fired.trigger = trigger;
        fired.action = action;
        fired.argument = store.ReadArgument(slot);
        fired.slot = slot;
        if (!run(fired)) {
          closed = true;
          return false;
        }
        return true;
      }
      // The kinds left name a date, a time of day or a time after start, all
      // known minutes ahead, but for an idle stretch. A field that fails in a
      // minute ahead is reported when the tick reaches that minute.
      if (ahead && parsed->kind != TriggerKind::Idle) {
        try {
          for (std::size_t i = 0; i < aheadWindows.size(); ++i) {
            DueOccurrences(*parsed, aheadWindows[i], clock, due);
            for (std::uint64_t occurrence : due) {
              ComingTask coming{taskOf(), ahead->minutes[i]};
              coming.task.occurrence = occurrence;
              coming.task.duplicate = comingSoFar[{trigger, coming.task.action, coming.task.argument, occurrence}]++;
              if (!Done(coming)) ahead->coming.push_back(std::move(coming));
            }
          }
        } catch (const AppError&) {
        }
      }
      DueOccurrences(*parsed, window, clock, due);
      if (due.empty()) return true;
      DueTask& dueTask = taskOf();
      for (std::uint64_t occurrence : due) {
        dueTask.duplicate = dueSoFar[{trigger, dueTask.action, dueTask.argument, occurrence}]++;
        dueTask.occurrence = occurrence;
        const Run ran{dueTask, occurrence, parsed->kind == TriggerKind::Idle, window.tickCount};
        if (ran.idle) idleDueNow.push_back(ran);
        if (HasRun(ran)) continue;
        ran_.push_back(ran);
        dueTask.lateMinutes = LateMinutes(parsed->kind, occurrence, window);
        if (!run(dueTask)) {
          closed = true;
          return false;
        }
      }
    } catch (const AppError& error) {
      failing.push_back({slot, trigger, error.what()});
    }
    return true;
  };
  try {
    store.ForEachSlot(examine);
  } catch (const AppError& error) {
    // The store itself, before any slot was read.
    failing.push_back({0, std::string(), error.what()});
  }
  // The caller shows nothing once the program closed; what failed is passed on all the same.
  if (closed) return failing.empty() ? std::nullopt : std::optional<std::string>(failing.front().Report());
  store.CloseStore();
  Forget(idleDueNow, window.tickCount);
  if (conditions_) conditions_->EndTick();

  std::optional<std::string> report;
  std::vector<Failure> reported;
  for (const Failure& failure : failing) {
    bool shown = std::find(reported_.begin(), reported_.end(), failure) != reported_.end();
    if (!shown && !report) {
      report = failure.Report();
      shown = true;
    }
    if (shown) reported.push_back(failure);
  }
  reported_.swap(reported);
  return report;
}

void TaskEvaluator::MarkDone(const ComingTask& coming, std::uint32_t tickCount) {
  if (!Done(coming)) {
    ran_.push_back(Run{coming.task, coming.task.occurrence, false, tickCount});
  }
}

bool TaskEvaluator::Done(const ComingTask& coming) const {
  return HasRun(Run{coming.task, coming.task.occurrence, false, 0});
}

}  // namespace velmaro
