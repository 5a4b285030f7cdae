// The warnings ahead of coming countdown tasks: one balloon a minute for the
// nearest, and the warning window that a click on it opens, with its three
// choices: run the task now, postpone it from its minute, or skip this
// occurrence. The window belongs to the task and occurrence of the balloon
// it was opened from: a later balloon never changes what its label says or
// its buttons act on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "actions/task_runner.h"
#include "app/countdown_session.h"
#include "app/quick_timer.h"
#include "platform/registry.h"
#include "scheduler/task_evaluator.h"

namespace velmaro {

struct WarningServices {
  TaskEvaluator& evaluator;  // which occurrences ran, or were skipped
  CountdownSession& countdown;
  TaskRunner& runner;
  ClockService& clock;
  RegistryService& registry;  // to find the task again, as it is stored now
  Settings& settings;
  QuickTimer* quick = nullptr;  // warned of as a task is, once it comes within the minutes
};

class WarningsAhead {
 public:
  explicit WarningsAhead(const WarningServices& services) : services_(services) {}

  // What the tick whose window is `window` looks ahead for: the tasks
  // `tiqian` minutes and 1 minute ahead, once a minute (the tick comes six
  // times a minute); null when there is nothing to look for.
  TaskEvaluator::LookAhead* LookAhead(const TickWindow& window, std::int32_t tiqian);
  // The same for a tick that looks at the quick timer alone (monitoring off).
  void LookAheadAt(std::int64_t localMinute, std::int32_t tiqian);
  // The balloon for what the tick found ahead, the quick timer among it, if any.
  std::optional<std::string> Balloon();

  // The nearest countdown task of those coming, remembered as the balloon's;
  // its text ("5 分钟后将关闭计算机"), or nothing when none is coming.
  std::optional<std::string> Balloon(const std::vector<ComingTask>& coming);
  // The balloon was clicked: from now the window is the balloon's task's.
  // Its text, or nothing when no balloon was shown or its task ran since.
  std::optional<std::string> OpenWindow();

  // Whether the open window's task is past: the tick ran it at its minute,
  // or its minute went by (the computer slept through it). Its text once,
  // for the window to say as it closes.
  std::optional<std::string> Expired();

  // The window's choices, for its task until its minute, once: false when
  // the choice acted on nothing (its minute passed, or the task is no longer
  // stored as it was).
  bool RunNow();
  bool Postpone(std::int32_t minutes);
  bool Skip();

 private:
  // The window's task, taken for a choice, in the slot it has now.
  std::optional<ComingTask> TakeWindowTask();
  // Whether `coming` ran, or its minute is over, on the clock it counts by.
  bool Past(const ComingTask& coming);

  WarningServices services_;
  TaskEvaluator::LookAhead ahead_;
  std::optional<std::int64_t> lookedAt_;  // the local minute of the last look ahead
  std::optional<ComingTask> balloon_;
  std::string balloonText_;
  std::optional<ComingTask> window_;
};

}  // namespace velmaro
