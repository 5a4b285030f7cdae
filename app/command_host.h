// What a command from the command line needs of the copy of the program that
// runs the timers. The running copy is its own host; when no copy runs, the
// task commands work on the store alone, with a host that has no timer.
#pragma once

#include <optional>
#include <string>

#include "app/quick_timer_request.h"

namespace velmaro {

// The command line's exit codes, as /? and the help document them.
enum class ExitCode : int {
  Done = 0,
  BadCommandLine = 1,
  NothingToCancel = 2,
  Refused = 3,     // a task or a file was refused: the message says why
  StoreFailed = 4, // the store or the file could not be read or written
};

// /status, each part a text for a person, code page 936.
struct StatusReport {
  bool running = false;                // a copy of the program runs
  std::optional<std::string> timer;    // the quick timer: "23:15 关机"
  std::optional<std::string> countdown;// the countdown that shows: "关机，还剩 25 秒"
  bool monitoring = false;
  std::optional<std::string> nextTask; // "2026-12-10 22:30 任务 3 每天22时30分 关闭计算机"
};

class CommandHost {
 public:
  virtual ~CommandHost() = default;
  // Whether this host runs timers: false when no copy of the program runs.
  virtual bool RunsTimers() const = 0;
  // Sets the quick timer, replacing one that is set; what it was set to, as
  // the tip shows it ("23:15 关机").
  virtual std::string SetQuickTimer(const QuickTimerRequest& request) = 0;
  // Cancels the quick timer and a countdown that shows: false when there was neither.
  virtual bool CancelQuickTimer() = 0;
  virtual StatusReport Status() = 0;
  // A settings dialog is open: the tasks are the dialog's until it closes.
  virtual bool TasksInUse() const = 0;
  // The tasks or the settings were changed from outside the dialogs: the
  // program reads them afresh, as it does after the settings dialog.
  virtual void TasksChanged() = 0;
};

}  // namespace velmaro
