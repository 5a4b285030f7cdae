#include "app/countdown_session.h"

#include "actions/close_other_windows.h"

namespace velmaro {

const PostponeChoice kPostponeChoices[4] = {
    {5, "推迟 &5 分钟"}, {10, "推迟 &10 分钟"}, {30, "推迟 &30 分钟"}, {60, "推迟 &60 分钟"}};

void CountdownSession::Start(const DueTask& task, const ActionRow& row) {
  // Come due anew, the task no longer waits for its postponement.
  for (const Postponement& earlier : postponements_.TakeOf(task)) {
    runner_.Record(earlier.task, RecordOutcome::NotDone, "同一任务又到时间，推迟的一次作废");
  }
  HandOver(task, row.verb);
}

bool CountdownSession::StartDuePostponement(Postponements::Checks& checks, std::vector<std::string>& late) {
  if (countdown_.Showing()) return false;
  std::vector<Postponements::Dropped> dropped;
  const std::optional<Postponement> due = postponements_.TakeDue(services_.clock.TickCount(), checks, dropped);
  for (const Postponements::Dropped& drop : dropped) {
    runner_.Record(drop.postponement.task, RecordOutcome::NotDone, drop.reason);
    if (drop.late) late.push_back(drop.postponement.verb);
  }
  if (due) HandOver(due->task, due->verb);
  return due.has_value();
}

void CountdownSession::HandOver(const DueTask& task, const std::string& verb) {
  if (const std::optional<DueTask> replaced =
          handover_.Take(task, countdown_.Showing(), services_.clock.TickCount())) {
    runner_.Record(*replaced, RecordOutcome::NotDone, "倒计时被任务 " + std::to_string(task.slot) + " 取代");
  }
  verb_ = verb;
  countdown_.MyChangeCaption(verb_);
  services_.view.SetTimer(TimerId::Timer2, true);
  evaluation_.gate.Hold();
  evaluation_.Update();
  countdown_.Show(settings_.SoundPath, services_.view.Handle());
  // As the countdown starts, so that they have its length to save their work.
  CloseOtherProgramsBefore(task);
}

void CountdownSession::CloseOtherProgramsBefore(const DueTask& task) {
  const ActionRow* row = FindAction(task.action);
  if (settings_.ShutApp == 1 && row && row->Suspends()) {
    CloseOtherWindows(services_.processes, services_.view.Handle());
  }
}

void CountdownSession::RunAtOnce(const DueTask& task) {
  CloseOtherProgramsBefore(task);
  runner_.Run(task, RunStart::CountedDown);
}

void CountdownSession::Tick() {
  // A tick that was queued behind the end of the count runs nothing again.
  if (evaluation_.gate.Closed() || !countdown_.Showing()) return;
  handover_.Beat(services_.clock.TickCount());
  if (countdown_.Tick(settings_.Tishi)) EndAndRun();
}

void CountdownSession::ExecuteNow() {
  // A click that was queued behind the end of the count must not run the action twice.
  if (evaluation_.gate.Closed() || !countdown_.Showing()) return;
  EndAndRun();
}

void CountdownSession::EndAndRun() {
  countdown_.End();
  evaluation_.gate.Release();
  evaluation_.Update();
  // Off before the action runs: stand-by returns only after the computer
  // resumes, and the hang-up shows a window.
  services_.view.SetTimer(TimerId::Timer2, false);
  // A copy: the action may run a message loop that starts another countdown.
  const DueTask task = handover_.Task();
  runner_.Run(task, RunStart::CountedDown);
}

bool CountdownSession::Cancel() {
  if (evaluation_.gate.Closed() || !countdown_.Showing()) return false;
  services_.view.SetTimer(TimerId::Timer2, false);
  countdown_.End();
  runner_.Record(handover_.Task(), RecordOutcome::Cancelled);
  return true;
}

bool CountdownSession::ChoosePostponement() {
  if (evaluation_.gate.Closed() || !countdown_.Showing()) return false;
  // The count waits while the user chooses: the action must not run under the open menu.
  services_.view.SetTimer(TimerId::Timer2, false);
  const std::int32_t minutes = services_.view.ChoosePostponement();
  // The computer slept or the program closed meanwhile.
  if (evaluation_.gate.Closed() || !countdown_.Showing()) return false;
  handover_.Beat(services_.clock.TickCount());
  if (minutes > 0) return Postpone(minutes);
  services_.view.SetTimer(TimerId::Timer2, true);
  return false;
}

bool CountdownSession::Postpone(std::int32_t minutes) {
  if (evaluation_.gate.Closed() || !countdown_.Showing() || minutes <= 0) return false;
  services_.view.SetTimer(TimerId::Timer2, false);
  countdown_.End();
  PostponeAhead(handover_.Task(), verb_, 0, minutes);
  evaluation_.gate.Release();
  evaluation_.Update();
  return true;
}

void CountdownSession::PostponeAhead(const DueTask& due, const std::string& verb, std::uint32_t leadMs,
                                     std::int32_t minutes) {
  DueTask task = due;
  task.lateMinutes = 0;  // when it comes back, it comes when asked
  task.caughtUp = false;
  runner_.Record(task, RecordOutcome::Postponed, "", minutes);
  postponements_.Add(Postponement{task, verb, services_.clock.TickCount(),
                                  leadMs + static_cast<std::uint32_t>(minutes) * postponeMinuteMs_});
}

void CountdownSession::EndOnSuspend() {
  if (!countdown_.Showing()) return;
  services_.view.SetTimer(TimerId::Timer2, false);
  countdown_.End();
  interruptedVerb_ = verb_;
  runner_.Record(handover_.Task(), RecordOutcome::NotDoneAsleep);
}

std::optional<std::string> CountdownSession::Woke(std::uint32_t now) {
  EndOnSuspend();
  // A postponed countdown whose time came while the computer slept is not
  // run on waking, as a task due in a minute slept through is not.
  for (const Postponement& postponement : postponements_.TakeDueAsleep(now)) {
    runner_.Record(postponement.task, RecordOutcome::NotDoneAsleep);
    interruptedVerb_ = postponement.verb;
  }
  std::optional<std::string> verb;
  if (!interruptedVerb_.empty()) verb = interruptedVerb_;
  interruptedVerb_.clear();
  return verb;
}

void CountdownSession::Close() {
  services_.view.SetTimer(TimerId::Timer2, false);
  if (countdown_.Showing()) countdown_.End();
}

}  // namespace velmaro
