// The one wake timer, kept set one minute before the next occurrence of any
// task that wakes the computer, and the stretch the computer is then kept
// awake: until the task and its countdown are done, and ten minutes more.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/wake.h"
#include "store/task_options.h"

namespace velmaro {

// How long the computer stays awake after the task it woke for is done.
constexpr std::uint32_t kStayAwakeMs = 10 * 60 * 1000;

struct WakeTarget {
  TaskKey task;
  std::int64_t occurrence = 0;  // the task's local minute
  UniversalTime at = 0;         // when the timer fires: a minute before it
};

class WakeTimer {
 public:
  explicit WakeTimer(WakeService& wake) : wake_(wake) {}

  // Sets the timer for `target`, or cancels it when there is none. The
  // system is asked again only when the target moved, or with `force`
  // (the clock changed, the computer woke). The first refusal of the run
  // comes back with the system's text, to be said once.
  std::optional<std::string> Keep(const std::optional<WakeTarget>& target, bool force);
  const std::optional<WakeTarget>& Set() const { return set_; }

  // Whether the target was last worked out before the local minute `minute`
  // (the timer follows the clock minute by minute); from now it was not.
  bool Stale(std::int64_t minute);

  // The computer resumed at `now`: the target it woke for, when the timer
  // was set and fired about now. The computer is then kept awake.
  std::optional<WakeTarget> Resumed(UniversalTime now);
  bool KeepsAwake() const { return awake_; }
  // While kept awake, at each tick in the local minute `minute`: busy while
  // the task woken for has not come yet or a countdown shows; ten minutes
  // after the last busy tick the computer may sleep again.
  void Beat(std::uint32_t tickCount, std::int64_t minute, bool countdownShows);
  // Sleep on its way (a task or the user put it to sleep), monitoring off,
  // or the program closing: nothing to stay awake for.
  void Release();

 private:
  WakeService& wake_;
  std::optional<WakeTarget> set_;
  std::optional<UniversalTime> refused_;  // the time last refused, not asked again
  bool refusalSaid_ = false;
  std::optional<std::int64_t> workedOut_;  // the local minute of the last Keep
  std::optional<WakeTarget> wokeFor_;
  bool awake_ = false;
  std::optional<std::uint32_t> doneAt_;
};

}  // namespace velmaro
