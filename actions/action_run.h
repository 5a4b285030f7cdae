// What an action runs on and what it comes to: the services and windows the
// action table's run functions are given, and their result for the record.
#pragma once

#include <string>

#include "actions/reminder.h"
#include "platform/clock.h"
#include "platform/dialup.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/session.h"
#include "platform/shell.h"

namespace velmaro {

struct ActionServices {
  ShellService& shell;
  SessionService& session;
  PowerService& power;
  ProcessService& processes;
  ClockService& clock;
  DialUpService& dialUp;
  ReminderService& reminders;
};

// The program's windows, which actions hand to the system as owners.
class ProgramWindows {
 public:
  virtual ~ProgramWindows() = default;
  // The main window, which also receives the system's notifications.
  virtual WindowHandle Handle() = 0;
  // The application's own hidden window, which owns the program's windows.
  virtual WindowHandle ApplicationHandle() = 0;
};

struct ActionCall {
  const ActionServices& services;
  ProgramWindows& windows;
  const std::string& argument;  // the task's, as stored
};

// Done only when the system carried the action out.
struct ActionResult {
  enum class Kind { Done, Failed, NotDone };
  Kind kind = Kind::Done;
  std::string detail;  // what the system said, or why it was not done
  static ActionResult Done() { return {}; }
  static ActionResult Failed(std::string why) { return {Kind::Failed, std::move(why)}; }
  static ActionResult NotDone(std::string why) { return {Kind::NotDone, std::move(why)}; }
};

}  // namespace velmaro
