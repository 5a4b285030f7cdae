// The network interfaces' byte counters and the processor's times as plain
// values a test moves between ticks, in place of GetIfTable and
// GetSystemTimes; each can fail, and every read is counted.
#pragma once

#include <vector>

#include "platform/system_load.h"

namespace velmaro {

class FakeSystemLoad : public SystemLoadService {
 public:
  std::vector<InterfaceBytes> interfaces = {{1, 0, 0}};
  ProcessorTimes processor;
  bool interfacesFail = false;
  bool processorFail = false;
  int interfaceReads = 0;
  int processorReads = 0;

  bool Interfaces(std::vector<InterfaceBytes>* out) override {
    ++interfaceReads;
    if (interfacesFail) return false;
    *out = interfaces;
    return true;
  }
  bool Processor(ProcessorTimes* out) override {
    ++processorReads;
    if (processorFail) return false;
    *out = processor;
    return true;
  }

  // `receivedBytes` and `sentBytes` more on the first interface, wrapping at 32 bits.
  void Move(std::uint32_t receivedBytes, std::uint32_t sentBytes) {
    interfaces[0].received += receivedBytes;
    interfaces[0].sent += sentBytes;
  }
  // `ms` of one processor's time, `busyPerMille` of it busy.
  void Run(std::uint64_t ms, std::uint64_t busyPerMille) {
    const std::uint64_t units = ms * 10000;
    const std::uint64_t idle = units * (1000 - busyPerMille) / 1000;
    processor.idle += idle;
    processor.kernel += idle;
    processor.user += units - idle;
  }
};

}  // namespace velmaro
