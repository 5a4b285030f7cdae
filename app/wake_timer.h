// The one wake timer, kept set one minute before the next occurrence of any
// task that wakes the computer, and the stretch the computer is then kept
// awake: until the task and its countdown are done, and ten minutes more,
// but never past its own deadline, whatever holds the evaluation meanwhile.
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
  UniversalTime due = 0;        // the occurrence as universal time
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
  // Going to sleep at `now`: a timer that already fired while the computer
  // was awake (the lid closed in the minute before the task) is set again
  // for the occurrence itself, unless `ran` says it ran already.
  void Suspending(UniversalTime now, bool ran);

  // The computer resumed at `now` (the counter `tickCount`): the target it
  // woke for, when the timer was set and fired about now. The computer is
  // then kept awake, at most until the occurrence, a countdown of
  // `countdownMs` and ten minutes more have passed.
  std::optional<WakeTarget> Resumed(UniversalTime now, std::uint32_t tickCount, std::uint32_t countdownMs);
  bool KeepsAwake() const { return awake_; }
  // The target of the last timed wake, while the computer is kept awake for it.
  const std::optional<WakeTarget>& WokeFor() const { return wokeFor_; }
  // While kept awake, at each tick in the local minute `minute`: busy while
  // the task woken for has not come yet or a countdown shows; ten minutes
  // after the last busy tick the computer may sleep again.
  void Beat(std::uint32_t tickCount, std::int64_t minute, bool countdownShows);
  // Whether the stretch reached its deadline at `tickCount`, which ends it.
  bool DeadlinePassed(std::uint32_t tickCount);
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
  std::uint32_t awakeSince_ = 0;  // the counter at the wake
  std::uint32_t awakeForMs_ = 0;  // the stretch's longest length from then
};

}  // namespace velmaro
