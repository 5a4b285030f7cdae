// The condition tasks between ticks: one reading of the network and the
// processor per tick for all of them, one process snapshot per tick, and each
// task's quiet stretch or watched program kept in memory.
//
// A task's state lives across the ticks the program holds back (a pause, a
// countdown, an open dialog). The measures go on meanwhile, a reading each
// 10 s (Sample), so that a download begun late in a hold is not averaged
// away over the whole of it. A watched program is left to the tick's
// snapshots: whether it runs is a state, not an average, so the first
// snapshot after a hold tells all there is to tell, and a snapshot costs
// far more than the counters.
//
// A task is known by its trigger text and action name, and by its place
// among identical tasks, as the evaluator knows a task that ran: a deletion
// that shifts slots keeps every other task's stretch, while an edited task
// (another text or action) starts afresh and a deleted one's state goes at
// the end of the tick that no longer saw it.
#pragma once

#include <cstdint>
#include <map>
#include <optional>
#include <string>
#include <tuple>
#include <utility>
#include <functional>
#include <vector>

#include "platform/processes.h"
#include "platform/system_load.h"
#include "scheduler/conditions.h"
#include "store/trigger_text.h"

namespace velmaro {

class ConditionWatch {
 public:
  ConditionWatch(SystemLoadService& load, ProcessService& processes) : load_(load), processes_(processes) {}

  // A tick at `tickMs`: nothing is read until a task of a kind needs it.
  void BeginTick(std::uint32_t tickMs);
  // Whether the task fires at this tick: once when its stretch has lasted
  // its minutes, once when the last copy of its program has gone. A task
  // new to the watch has its text read first (ReadConditionTrigger), which
  // throws AppError as it does; so does a program name the system has no
  // form for.
  bool Fires(const std::string& trigger, const ParsedTrigger& parsed, const std::string& action);
  // Forgets the tasks this tick did not see.
  void EndTick();
  // A reading of the measures the watched stretches need while the tick is
  // held, at `tickMs`, counted in each of them; nothing fires. The next tick
  // fires a stretch quiet for its minutes by then, and not one that a busy
  // interval has armed anew meanwhile.
  void Sample(std::uint32_t tickMs);
  // Forgets every task (monitoring switched on): each stretch must be armed
  // again, and a program counts as ended only once it has been seen again.
  void Forget() {
    states_.clear();
    meter_.Restart();
  }
  // The computer woke: nothing is measured across the sleep, every stretch
  // must be armed again, and a program's absence is counted afresh.
  void Slept();

  std::size_t Watched() const { return states_.size(); }

 private:
  using Key = std::tuple<std::string, std::string, int>;
  struct State {
    ConditionTrigger condition;
    QuietStretch stretch;
    ProgramWatch program;
    std::u16string name;  // the program's name as the system spells it, ASCII letters folded
    bool seen = true;     // by the tick under way
  };

  State& StateOf(const std::string& trigger, const ParsedTrigger& parsed, const std::string& action);
  // The interval up to this reading, counted in the state's stretch.
  void CountInterval(State& state);
  const LoadRates& Network();
  const LoadRates& Processor();
  std::optional<std::size_t> Running(const std::u16string& name);

  SystemLoadService& load_;
  ProcessService& processes_;
  LoadMeter meter_;
  std::map<Key, State, std::less<>> states_;

  // This tick's readings, each taken at most once.
  std::uint32_t tickMs_ = 0;
  std::optional<LoadRates> network_;
  std::optional<LoadRates> processor_;
  // The file names in this tick's snapshot, ASCII letters folded, once it
  // is taken; `haveSnapshot_` is false when the system gave none.
  std::optional<std::vector<std::u16string>> running_;
  bool haveSnapshot_ = false;
  std::vector<InterfaceBytes> interfaces_;  // kept for its buffer
};

}  // namespace velmaro
