// Every run of a task goes through here, whoever found it due: the tick, the
// catch-up, the end of its countdown, execute-now and the warning's run-now.
// The action's row in the action table says how it runs; the runner runs it
// and writes the record line of what came of it, so that the record says
// 已执行 only for what the system carried out, and a late run says how late.
#pragma once

#include <cstdint>
#include <string>

#include "actions/action_run.h"
#include "actions/action_table.h"
#include "scheduler/run_record.h"
#include "scheduler/task_evaluator.h"

namespace velmaro {

// Found due, a countdown action hands over to its countdown; counted down
// (or run at once by the user), it runs.
enum class RunStart { Due, CountedDown };

struct TaskOutcome {
  enum class Kind { Ran, Failed, NotDone, CountsDown, UnknownAction };
  Kind kind = Kind::Ran;
  const ActionRow* row = nullptr;  // null for an action name of no row
  std::string detail;              // the failure, or why it was not done
  // A failure the user is shown at once, beside its record line.
  bool shown = false;
  // The evaluation pauses for a minute after an immediate action, failed or not.
  bool Pauses() const { return row && row->actionClass == ActionClass::Immediate && kind != Kind::CountsDown; }
};

class TaskRunner {
 public:
  TaskRunner(const ActionServices& services, ProgramWindows& windows, RunRecord& record)
      : services_(services), windows_(windows), record_(record) {}

  TaskOutcome Run(const DueTask& task, RunStart start);
  // A line about `task` that is no run of it: skipped, cancelled, postponed
  // (`minutes`), not done and why, the computer woken for it.
  void Record(const DueTask& task, RecordOutcome outcome, const std::string& detail = std::string(),
              std::int32_t minutes = 0);

 private:
  ActionServices services_;
  ProgramWindows& windows_;
  RunRecord& record_;
};

}  // namespace velmaro
