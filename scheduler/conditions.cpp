#include "scheduler/conditions.h"

#include <algorithm>

namespace velmaro {

namespace {

constexpr std::uint64_t kCounter32 = std::uint64_t{1} << 32;

const InterfaceBytes* FindInterface(const std::vector<InterfaceBytes>& interfaces, std::uint32_t index) {
  auto found = std::find_if(interfaces.begin(), interfaces.end(),
                            [index](const InterfaceBytes& entry) { return entry.index == index; });
  return found == interfaces.end() ? nullptr : &*found;
}

// The bytes a counter moved in `intervalMs`, or nothing when that cannot be
// known: a 64-bit counter that went back was reset, and a 32-bit one is read
// modulo 2^32, which holds only while the link cannot move 4 GB in the
// interval (a link of unknown speed is taken to go round at most once).
std::optional<std::uint64_t> Moved(std::uint64_t now, std::uint64_t before, const InterfaceBytes& entry,
                                   std::uint32_t intervalMs) {
  if (!entry.wraps32) {
    if (now < before) return std::nullopt;
    return now - before;
  }
  const std::uint64_t bytesPerSecond = entry.linkBitsPerSecond / 8;
  if (bytesPerSecond > 0 && bytesPerSecond >= (kCounter32 * 1000 + intervalMs - 1) / intervalMs) return std::nullopt;
  return static_cast<std::uint32_t>(now - before);
}

// Per second over `intervalMs` (never 0), without overflow for any count.
std::uint64_t PerSecond(std::uint64_t bytes, std::uint32_t intervalMs) {
  return bytes / intervalMs * 1000 + bytes % intervalMs * 1000 / intervalMs;
}

}  // namespace

LoadRates LoadMeter::SampleNetwork(std::uint32_t tickMs, bool haveInterfaces,
                                   const std::vector<InterfaceBytes>& interfaces) {
  LoadRates rates;
  // A second tick in the same millisecond (the one posted after a clock
  // change) has nothing to add, and must not shorten the next interval.
  if (network_.started && tickMs == network_.tick) return rates;
  if (network_.started) rates.intervalMs = static_cast<std::uint32_t>(tickMs - network_.tick);
  if (rates.intervalMs > 0 && haveInterfaces && network_.have) {
    std::uint64_t received = 0, sent = 0;
    bool counted = false;
    for (const InterfaceBytes& now : interfaces) {
      const InterfaceBytes* before = FindInterface(lastInterfaces_, now.index);
      if (!before) continue;
      const std::optional<std::uint64_t> in = Moved(now.received, before->received, now, rates.intervalMs);
      const std::optional<std::uint64_t> out = Moved(now.sent, before->sent, now, rates.intervalMs);
      if (!in || !out) continue;
      received += *in;
      sent += *out;
      counted = true;
    }
    // No interface connected at both ends: nothing was measured, which is
    // not the same as nothing moving.
    if (counted) {
      rates.receivedPerSecond = PerSecond(received, rates.intervalMs);
      rates.sentPerSecond = PerSecond(sent, rates.intervalMs);
    }
  }
  network_ = Previous{true, tickMs, haveInterfaces};
  lastInterfaces_ = interfaces;
  return rates;
}

LoadRates LoadMeter::SampleProcessor(std::uint32_t tickMs, bool haveProcessor, const ProcessorTimes& processor) {
  LoadRates rates;
  if (processor_.started && tickMs == processor_.tick) return rates;
  if (processor_.started) rates.intervalMs = static_cast<std::uint32_t>(tickMs - processor_.tick);
  // The times only grow; one that went back is no reading to trust.
  if (rates.intervalMs > 0 && haveProcessor && processor_.have && processor.idle >= lastProcessor_.idle &&
      processor.kernel >= lastProcessor_.kernel && processor.user >= lastProcessor_.user) {
    const std::uint64_t total = (processor.kernel - lastProcessor_.kernel) + (processor.user - lastProcessor_.user);
    const std::uint64_t idle = std::min(processor.idle - lastProcessor_.idle, total);
    if (total > 0) rates.busyPerMille = static_cast<std::uint32_t>((total - idle) * 1000 / total);
  }
  processor_ = Previous{true, tickMs, haveProcessor};
  lastProcessor_ = processor;
  return rates;
}

void LoadMeter::Restart() {
  network_ = Previous();
  processor_ = Previous();
  lastInterfaces_.clear();
}

bool ProgramWatch::Update(std::uint32_t tickMs, std::optional<std::size_t> running) {
  if (!running || *running > 0) {
    if (running) seen_ = true;
    goneSince_.reset();
    return false;
  }
  if (!seen_) return false;
  if (!goneSince_) {
    goneSince_ = tickMs;
    return false;
  }
  if (static_cast<std::uint32_t>(tickMs - *goneSince_) < kProgramGoneMs) return false;
  seen_ = false;
  goneSince_.reset();
  return true;
}

}  // namespace velmaro
