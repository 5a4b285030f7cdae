#include "scheduler/condition_watch.h"

#include <algorithm>

#include "base/error.h"
#include "base/process_name.h"

namespace velmaro {

namespace {

bool HasStretch(TriggerKind kind) { return kind == TriggerKind::NetworkQuiet || kind == TriggerKind::ProcessorQuiet; }

}  // namespace

void ConditionWatch::BeginTick(std::uint32_t tickMs) {
  tickMs_ = tickMs;
  network_.reset();
  processor_.reset();
  running_.reset();
}

const LoadRates& ConditionWatch::Network() {
  if (!network_) {
    const bool have = load_.Interfaces(&interfaces_);
    network_ = meter_.SampleNetwork(tickMs_, have, interfaces_);
  }
  return *network_;
}

const LoadRates& ConditionWatch::Processor() {
  if (!processor_) {
    ProcessorTimes times;
    const bool have = load_.Processor(&times);
    processor_ = meter_.SampleProcessor(tickMs_, have, times);
  }
  return *processor_;
}

std::optional<std::size_t> ConditionWatch::Running(const std::u16string& name) {
  if (!running_) {
    running_.emplace();
    const std::vector<ProcessEntry> snapshot = processes_.Processes();
    haveSnapshot_ = !snapshot.empty();  // a snapshot holds this program at least
    running_->reserve(snapshot.size());
    for (const ProcessEntry& entry : snapshot) running_->push_back(FoldedFileName(entry.exeFile));
  }
  if (!haveSnapshot_) return std::nullopt;
  return static_cast<std::size_t>(std::count(running_->begin(), running_->end(), name));
}

ConditionWatch::State& ConditionWatch::StateOf(const std::string& trigger, const ParsedTrigger& parsed,
                                               const std::string& action) {
  // Identical tasks take the states of their kind in slot order: the first
  // one this tick has not yet seen.
  int duplicate = 0;
  for (;; ++duplicate) {
    auto found = states_.find(std::forward_as_tuple(trigger, action, duplicate));
    if (found == states_.end()) break;
    if (!found->second.seen) {
      found->second.seen = true;
      return found->second;
    }
  }
  const ConditionTrigger condition = ReadConditionTrigger(trigger, parsed);
  // Network thresholds are KB/s against bytes per second; processor ones
  // percent against per mille.
  const std::uint64_t threshold = condition.kind == TriggerKind::NetworkQuiet
                                      ? std::uint64_t{condition.threshold} * 1024
                                      : std::uint64_t{condition.threshold} * 10;
  State state{condition, QuietStretch(threshold, condition.minutes), ProgramWatch(), std::u16string(), true};
  if (condition.kind == TriggerKind::ProgramEnded) {
    const std::u16string name = processes_.SystemName(condition.program);
    if (name.empty()) throw AppError(QuotedMessage("程序名", condition.program, "不是有效的文字"));
    state.name = FoldedFileName(name);
  }
  return states_.emplace(Key{trigger, action, duplicate}, std::move(state)).first->second;
}

void ConditionWatch::CountInterval(State& state) {
  if (state.condition.kind == TriggerKind::NetworkQuiet) {
    const LoadRates& rates = Network();
    // Quiet in both directions: the busier one decides.
    std::optional<std::uint64_t> busier;
    if (rates.receivedPerSecond && rates.sentPerSecond) {
      busier = std::max(*rates.receivedPerSecond, *rates.sentPerSecond);
    }
    state.stretch.Count(rates.intervalMs, busier);
  } else {
    const LoadRates& rates = Processor();
    std::optional<std::uint64_t> busy;
    if (rates.busyPerMille) busy = *rates.busyPerMille;
    state.stretch.Count(rates.intervalMs, busy);
  }
}

bool ConditionWatch::Fires(const std::string& trigger, const ParsedTrigger& parsed, const std::string& action) {
  State& state = StateOf(trigger, parsed, action);
  switch (state.condition.kind) {
    case TriggerKind::NetworkQuiet:
    case TriggerKind::ProcessorQuiet:
      CountInterval(state);
      return state.stretch.Fire();
    case TriggerKind::ProgramEnded: return state.program.Update(tickMs_, Running(state.name));
    default: return false;
  }
}

void ConditionWatch::Sample(std::uint32_t tickMs) {
  BeginTick(tickMs);
  for (auto& entry : states_) {
    if (HasStretch(entry.second.condition.kind)) CountInterval(entry.second);
  }
}

void ConditionWatch::Slept() {
  meter_.Restart();
  for (auto& entry : states_) {
    entry.second.stretch.Disarm();
    entry.second.program.RestartAbsence();
  }
}

void ConditionWatch::EndTick() {
  for (auto it = states_.begin(); it != states_.end();) {
    if (!it->second.seen) {
      it = states_.erase(it);
      continue;
    }
    it->second.seen = false;
    ++it;
  }
}

}  // namespace velmaro
