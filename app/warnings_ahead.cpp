#include "app/warnings_ahead.h"

#include <algorithm>

#include "actions/action_table.h"
#include "scheduler/tick_window.h"
#include "store/task_key.h"

namespace velmaro {

TaskEvaluator::LookAhead* WarningsAhead::LookAhead(const TickWindow& window, std::int32_t tiqian) {
  if (window.localKeys.empty()) {
    ahead_ = TaskEvaluator::LookAhead();
    return nullptr;
  }
  LookAheadAt(window.localKeys.back(), tiqian);
  return ahead_.minutes.empty() ? nullptr : &ahead_;
}

void WarningsAhead::LookAheadAt(std::int64_t localMinute, std::int32_t tiqian) {
  ahead_ = TaskEvaluator::LookAhead();
  if (tiqian <= 0 || lookedAt_ == localMinute) return;
  lookedAt_ = localMinute;
  ahead_.minutes = {tiqian};
  if (tiqian != 1) ahead_.minutes.push_back(1);
}

std::optional<std::string> WarningsAhead::Balloon() {
  if (services_.quick && !ahead_.minutes.empty()) {
    if (const std::optional<ComingTask> timer = services_.quick->Coming(ahead_.minutes)) {
      ahead_.coming.push_back(*timer);
    }
  }
  return Balloon(ahead_.coming);
}

std::optional<std::string> WarningsAhead::Balloon(const std::vector<ComingTask>& coming) {
  const ComingTask* first = nullptr;
  for (const ComingTask& task : coming) {
    const ActionRow* row = FindAction(task.task.action);
    if (!row || row->actionClass != ActionClass::Countdown) continue;
    if (!first || task.minutesAhead < first->minutesAhead) first = &task;
  }
  if (!first) return std::nullopt;
  balloon_ = *first;
  balloonText_ = std::to_string(first->minutesAhead) + " 分钟后将" + first->task.action;
  return balloonText_;
}

std::optional<std::string> WarningsAhead::OpenWindow() {
  if (!balloon_ || services_.evaluator.Done(*balloon_)) return std::nullopt;
  window_ = balloon_;
  return balloonText_;
}

bool WarningsAhead::Past(const ComingTask& coming) {
  ClockService& clock = services_.clock;
  // The quick timer is past once it ran, was cancelled or was set anew.
  if (coming.task.slot == kQuickTimerSlot) return !services_.quick || !services_.quick->Holds(coming.task);
  const std::int64_t now = TriggerKindOf(coming.task.trigger) == TriggerKind::Boot
                               ? std::int64_t{clock.TickCount() / 60000u}
                               : LocalMinuteOf(clock.LocalTime());
  return services_.evaluator.Done(coming) || now > static_cast<std::int64_t>(coming.task.occurrence);
}

std::optional<std::string> WarningsAhead::Expired() {
  if (!window_ || !Past(*window_)) return std::nullopt;
  const std::string text = window_->task.action + "的时间已过";
  window_.reset();
  return text;
}

std::optional<ComingTask> WarningsAhead::TakeWindowTask() {
  std::optional<ComingTask> coming;
  coming.swap(window_);
  if (!coming || Past(*coming)) return std::nullopt;
  if (coming->task.slot == kQuickTimerSlot) {
    services_.quick->Clear();  // what the window chose is its one run
    return coming;
  }
  // A task deleted or changed since its balloon is not run, nor recorded.
  coming->task.slot = FindStoredTask(services_.registry, services_.settings, coming->task);
  if (!coming->task.slot) return std::nullopt;
  services_.evaluator.MarkDone(*coming, services_.clock.TickCount());
  return coming;
}

bool WarningsAhead::RunNow() {
  const std::optional<ComingTask> coming = TakeWindowTask();
  if (coming) services_.countdown.RunAtOnce(coming->task);
  return coming.has_value();
}

bool WarningsAhead::Postpone(std::int32_t minutes) {
  if (minutes <= 0) return false;
  const std::optional<ComingTask> coming = TakeWindowTask();
  if (!coming) return false;
  // Counted from the task's minute, on the clock that minute is counted by.
  ClockService& clock = services_.clock;
  const std::uint32_t tickCount = clock.TickCount();
  const std::int64_t occurrenceMs = static_cast<std::int64_t>(coming->task.occurrence) * 60000;
  const std::int64_t nowMs = TriggerKindOf(coming->task.trigger) == TriggerKind::Boot
                                 ? static_cast<std::int64_t>(tickCount)
                                 : MomentOf(clock.LocalTime(), tickCount).localMs;
  const std::int64_t leadMs = std::clamp<std::int64_t>(occurrenceMs - nowMs, 0, 24 * 60 * 60000LL);
  services_.countdown.PostponeAhead(coming->task, FindAction(coming->task.action)->verb,
                                    static_cast<std::uint32_t>(leadMs), minutes);
  return true;
}

bool WarningsAhead::Skip() {
  const std::optional<ComingTask> coming = TakeWindowTask();
  if (coming) services_.runner.Record(coming->task, RecordOutcome::Skipped);
  return coming.has_value();
}

}  // namespace velmaro
