// The evaluation tick over the task store: every slot is read afresh, its
// trigger matched against one clock snapshot, and each task that is due and
// has not yet run in this occurrence of its trigger is handed to the caller.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "platform/clock.h"
#include "store/task_store.h"

namespace velmaro {

class TaskEvaluator {
 public:
  // Runs one due task; returns false when the program closed meanwhile (a
  // nested message loop can close it), which ends the tick without another
  // look at the store.
  using RunTask = std::function<bool(std::int32_t slot, const std::string& action)>;

  // Examines slots 1 to LastTaskNum in ascending order and runs the due
  // tasks in that order. A slot that cannot be read or whose trigger does not
  // convert is skipped and the tick goes on; the first such failure is
  // returned for the caller to show once the tick is over.
  std::optional<std::string> Tick(TaskStore& store, ClockService& clock, const RunTask& run);

 private:
  // A task that ran: known by its trigger and action name, and by its place
  // among the identical tasks due in the same tick, so that shifting slots by a
  // deletion does not make it new, while an edited task is new.
  struct Fired {
    std::string trigger;
    std::string action;
    int duplicate;
    std::uint64_t occurrence;
  };

  // Records the due task in `dueNow`; true if it has not run in this occurrence yet.
  bool FirstRun(const std::string& trigger, const std::string& action, std::uint64_t occurrence,
                std::vector<Fired>& dueNow) const;

  // The tasks that were due at the last tick. A task not due at a tick drops
  // out, so the next time it is due is a new occurrence even where the
  // occurrence id repeats (the millisecond counter wraps after 49.7 days).
  std::vector<Fired> fired_;
};

}  // namespace velmaro
