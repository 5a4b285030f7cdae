// Whether the evaluation tick runs: monitoring on, the program started and
// not closed, the computer awake, no settings dialog open, and nothing
// holding it (the pause after an immediate action, a countdown). Each
// condition is changed by its own event; Evaluation switches Timer1 to Runs()
// and the condition tasks' measures (Timer4) to Measures().
#pragma once

#include <cstdint>

#include "app/form1_view.h"
#include "platform/clock.h"
#include "scheduler/task_evaluator.h"

namespace velmaro {

class EvaluationGate {
 public:
  // The quick timer is the user's own one-off: it runs with monitoring off too.
  bool Runs() const {
    return (monitoring_ || timerSet_) && !closed_ && !starting_ && !suspended_ && openDialogs_ == 0 && !held_;
  }
  // The condition tasks' measures go on while start-up, a dialog or a hold
  // stops the tick, which otherwise takes their reading itself; not across
  // what breaks every stretch anyway (sleep, monitoring off).
  bool Measures() const { return monitoring_ && !closed_ && !suspended_ && (starting_ || openDialogs_ > 0 || held_); }

  bool Monitoring() const { return monitoring_; }
  // Switching monitoring either way ends a hold: the user decides anew.
  void SetMonitoring(bool on) {
    monitoring_ = on;
    held_ = false;
  }
  bool Closed() const { return closed_; }
  void Close() { closed_ = true; }
  // FormCreate, with a start-up error box, is not through.
  void SetStarting(bool starting) { starting_ = starting; }
  void Suspend() { suspended_ = true; }
  // Whether a suspend notice came before this wake.
  bool Resume() {
    const bool noticed = suspended_;
    suspended_ = false;
    return noticed;
  }
  void DialogOpened() { ++openDialogs_; }
  // A dialog closing ends a hold as well: the tick catches up what it held.
  void DialogClosed() {
    if (openDialogs_ > 0) --openDialogs_;
    held_ = false;
  }
  void Hold() { held_ = true; }
  void SetTimerSet(bool set) { timerSet_ = set; }
  bool DialogOpen() const { return openDialogs_ > 0; }
  void Release() { held_ = false; }

 private:
  bool monitoring_ = true;  // the check mark of n1
  bool closed_ = false;
  bool starting_ = false;
  bool suspended_ = false;  // between the suspend and the resume notices
  int openDialogs_ = 0;
  bool held_ = false;
  bool timerSet_ = false;  // a quick timer waits
};

// The gate with Timer1 and Timer4, which are switched to follow it whenever
// its owner asks after a change: the one place that switches them.
class Evaluation {
 public:
  Evaluation(Form1View& view, ClockService& clock, const TaskEvaluator& evaluator)
      : view_(view), clock_(clock), evaluator_(evaluator) {}

  EvaluationGate gate;

  bool Runs() const { return gate.Runs(); }
  void Update() {
    const bool runs = gate.Runs();
    // A tick is due within one period of Timer1 from when it is switched on.
    if (runs && !evaluating_) lastTick_ = clock_.TickCount();
    evaluating_ = runs;
    view_.SetTimer(TimerId::Timer1, runs);
    UpdateMeasures();
  }
  // Timer4 on exactly while the measures go on without the tick, for the
  // condition tasks the tick watches (a tick may hold itself before it
  // watched one: asked again after each).
  void UpdateMeasures() {
    const bool on = gate.Measures() && evaluator_.Watched() > 0;
    if (on == measuring_) return;
    measuring_ = on;
    view_.SetTimer(TimerId::Timer4, on);
  }
  // A tick ran at the counter `now`.
  void Ticked(std::uint32_t now) { lastTick_ = now; }
  // The ticks stopped for longer than `ms` while they should have come, as
  // they do only while the computer sleeps.
  bool TicksStalled(std::uint32_t now, std::uint32_t ms) const { return gate.Runs() && now - lastTick_ > ms; }

 private:
  Form1View& view_;
  ClockService& clock_;
  const TaskEvaluator& evaluator_;
  bool measuring_ = false;  // Timer4 as last switched
  // The counter at the last tick, or when Timer1 last came on.
  std::uint32_t lastTick_ = 0;
  bool evaluating_ = false;  // Timer1 as last switched
};

}  // namespace velmaro
