// The warnings ahead of coming countdown tasks: one balloon a minute for the
// nearest, and the warning window that a click on it opens. The window
// belongs to the task and occurrence of the balloon it was opened from: a
// later balloon never changes what its label says or its buttons act on.
#pragma once

#include <optional>
#include <string>
#include <vector>

#include "scheduler/task_evaluator.h"

namespace velmaro {

class WarningsAhead {
 public:
  // The nearest countdown task of those coming, remembered as the balloon's;
  // its text ("5 分钟后将关闭计算机"), or nothing when none is coming.
  std::optional<std::string> Balloon(const std::vector<ComingTask>& coming);
  // The balloon was clicked: from now the window is the balloon's task's.
  // Its text, or nothing when no balloon was shown.
  std::optional<std::string> OpenWindow();
  // The task of the open window, for one of its buttons: once only.
  std::optional<ComingTask> TakeWindowTask();
  // The task the balloon last shown warns of.
  const std::optional<ComingTask>& BalloonTask() const { return balloon_; }

 private:
  std::optional<ComingTask> balloon_;
  std::string balloonText_;
  std::optional<ComingTask> window_;
};

}  // namespace velmaro
