// Whether the evaluation tick runs: monitoring on, the program started and
// not closed, the computer awake, no settings dialog open, and nothing
// holding it (the pause after an immediate action, a countdown). Each
// condition is changed by its own event; MainUnit switches Timer1 to Runs()
// and the condition tasks' measures (Timer4) to Measures().
#pragma once

namespace velmaro {

class EvaluationGate {
 public:
  bool Runs() const { return monitoring_ && !closed_ && !starting_ && !suspended_ && openDialogs_ == 0 && !held_; }
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
  void Release() { held_ = false; }

 private:
  bool monitoring_ = true;  // the check mark of n1
  bool closed_ = false;
  bool starting_ = false;
  bool suspended_ = false;  // between the suspend and the resume notices
  int openDialogs_ = 0;
  bool held_ = false;
};

}  // namespace velmaro
