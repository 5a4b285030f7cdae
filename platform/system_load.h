// How busy the computer is: the byte counters of its network interfaces and
// the processor's times, read at each tick for the condition triggers.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

namespace velmaro {

// One interface's byte counters as the system keeps them. Systems since
// Vista keep 64 bits; Windows XP keeps 32, which wrap at 4 GB.
struct InterfaceBytes {
  std::uint32_t index = 0;
  std::uint64_t received = 0;
  std::uint64_t sent = 0;
  bool wraps32 = false;
  // The link's speed in bits per second, 0 when the system does not say:
  // how soon a 32-bit counter can go round unseen.
  std::uint64_t linkBitsPerSecond = 0;
};

// What the system says of one row of its interface table. One network card
// can be listed several times over (filter drivers, virtual-switch ports,
// tunnels riding on it); only its own row counts its bytes once.
struct InterfaceRow {
  std::uint32_t type = 0;  // the IANA interface type
  bool hardware = true;    // the system says it is a card (false from systems that do not say)
  bool filter = false;     // a filter driver's row stacked on a card
  bool up = false;         // operational, with its medium connected
};
bool CountsInterface(const InterfaceRow& row);

// Processor times since start, in 100 ns units, all processors together;
// `kernel` includes `idle`.
struct ProcessorTimes {
  std::uint64_t idle = 0;
  std::uint64_t kernel = 0;
  std::uint64_t user = 0;
};

class SystemLoadService {
 public:
  virtual ~SystemLoadService() = default;
  // The connected interfaces that count (CountsInterface), each once; none
  // when nothing is connected. False when the system does not say.
  virtual bool Interfaces(std::vector<InterfaceBytes>* interfaces) = 0;
  // False when the system does not say.
  virtual bool Processor(ProcessorTimes* times) = 0;
};

// The running system's counters (Windows builds only).
std::unique_ptr<SystemLoadService> MakeSystemLoad();

}  // namespace velmaro
