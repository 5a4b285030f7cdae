// Waking the computer for the tasks that ask it: the wake timer kept set for
// the next such occurrence that MissedRuns finds (a refusal said once), the
// stretch the computer is then kept awake, and the task it woke for, which
// runs late when the resume ended after its minute and is recorded as not
// done when nothing let it run by the stretch's deadline.
#pragma once

#include <cstdint>
#include <optional>

#include "actions/task_runner.h"
#include "app/form1_view.h"
#include "app/missed_runs.h"
#include "app/tray_icon.h"
#include "app/wake_timer.h"
#include "scheduler/task_evaluator.h"

namespace velmaro {

struct WakingServices {
  WakeService& wake;
  ClockService& clock;
  RegistryService& registry;  // to find a task's slot for the record
  Settings& settings;
  TaskEvaluator& evaluator;  // which occurrences ran
  TaskRunner& runner;        // for the record
  TrayIcon& tray;
  Form1View& view;  // Timer5
  MissedRuns& missed;
};

class Waking {
 public:
  explicit Waking(const WakingServices& services) : services_(services), timer_(services.wake) {}

  // The timer set for the next occurrence of the tasks that wake the
  // computer, from `plan` or a walk of its own, or cancelled when there is
  // none or monitoring is off; `force` asks the system again.
  void Update(bool force, bool monitoring, const MissedRuns::Plan* plan = nullptr);
  // At each tick: the stretch kept awake goes on while the task woken for has
  // not come or a countdown shows, and the timer follows the clock. The task
  // woken for, when its minute passed before the resume ended and it has not
  // run: to be run now, late.
  std::optional<DueTask> Tick(bool countdownShows, bool monitoring);
  // The computer is about to sleep, and resumed: asleep it is kept awake for
  // nothing, and the timer is current (a tick held for hours left it behind)
  // or set for the occurrence itself when the computer goes to sleep in the
  // minute before it; woken by the timer, the stretch begins.
  void Suspending(bool monitoring);
  void Resumed(std::uint32_t countdownMs);
  // Timer5: the stretch's deadline, whatever holds the tick.
  void Deadline();
  // Monitoring off or the program closing: nothing to stay awake for.
  void Release() { timer_.Release(); }
  void Close();

 private:
  // The stored task of `key` as the record names it, in the slot it has now.
  DueTask StoredTask(const TaskKey& key);
  // The task the computer woke for, as due at its occurrence.
  DueTask WokenTask(const WakeTarget& woke);

  WakingServices services_;
  WakeTimer timer_;
};

}  // namespace velmaro
