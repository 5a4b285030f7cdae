// One countdown from the moment a task hands over to it to its end: the task
// and the verb its window shows, the hand-over to a later countdown task,
// and each way it ends (run out or execute-now, which run the task; cancel;
// postpone; a sleep, which runs nothing and is reported on waking). While it
// shows it holds the evaluation; every line it leaves in the record goes
// through the runner, as the task's run does.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "actions/countdown.h"
#include "actions/task_runner.h"
#include "app/countdown_handover.h"
#include "app/evaluation_gate.h"
#include "app/form1_view.h"
#include "app/postponements.h"
#include "store/task_store.h"

namespace velmaro {

// The countdown's postpone menu, top to bottom.
struct PostponeChoice {
  std::int32_t minutes;
  const char* caption;  // code page 936; "&" marks the access key
};
extern const PostponeChoice kPostponeChoices[4];  // 5, 10, 30 and 60 minutes

struct CountdownServices {
  Form1View& view;
  SoundService& sound;
  ProcessService& processes;
  ClockService& clock;
};

class CountdownSession {
 public:
  CountdownSession(const CountdownServices& services, const Settings& settings, Evaluation& evaluation,
                   Postponements& postponements, TaskRunner& runner)
      : services_(services), settings_(settings), evaluation_(evaluation), postponements_(postponements),
        runner_(runner), countdown_(services.view, services.sound) {}

  bool Showing() const { return countdown_.Showing(); }
  // The task whose countdown shows, or showed last, and its verb.
  const DueTask& Task() const { return handover_.Task(); }
  const std::string& Verb() const { return verb_; }

  // `task` came due: its countdown starts, or takes over the window of one
  // that shows, whose task then did not run. A postponement of the same task
  // gives way to it.
  void Start(const DueTask& task, const ActionRow& row);
  // The first postponement whose time has come and that may still run
  // starts its countdown; those that may not are dropped, with a record line
  // each. True when a countdown started; `late` gets the verbs of those
  // dropped for being held back too long, which the user is told of.
  bool StartDuePostponement(Postponements::Checks& checks, std::vector<std::string>& late);
  // Timer2: a second of the count, and the task's run when it ran out.
  void Tick();
  // The window's buttons: execute now; cancel (true when it cancelled: the
  // user wants monitoring off); the postpone menu; a postponement chosen.
  void ExecuteNow();
  bool Cancel();
  bool ChoosePostponement();
  bool Postpone(std::int32_t minutes);
  // Runs `task` at once, as the countdown's execute-now would have (from the
  // warning window, ahead of its minute).
  void RunAtOnce(const DueTask& task);
  // Puts `task` off to `minutes` after `leadMs` from now, with its record
  // line: the countdown's own postponement, or the warning window's, counted
  // from the task's minute ahead.
  void PostponeAhead(const DueTask& task, const std::string& verb, std::uint32_t leadMs, std::int32_t minutes);
  // How long a minute of a postponement lasts: the end-to-end build shortens
  // it so that its tests need not wait minutes.
  void SetPostponeMinute(std::uint32_t ms) { postponeMinuteMs_ = ms; }

  // The computer is about to sleep, or slept without notice: a countdown
  // that shows ends without its action.
  void EndOnSuspend();
  // Awake again at the counter `now`: the postponements whose time came
  // meanwhile are not run either. The verb of what a sleep ended, to be
  // reported once.
  std::optional<std::string> Woke(std::uint32_t now);
  // Whether a countdown that shows stopped counting, as it does only while
  // the computer sleeps.
  bool Stalled(std::uint32_t now) const { return Showing() && handover_.Stalled(now); }
  // The program closes: the window goes without a word.
  void Close();

 private:
  void HandOver(const DueTask& task, const std::string& verb);
  // With ShutApp, the other programs are asked to close before stand-by or
  // hibernate, which keep them in memory with their work unsaved.
  void CloseOtherProgramsBefore(const DueTask& task);
  void EndAndRun();

  CountdownServices services_;
  const Settings& settings_;
  Evaluation& evaluation_;
  Postponements& postponements_;
  TaskRunner& runner_;
  Countdown countdown_;
  // The task whose countdown shows, or showed last, and its verb.
  CountdownHandover handover_;
  std::string verb_;
  std::string interruptedVerb_;  // of a countdown a sleep ended, until reported
  std::uint32_t postponeMinuteMs_ = 60000;
};

}  // namespace velmaro
