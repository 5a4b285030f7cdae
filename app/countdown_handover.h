// Which task the countdown window counts down for. A countdown task that
// comes due while another one shows takes the window over; the one it
// replaced did not run, and the record says which task took its place. The
// hand-over also knows whether the count is still alive: a countdown whose
// seconds stopped for longer than a tick can stop was interrupted by a sleep.
#pragma once

#include <cstdint>
#include <optional>

#include "scheduler/task_evaluator.h"

namespace velmaro {

// Longer than any gap between two countdown ticks while the program runs;
// shorter than any sleep worth the name.
constexpr std::uint32_t kCountdownStallMs = 30000;

class CountdownHandover {
 public:
  // `task` takes the window at the counter `now`; the task it replaced, if a
  // countdown was showing.
  std::optional<DueTask> Take(const DueTask& task, bool showing, std::uint32_t now);
  // A second of the count passed, or the count waits on purpose (the
  // postpone menu): the countdown is alive at `now`.
  void Beat(std::uint32_t now) { beat_ = now; }
  // Whether a countdown that shows stopped counting, as it does only while
  // the computer sleeps.
  bool Stalled(std::uint32_t now) const { return now - beat_ > kCountdownStallMs; }
  const DueTask& Task() const { return task_; }

 private:
  DueTask task_;
  std::uint32_t beat_ = 0;
};

}  // namespace velmaro
