// The condition triggers' view of the computer: how fast the network moves
// bytes and how busy the processor is between two ticks, and for how long a
// measure has stayed below a threshold, or a program has been gone.
//
// Each tick takes one sample; two samples make one measured interval. A
// stretch is broken by any interval at or above the threshold, and also by
// one the tick did not measure (a missed reading, or a gap longer than
// kLongestSampleGapMs while the tick was held or the computer slept), since
// nothing is known of what happened meanwhile. A stretch fires once, when it
// has lasted its minutes; only a new stretch fires again.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_load.h"

namespace velmaro {

// Three ticks: a longer gap means the tick was not running.
constexpr std::uint32_t kLongestSampleGapMs = 30000;

// Bytes per second in each direction and the processor's busy share, in
// per mille, over one interval.
struct LoadRates {
  std::uint32_t intervalMs = 0;  // 0: no interval was measured
  std::optional<std::uint64_t> receivedPerSecond;
  std::optional<std::uint64_t> sentPerSecond;
  std::optional<std::uint32_t> busyPerMille;
};

// Turns successive readings into rates. Counters are 32-bit and wrap; an
// interface seen in only one of two readings (it appeared or vanished) does
// not count for that interval.
class LoadMeter {
 public:
  // The rates since the previous reading, taken `tickMs` (the wrapping
  // millisecond counter) later; nothing for the first reading or after a gap.
  LoadRates Sample(std::uint32_t tickMs, bool haveInterfaces, const std::vector<InterfaceBytes>& interfaces,
                   bool haveProcessor, const ProcessorTimes& processor);
  // One measure alone, so that a tick reads only what its tasks need. Each
  // keeps its own previous reading.
  LoadRates SampleNetwork(std::uint32_t tickMs, bool haveInterfaces, const std::vector<InterfaceBytes>& interfaces);
  LoadRates SampleProcessor(std::uint32_t tickMs, bool haveProcessor, const ProcessorTimes& processor);

 private:
  struct Previous {
    bool started = false;
    std::uint32_t tick = 0;
    bool have = false;
    // The interval since the previous reading, 0 when none counts; this
    // reading becomes the previous one.
    std::uint32_t Advance(std::uint32_t tickMs, bool haveNow);
  };
  Previous network_;
  std::vector<InterfaceBytes> lastInterfaces_;
  Previous processor_;
  ProcessorTimes lastProcessor_;
};

// How long one measure has stayed below its threshold.
class QuietStretch {
 public:
  QuietStretch(std::uint64_t threshold, std::uint32_t minutes) : threshold_(threshold), minutes_(minutes) {}
  // True once per stretch: at the interval that completes its minutes.
  // `value` is nothing for an interval that was not measured.
  bool Update(std::uint32_t intervalMs, std::optional<std::uint64_t> value);

 private:
  std::uint64_t threshold_;
  std::uint32_t minutes_;
  std::uint64_t quietMs_ = 0;
  bool fired_ = false;
};

// Whether a program has ended: the last process of its name gone, after it
// was seen running since the watch began. A program never seen never fires;
// one that starts again makes a new occurrence.
class ProgramWatch {
 public:
  // `running`: how many processes of the name the tick's snapshot holds;
  // nothing when the system gave no snapshot.
  bool Update(std::optional<std::size_t> running);

 private:
  bool seen_ = false;
};

}  // namespace velmaro
