// The thirteen action names a task can carry, in the order the task editor
// offers them, with what the evaluation tick does for a due task of each.
#pragma once

#include <cstddef>
#include <string>

namespace velmaro {

enum class ActionClass {
  Immediate,    // runs inside the tick, then the evaluation pauses for a minute
  Countdown,    // hands over to the countdown window, which runs the verb at its end
  JunkCleanup,  // runs inside the tick and waits for the batch
};

enum class ActionId {
  Reminder, OpenFile, CloseProgram, HangUp, Dial, LogOff, StandBy, Hibernate, Restart, PowerOff, FastRestart,
  FastPowerOff, JunkCleanup,
};

struct ActionRow {
  ActionId id;
  const char* name;  // code page 936, compared byte for byte
  ActionClass actionClass;
  const char* verb;  // the pending action of a countdown action; empty otherwise
};

extern const ActionRow kActionTable[];
extern const std::size_t kActionCount;

// The row whose name equals `name`, or null: any other name does nothing.
const ActionRow* FindAction(const std::string& name);

// The verbs whose countdown may ask the other programs to close first.
bool IsSuspendVerb(const std::string& verb);

}  // namespace velmaro
