#include "app/waking.h"

#include <algorithm>

#include "scheduler/tick_window.h"
#include "store/task_key.h"

namespace velmaro {

DueTask Waking::StoredTask(const TaskKey& key) {
  DueTask task;
  static_cast<TaskKey&>(task) = key;
  task.slot = FindStoredTask(services_.registry, services_.settings, key);
  return task;
}

DueTask Waking::WokenTask(const WakeTarget& woke) {
  DueTask task = StoredTask(woke.task);
  task.occurrence = static_cast<std::uint64_t>(woke.occurrence);
  const std::int64_t late = LocalMinuteOf(services_.clock.LocalTime()) - woke.occurrence;
  task.lateMinutes = static_cast<std::int32_t>(std::clamp<std::int64_t>(late, -1, kCatchUpMinutes + 1));
  return task;
}

void Waking::Update(bool force, bool monitoring, const MissedRuns::Plan* plan) {
  timer_.Stale(LocalMinuteOf(services_.clock.LocalTime()));
  std::optional<WakeTarget> target;
  if (monitoring) target = plan ? plan->wake : services_.missed.Walk(MissedRuns::Missed::Keep, true).wake;
  const std::optional<std::string> refusal = timer_.Keep(target, force);
  if (!refusal) return;
  services_.runner.Record(StoredTask(target->task), RecordOutcome::CannotWake, *refusal);
  services_.tray.Balloon("无法唤醒计算机运行任务：" + *refusal);
}

std::optional<DueTask> Waking::Tick(bool countdownShows, bool monitoring) {
  const std::int64_t minute = LocalMinuteOf(services_.clock.LocalTime());
  timer_.Beat(services_.clock.TickCount(), minute, countdownShows);
  if (timer_.Stale(minute)) Update(false, monitoring);
  // In its own minute or before it, the woken task is the tick's; later than
  // a tick catches up, it is passed over as the other minutes slept through.
  const std::optional<WakeTarget> woke = timer_.WokeFor();
  const std::int64_t late = woke ? minute - woke->occurrence : 0;
  if (late <= 0 || late > kCatchUpMinutes) return std::nullopt;
  ComingTask occurrence;
  static_cast<TaskKey&>(occurrence.task) = woke->task;
  occurrence.task.occurrence = static_cast<std::uint64_t>(woke->occurrence);
  if (services_.evaluator.Done(occurrence)) return std::nullopt;
  const DueTask task = WokenTask(*woke);  // its slot, read only now
  if (!task.slot) return std::nullopt;
  services_.evaluator.MarkDone(occurrence, services_.clock.TickCount());
  return task;
}

void Waking::Suspending(bool monitoring) {
  timer_.Release();
  Update(false, monitoring);
  if (const std::optional<WakeTarget>& set = timer_.Set()) {
    timer_.Suspending(services_.wake.Now(), services_.evaluator.Done(ComingTask{WokenTask(*set), 0}));
  }
}

void Waking::Resumed(std::uint32_t countdownMs) {
  const std::optional<WakeTarget> woke =
      timer_.Resumed(services_.wake.Now(), services_.clock.TickCount(), countdownMs);
  if (!woke) return;
  services_.runner.Record(StoredTask(woke->task), RecordOutcome::Woke);
  services_.view.SetTimer(TimerId::Timer5, true);
}

void Waking::Deadline() {
  const std::optional<WakeTarget> woke = timer_.WokeFor();
  if (timer_.DeadlinePassed(services_.clock.TickCount()) && woke) {
    const DueTask task = WokenTask(*woke);
    if (!services_.evaluator.Done(ComingTask{task, 0})) {
      services_.runner.Record(task, RecordOutcome::NotDone, "唤醒计算机后未能运行");
    }
  }
  if (!timer_.KeepsAwake()) services_.view.SetTimer(TimerId::Timer5, false);
}

void Waking::Close() {
  timer_.Keep(std::nullopt, false);
  timer_.Release();
}

}  // namespace velmaro
