// How busy the computer is: the byte counters of its network interfaces and
// the processor's times, read at each tick for the condition triggers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace velmaro {

// One interface's counters as the system keeps them: 32 bits, wrapping.
struct InterfaceBytes {
  std::uint32_t index = 0;
  std::uint32_t received = 0;
  std::uint32_t sent = 0;
};

// Processor times since start, in 100 ns units; `kernel` includes `idle`.
struct ProcessorTimes {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
};

class SystemLoadService {
 public:
  virtual ~SystemLoadService() = default;
  // Every interface but loopback; false when the system does not say.
  virtual bool Interfaces(std::vector<InterfaceBytes>* interfaces) = 0;
  // False when the system does not say.
  virtual bool Processor(ProcessorTimes* times) = 0;
};

// The running system's counters (Windows builds only).
std::unique_ptr<SystemLoadService> MakeSystemLoad();

}  // namespace velmaro
