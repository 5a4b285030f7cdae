#include "actions/task_runner.h"

#include "base/error.h"
#include "store/task_options.h"

namespace velmaro {

TaskOutcome TaskRunner::Run(const DueTask& task, RunStart start) {
  TaskOutcome outcome;
  outcome.row = FindAction(task.action);
  if (!outcome.row) {
    outcome.kind = TaskOutcome::Kind::UnknownAction;  // any other name does nothing
    return outcome;
  }
  const ActionRow& row = *outcome.row;
  if (row.actionClass == ActionClass::Countdown && start == RunStart::Due) {
    outcome.kind = TaskOutcome::Kind::CountsDown;
    return outcome;
  }
  if (row.recordsStart) Record(task, RecordOutcome::Began);
  ActionResult result;
  try {
    result = row.run(row, ActionCall{services_, windows_, task.argument});
  } catch (const AppError& error) {
    result = ActionResult::Failed(error.what());
    outcome.shown = true;
  }
  outcome.detail = result.detail;
  switch (result.kind) {
    case ActionResult::Kind::Done:
      // A task caught up after a gap ran late; one missed while the
      // computer was off or asleep says which occurrence it made up for.
      if (task.caughtUp) {
        Record(task, RecordOutcome::CaughtUp, LocalMinuteText(static_cast<std::int64_t>(task.occurrence)));
      } else {
        Record(task, task.lateMinutes > 0 ? RecordOutcome::RanLate : RecordOutcome::Ran, "", task.lateMinutes);
      }
      break;
    case ActionResult::Kind::Failed:
      outcome.kind = TaskOutcome::Kind::Failed;
      Record(task, RecordOutcome::Failed, result.detail);
      break;
    case ActionResult::Kind::NotDone:
      outcome.kind = TaskOutcome::Kind::NotDone;
      Record(task, RecordOutcome::NotDone, result.detail);
      break;
  }
  return outcome;
}

void TaskRunner::Record(const DueTask& task, RecordOutcome outcome, const std::string& detail,
                        std::int32_t minutes) {
  RecordEntry entry{task.slot, task.trigger, task.action, outcome, minutes, detail};
  // "定时 关机": the quick timer by what it does, as its menu and tip name it.
  const ActionRow* row = task.slot == kQuickTimerSlot ? FindAction(task.action) : nullptr;
  if (row && row->verb[0] != '\0') entry.action = row->verb;
  record_.Write(entry);
}

}  // namespace velmaro
