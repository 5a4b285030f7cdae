// The network interfaces' byte counters and the processor's times as plain
// values, in place of GetIfTable2 (or GetIfTable) and GetSystemTimes. A test
// moves them between ticks, or lets them flow with a fake clock at set rates,
// as cumulative counters do while nobody reads them; each read can fail, and
// every read is counted.
#pragma once

#include <vector>

#include "platform/system_load.h"
#include "tests/fakes/fake_clock.h"

namespace velmaro {

class FakeSystemLoad : public SystemLoadService {
 public:
  // The connected interfaces that count, as the service lists them; empty
  // when none is connected.
  std::vector<InterfaceBytes> interfaces = {{1, 0, 0}};
  ProcessorTimes processor;
  bool interfacesFail = false;
  bool processorFail = false;
  int interfaceReads = 0;
  int processorReads = 0;

  bool Interfaces(std::vector<InterfaceBytes>* out) override {
    Settle();
    ++interfaceReads;
    out->clear();
    if (interfacesFail) return false;
    *out = interfaces;
    return true;
  }
  bool Processor(ProcessorTimes* out) override {
    Settle();
    ++processorReads;
    if (processorFail) return false;
    *out = processor;
    return true;
  }

  // `receivedBytes` and `sentBytes` more on the first interface; a 32-bit
  // counter goes round at 4 GB.
  void Move(std::uint64_t receivedBytes, std::uint64_t sentBytes) {
    if (interfaces.empty()) return;
    InterfaceBytes& first = interfaces[0];
    first.received += receivedBytes;
    first.sent += sentBytes;
    if (first.wraps32) {
      first.received &= 0xFFFFFFFFu;
      first.sent &= 0xFFFFFFFFu;
    }
  }
  // `ms` of one processor's time, `busyPerMille` of it busy.
  void Run(std::uint64_t ms, std::uint64_t busyPerMille) {
    const std::uint64_t units = ms * 10000;
    const std::uint64_t idle = units * (1000 - busyPerMille) / 1000;
    processor.idle += idle;
    processor.kernel += idle;
    processor.user += units - idle;
  }

  // From now on the counters move with `clock`: the first interface at the
  // given bytes per second, the processor at the given share.
  void Flow(const FakeClock& clock, std::uint64_t receivedPerSecond, std::uint64_t sentPerSecond,
            std::uint64_t busyPerMille = 0) {
    Settle();
    clock_ = &clock;
    settled_ = clock.tickCount;
    receivedRate_ = receivedPerSecond;
    sentRate_ = sentPerSecond;
    busyRate_ = busyPerMille;
  }

 private:
  void Settle() {
    if (!clock_) return;
    const std::uint32_t elapsed = clock_->tickCount - settled_;
    settled_ = clock_->tickCount;
    Move(receivedRate_ * elapsed / 1000, sentRate_ * elapsed / 1000);
    Run(elapsed, busyRate_);
  }

  const FakeClock* clock_ = nullptr;
  std::uint32_t settled_ = 0;
  std::uint64_t receivedRate_ = 0;
  std::uint64_t sentRate_ = 0;
  std::uint64_t busyRate_ = 0;
};

}  // namespace velmaro
