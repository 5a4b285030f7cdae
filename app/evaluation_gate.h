// Whether the evaluation tick runs: monitoring on, the program started and
// not closed, the computer awake, no settings dialog open, and nothing
// holding it (the pause after an immediate action, a countdown). Each
// condition is changed by its own event; Evaluation switches Timer1 to Runs().
#pragma once

#include <cstdint>

#include "app/form1_view.h"
#include "platform/clock.h"

namespace velmaro {

class EvaluationGate {
 public:
  bool Runs() const { return monitoring_ && !closed_ && !starting_ && !suspended_ && openDialogs_ == 0 && !held_; }

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
  void Release() { held_ = false; }

 private:
  bool monitoring_ = true;  // the check mark of n1
  bool closed_ = false;
  bool starting_ = false;
  bool suspended_ = false;  // between the suspend and the resume notices
  int openDialogs_ = 0;
  bool held_ = false;
};

// The gate with Timer1, which is switched to follow it whenever its owner
// asks after a change: the one place that switches Timer1.
class Evaluation {
 public:
  Evaluation(Form1View& view, ClockService& clock) : view_(view), clock_(clock) {}

  EvaluationGate gate;

  bool Runs() const { return gate.Runs(); }
  void Update() {
    const bool runs = gate.Runs();
    // A tick is due within one period of Timer1 from when it is switched on.
    if (runs && !evaluating_) lastTick_ = clock_.TickCount();
    evaluating_ = runs;
    view_.SetTimer(TimerId::Timer1, runs);
  }
  // A tick ran at the counter `now`.
  void Ticked(std::uint32_t now) { lastTick_ = now; }
  // The ticks stopped for longer than `ms` while they should have come, as
  // they do only while the computer sleeps.
  bool TicksStalled(std::uint32_t now, std::uint32_t ms) const { return gate.Runs() && now - lastTick_ > ms; }

 private:
  Form1View& view_;
  ClockService& clock_;
  // The counter at the last tick, or when Timer1 last came on.
  std::uint32_t lastTick_ = 0;
  bool evaluating_ = false;  // Timer1 as last switched
};

}  // namespace velmaro
