#include "app/postponements.h"

#include <algorithm>

#include "base/error.h"
#include "scheduler/trigger_match.h"
#include "store/trigger_text.h"

namespace velmaro {

namespace {

bool SameTask(const DueTask& a, const DueTask& b) { return static_cast<const TaskKey&>(a) == b; }

}  // namespace

const Postponement* Postponements::Next(std::uint32_t now) const {
  const auto next = std::min_element(queue_.begin(), queue_.end(), [now](const auto& a, const auto& b) {
    return a.Left(now) < b.Left(now);
  });
  return next == queue_.end() ? nullptr : &*next;
}

std::optional<Postponement> Postponements::TakeDue(std::uint32_t now, Checks& checks,
                                                   std::vector<Dropped>& dropped) {
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (!it->Due(now)) {
      ++it;
      continue;
    }
    Postponement postponement = *it;
    it = queue_.erase(it);
    std::int32_t slot = 0;
    if (postponement.Late(now) > kPostponeLateLimitMs) {
      dropped.push_back({postponement, "推迟后被耽搁超过 " + std::to_string(kCatchUpMinutes) + " 分钟", true});
    } else if ((slot = checks.SlotNow(postponement.task)) == 0) {
      dropped.push_back({postponement, "推迟期间任务已删除或修改", false});
    } else if (TriggerKindOf(postponement.task.trigger) == TriggerKind::Idle &&
               !checks.IdleAgain(postponement.task)) {
      dropped.push_back({postponement, "推迟期间用户没有空闲", false});
    } else {
      postponement.task.slot = slot;  // deletions below it may have moved it down
      return postponement;
    }
  }
  return std::nullopt;
}

std::vector<Postponement> Postponements::TakeDueAsleep(std::uint32_t now) {
  std::vector<Postponement> taken;
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (it->Due(now)) {
      taken.push_back(*it);
      it = queue_.erase(it);
    } else {
      ++it;
    }
  }
  return taken;
}

std::vector<Postponement> Postponements::TakeOf(const DueTask& task) {
  std::vector<Postponement> taken;
  for (auto it = queue_.begin(); it != queue_.end();) {
    if (SameTask(it->task, task)) {
      taken.push_back(*it);
      it = queue_.erase(it);
    } else {
      ++it;
    }
  }
  return taken;
}

bool LiveChecks::IdleAgain(const DueTask& task) {
  const std::optional<ParsedTrigger> parsed = ParseTrigger(task.trigger);
  if (!parsed) return false;
  try {
    // The minute now alone, as the tick would look at it.
    const TickWindow now = WindowBetween(std::nullopt, MomentOf(clock_.LocalTime(), clock_.TickCount()));
    std::vector<std::uint64_t> due;
    DueOccurrences(*parsed, now, clock_, due);
    return !due.empty();
  } catch (const AppError&) {
    return false;  // a field that no longer converts: not idle as the task asks
  }
}

}  // namespace velmaro
