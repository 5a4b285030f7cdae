#include "scheduler/conditions.h"

#include <algorithm>

namespace velmaro {

namespace {

// Counters wrap at 32 bits: the unsigned difference is the distance moved,
// as long as a counter wraps at most once between two ticks (4 GB in 10 s).
std::uint32_t Moved(std::uint32_t now, std::uint32_t before) { return static_cast<std::uint32_t>(now - before); }

const InterfaceBytes* FindInterface(const std::vector<InterfaceBytes>& interfaces, std::uint32_t index) {
  auto found = std::find_if(interfaces.begin(), interfaces.end(),
                            [index](const InterfaceBytes& entry) { return entry.index == index; });
  return found == interfaces.end() ? nullptr : &*found;
}

}  // namespace

std::uint32_t LoadMeter::Previous::Advance(std::uint32_t tickMs, bool haveNow) {
  const std::uint32_t interval = Moved(tickMs, tick);
  const bool counts = started && interval > 0 && interval <= kLongestSampleGapMs;
  started = true;
  tick = tickMs;
  have = haveNow;
  return counts ? interval : 0;
}

LoadRates LoadMeter::SampleNetwork(std::uint32_t tickMs, bool haveInterfaces,
                                   const std::vector<InterfaceBytes>& interfaces) {
  LoadRates rates;
  const bool hadInterfaces = network_.have;
  rates.intervalMs = network_.Advance(tickMs, haveInterfaces);
  if (rates.intervalMs > 0 && haveInterfaces && hadInterfaces) {
    std::uint64_t received = 0, sent = 0;
    for (const InterfaceBytes& now : interfaces) {
      if (const InterfaceBytes* before = FindInterface(lastInterfaces_, now.index)) {
        received += Moved(now.received, before->received);
        sent += Moved(now.sent, before->sent);
      }
    }
    rates.receivedPerSecond = received * 1000 / rates.intervalMs;
    rates.sentPerSecond = sent * 1000 / rates.intervalMs;
  }
  lastInterfaces_ = interfaces;
  return rates;
}

LoadRates LoadMeter::SampleProcessor(std::uint32_t tickMs, bool haveProcessor, const ProcessorTimes& processor) {
  LoadRates rates;
  const bool hadProcessor = processor_.have;
  rates.intervalMs = processor_.Advance(tickMs, haveProcessor);
  // The times only grow; one that went back is no reading to trust.
  if (rates.intervalMs > 0 && haveProcessor && hadProcessor && processor.idle >= lastProcessor_.idle &&
      processor.kernel >= lastProcessor_.kernel && processor.user >= lastProcessor_.user) {
    const std::uint64_t total = (processor.kernel - lastProcessor_.kernel) + (processor.user - lastProcessor_.user);
    const std::uint64_t idle = std::min(processor.idle - lastProcessor_.idle, total);
    if (total > 0) rates.busyPerMille = static_cast<std::uint32_t>((total - idle) * 1000 / total);
  }
  lastProcessor_ = processor;
  return rates;
}

LoadRates LoadMeter::Sample(std::uint32_t tickMs, bool haveInterfaces, const std::vector<InterfaceBytes>& interfaces,
                            bool haveProcessor, const ProcessorTimes& processor) {
  LoadRates rates = SampleNetwork(tickMs, haveInterfaces, interfaces);
  rates.busyPerMille = SampleProcessor(tickMs, haveProcessor, processor).busyPerMille;
  return rates;
}

bool QuietStretch::Update(std::uint32_t intervalMs, std::optional<std::uint64_t> value) {
  if (intervalMs == 0 || !value || *value >= threshold_) {
    quietMs_ = 0;
    fired_ = false;
    return false;
  }
  quietMs_ += intervalMs;
  if (fired_ || quietMs_ < std::uint64_t{minutes_} * 60000) return false;
  fired_ = true;
  return true;
}

bool ProgramWatch::Update(std::optional<std::size_t> running) {
  if (!running) return false;
  if (*running > 0) {
    seen_ = true;
    return false;
  }
  const bool ended = seen_;
  seen_ = false;
  return ended;
}

}  // namespace velmaro
