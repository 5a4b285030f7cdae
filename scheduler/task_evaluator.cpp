#include "scheduler/task_evaluator.h"

#include <algorithm>

#include "platform/error.h"
#include "scheduler/trigger_match.h"
#include "store/trigger_text.h"

namespace velmaro {

bool TaskEvaluator::FirstRun(const std::string& trigger, const std::string& action, std::uint64_t occurrence,
                             std::vector<Fired>& dueNow) const {
  const auto sameTask = [&](const Fired& other) { return other.trigger == trigger && other.action == action; };
  const Fired task{trigger, action, static_cast<int>(std::count_if(dueNow.begin(), dueNow.end(), sameTask)),
                   occurrence};
  dueNow.push_back(task);
  return std::none_of(fired_.begin(), fired_.end(), [&](const Fired& other) {
    return sameTask(other) && other.duplicate == task.duplicate && other.occurrence == task.occurrence;
  });
}

std::optional<std::string> TaskEvaluator::Tick(TaskStore& store, ClockService& clock, const RunTask& run) {
  const ClockSnapshot now = clock.LocalTime();
  store.OpenStore();
  std::optional<std::string> failure;
  std::vector<Fired> dueNow;
  const std::int32_t last = store.LastTaskNum();
  // A 64-bit counter, so a LastTaskNum of 2^31-1 ends the loop instead of overflowing.
  for (std::int64_t n = 1; n <= last; ++n) {
    const auto slot = static_cast<std::int32_t>(n);
    try {
      const std::string trigger = store.ReadTrigger(slot);
      if (trigger.empty()) continue;
      const std::optional<TriggerKind> kind = TriggerKindOf(trigger);
      if (!kind) continue;
      const TriggerMatch match = MatchTrigger(*kind, trigger, now, clock);
      if (!match.due) continue;
      const std::string action = store.ReadAction(slot);
      if (!FirstRun(trigger, action, match.occurrence, dueNow)) continue;
      if (!run(slot, action)) return failure;
    } catch (const AppError& error) {
      if (!failure) failure = error.what();
    }
  }
  fired_.swap(dueNow);
  store.CloseStore();
  return failure;
}

}  // namespace velmaro
