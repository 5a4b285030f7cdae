// The quick timer: one action, once, set from the tray menu's "定时…" or the
// command line, and run by the tick as a task is. "In 30 minutes" is timed on
// the millisecond counter from when it was set, so that a clock change moves
// it not at all; "at 23:15" follows the clock, as a task's minute does.
//
// It is kept in a value of its own beside the settings, which an older
// install neither reads nor moves, so that it outlives a restart of the
// program. It never runs late after the computer was off, and, like a
// postponement, it is dropped when its time is found more than the minutes
// a tick catches up behind.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/quick_timer_request.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "scheduler/run_record.h"
#include "scheduler/task_evaluator.h"

namespace velmaro {

extern const char kQuickTimerValue[];    // "QuickTimer", in the store key
extern const char kQuickTimerTrigger[];  // "定时": its trigger as a task, and in the record
// "Welcomed", in the store key: the first start's hint was shown.
extern const char kWelcomedValue[];

// What the dialog and the tip call an action: its countdown verb, or its
// name for the reminder ("关机", "提醒").
std::string QuickTimerVerb(const std::string& action);

class QuickTimer {
 public:
  QuickTimer(ClockService& clock, RegistryService& registry) : clock_(clock), registry_(registry) {}

  bool IsSet() const { return set_.has_value(); }
  // Sets it, replacing the one set, and keeps it; its description.
  std::string Set(const QuickTimerRequest& request);
  // Forgets it, kept value and all.
  void Clear();
  // The clock was set: what is kept for a restart says when it comes by the
  // clock as it reads now.
  void ClockChanged() {
    if (set_) Keep();
  }
  // "23:15 关机": the local time it comes at as the clock reads now, and what it does.
  std::string Description();
  // The task the runner runs for it, its occurrence the local minute it comes at.
  DueTask Task();

  struct Taken {
    DueTask task;
    bool tooLate = false;  // held back past the minutes a tick catches up: dropped
  };
  // At a tick: once its time has come, it is taken out, to run or, too late, to be dropped.
  std::optional<Taken> TakeDue();
  // Awake again: a timer whose time came while the computer slept is taken
  // out and not run, as a task of a minute slept through is not.
  std::optional<DueTask> TakeSleptThrough();
  // At start-up, what an earlier run of the program left set. One whose time
  // came while the computer was off is taken out, with why.
  struct Dropped {
    DueTask task;
    std::string reason;
  };
  std::optional<Dropped> Load();

  // Whether `task` is the timer as it is set now (a warning's window acts on
  // it only then).
  bool Holds(const DueTask& task);
  // The timer, when it comes one of `minutes` from the minute now: for the
  // warnings ahead.
  std::optional<ComingTask> Coming(const std::vector<std::int32_t>& minutes);

 private:
  struct Setting {
    QuickTimerRequest request;
    std::uint32_t since = 0;    // In: the counter when it was set
    std::uint32_t delayMs = 0;  // In: from `since` to its time
    std::int64_t dueMinute = 0; // At: the local minute it comes at
    std::uint32_t serial = 0;   // which setting: a warning's task names it
  };
  // The local minute it comes at, as the clock reads now.
  std::int64_t DueMinute();
  // How late it is now, in milliseconds; negative while it is still to come.
  std::int64_t LateMs();
  void Keep();
  void Unkeep();

  ClockService& clock_;
  RegistryService& registry_;
  std::optional<Setting> set_;
  std::uint32_t serials_ = 0;
};

}  // namespace velmaro
