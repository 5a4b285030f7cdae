#include "app/warnings_ahead.h"

#include "actions/action_table.h"

namespace velmaro {

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
  if (!balloon_) return std::nullopt;
  window_ = balloon_;
  return balloonText_;
}

std::optional<ComingTask> WarningsAhead::TakeWindowTask() {
  std::optional<ComingTask> task;
  task.swap(window_);
  return task;
}

}  // namespace velmaro
