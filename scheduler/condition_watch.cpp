#include "scheduler/condition_watch.h"

#include <algorithm>

#include "actions/task_actions.h"
#include "base/error.h"

namespace velmaro {

void ConditionWatch::BeginTick(std::uint32_t tickMs) {
  tickMs_ = tickMs;
  seenThisTick_.clear();
  network_.reset();
  processor_.reset();
  snapshot_.reset();
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
  if (!snapshot_) snapshot_ = processes_.Processes();
  // A snapshot holds this program at least: an empty one is none at all.
  if (snapshot_->empty()) return std::nullopt;
  return static_cast<std::size_t>(std::count_if(snapshot_->begin(), snapshot_->end(), [&](const ProcessEntry& entry) {
    return ProcessNameMatches(entry.exeFile, name);
  }));
}

ConditionWatch::State& ConditionWatch::StateOf(const ConditionTrigger& condition, const std::string& trigger,
                                               const std::string& action) {
  const int duplicate = seenThisTick_[{trigger, action}]++;
  Key key{trigger, action, duplicate};
  auto found = states_.find(key);
  if (found != states_.end()) {
    found->second.seen = true;
    return found->second;
  }
  // Network thresholds are KB/s against bytes per second; processor ones
  // percent against per mille.
  const std::uint64_t threshold = condition.kind == TriggerKind::NetworkQuiet
                                      ? std::uint64_t{condition.threshold} * 1024
                                      : std::uint64_t{condition.threshold} * 10;
  State state{QuietStretch(threshold, condition.minutes), ProgramWatch(), std::u16string(), true};
  if (condition.kind == TriggerKind::ProgramEnded) {
    state.name = processes_.SystemName(condition.program);
    if (state.name.empty()) throw AppError(QuotedMessage("程序名", condition.program, "不是有效的文字"));
  }
  return states_.emplace(std::move(key), std::move(state)).first->second;
}

bool ConditionWatch::Fires(const ConditionTrigger& condition, const std::string& trigger,
                           const std::string& action) {
  State& state = StateOf(condition, trigger, action);
  switch (condition.kind) {
    case TriggerKind::NetworkQuiet: {
      const LoadRates& rates = Network();
      std::optional<std::uint64_t> busier;
      // Quiet in both directions: the busier one decides.
      if (rates.receivedPerSecond && rates.sentPerSecond) {
        busier = std::max(*rates.receivedPerSecond, *rates.sentPerSecond);
      }
      return state.stretch.Update(rates.intervalMs, busier);
    }
    case TriggerKind::ProcessorQuiet: {
      const LoadRates& rates = Processor();
      std::optional<std::uint64_t> busy;
      if (rates.busyPerMille) busy = *rates.busyPerMille;
      return state.stretch.Update(rates.intervalMs, busy);
    }
    case TriggerKind::ProgramEnded: return state.program.Update(Running(state.name));
    default: return false;
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
