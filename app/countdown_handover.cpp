#include "app/countdown_handover.h"

namespace velmaro {

std::optional<DueTask> CountdownHandover::Take(const DueTask& task, bool showing, std::uint32_t now) {
  std::optional<DueTask> replaced;
  if (showing) replaced = task_;
  task_ = task;
  beat_ = now;
  return replaced;
}

}  // namespace velmaro
