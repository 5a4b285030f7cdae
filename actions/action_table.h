// The thirteen action names a task can carry, in the order the task editor
// offers them: for each, when it runs (at once, or after a countdown), what
// runs and what the record says of it, and how the task editor prepares the
// argument field once the name is chosen.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

#include "actions/action_run.h"
#include "actions/power_actions.h"
#include "store/trigger_text.h"

namespace velmaro {

enum class ActionClass {
  Immediate,    // runs when due, then the evaluation pauses for a minute
  Countdown,    // hands over to the countdown window, and runs at its end
  JunkCleanup,  // runs when due and waits for the batch
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
  // The command line's English name for it ("shutdown"), matched in any case.
  const char* keyword;
  ActionClass actionClass;
  const char* verb;  // the countdown window's verb ("关机"); empty for the others
  // What runs: the row's own operation with the task's argument. Throws
  // AppError for a failure the user is shown at once (a file that will not
  // open); what the system refused comes back as Failed.
  ActionResult (*run)(const ActionRow& row, const ActionCall& call);
  std::optional<PowerOperation> power;  // the operation of a power row
  // The record says it began before it runs: a fast restart or shutdown
  // ends the system inside its call when it succeeds, and never reports back.
  bool recordsStart;
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
  // Stand-by and hibernate: with ShutApp, the other programs are asked to
  // close first, since they stay in memory with their work unsaved.
  bool Suspends() const { return power == PowerOperation::StandBy || power == PowerOperation::Hibernate; }
};

extern const ActionRow kActionTable[];
extern const std::size_t kActionCount;

// The row whose name equals `name`, or null: any other name does nothing.
const ActionRow* FindAction(const std::string& name);
// The row whose keyword is `keyword`, ASCII letters in any case, or null.
const ActionRow* FindActionKeyword(const std::string& keyword);

// The two options a task may carry besides its trigger and action: waking
// the computer for it needs an occurrence known ahead (a calendar kind);
// catching it up needs that and an action that serves late as well.
bool MayWake(std::optional<TriggerKind> kind);
bool MayCatchUp(std::optional<TriggerKind> kind, const std::string& action);
bool MayWake(const std::string& trigger);
bool MayCatchUp(const std::string& trigger, const std::string& action);

}  // namespace velmaro
