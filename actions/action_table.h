// The thirteen action names a task can carry, in the order the task editor
// offers them: for each, what the evaluation tick does for a due task, what
// its countdown runs at the end, and how the task editor prepares the
// argument field once the name is chosen.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "actions/power_actions.h"
#include "store/trigger_text.h"

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

// What the task editor puts into the argument field when the name is chosen.
enum class ArgumentRule {
  Empty,       // nothing
  FirstItem,   // the first of the row's suggestions
  Hint,        // the row's hint
  ActionName,  // the action name itself
};

struct ActionRow {
  ActionId id;
  const char* name;  // code page 936, compared byte for byte
  ActionClass actionClass;
  const char* verb;  // the pending action of a countdown action; empty otherwise
  // What the countdown runs at its end: this power operation, or, where the
  // row has none, the hang-up of the HangUp row.
  std::optional<PowerOperation> power;
  // The task editor's argument field: its label (null: the label stays as
  // it is), the suggestions offered in its list (up to the first null), its
  // hint, and what it is filled with. `argumentIsPath`: the argument names a
  // file, whose short 8.3 form may stand in for it. Plain pointers keep the
  // table constant data rather than strings built at start-up.
  const char* label;
  const char* items[5];
  const char* hint;
  ArgumentRule argument;
  bool argumentIsPath;
  // Done late, the action still serves: a task of a calendar kind may be
  // caught up once after its minute passed with the computer off or asleep.
  // A shutdown, a log-off, a closed program or a dial-up of last night would
  // come as a surprise in the morning.
  bool harmlessLate;
};

extern const ActionRow kActionTable[];
extern const std::size_t kActionCount;

// The row whose name equals `name`, or null: any other name does nothing.
const ActionRow* FindAction(const std::string& name);
// The countdown row whose pending action verb equals `verb`, or null: the
// empty text and every action name that differs from its verb name none.
const ActionRow* FindVerb(const std::string& verb);

// The two options a task may carry besides its trigger and action: waking
// the computer for it needs an occurrence known ahead (a calendar kind);
// catching it up needs that and an action that serves late as well.
bool MayWake(std::optional<TriggerKind> kind);
bool MayCatchUp(std::optional<TriggerKind> kind, const std::string& action);
bool MayWake(const std::string& trigger);
bool MayCatchUp(const std::string& trigger, const std::string& action);

// The verbs whose countdown may ask the other programs to close first.
bool IsSuspendVerb(const std::string& verb);

}  // namespace velmaro
