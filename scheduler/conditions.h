// The condition triggers' view of the computer: how fast the network moves
// bytes and how busy the processor is between two ticks, whether a measure
// has stayed below a threshold long enough, and whether a program has gone.
//
// Each tick takes one reading, and so does each 10 s the program holds the
// tick back (the pause after an action, a countdown, an open dialog); two
// readings make one measured interval. An average over a long interval would
// hide a download that began within it, so a stretch is quiet only where each
// of its intervals was. The counters are cumulative, so an interval is
// measured however long it is: a slow action leaves a longer interval, not a
// gap. Only what the counters cannot speak for breaks a stretch: sleep,
// monitoring off (the watch is then started afresh) and a failed reading.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "platform/system_load.h"

namespace velmaro {

// How long a program must have been gone to count as ended: three ticks,
// so that an updater handing over to a new copy of itself is not its end.
constexpr std::uint32_t kProgramGoneMs = 30000;

// Bytes per second in each direction and the processor's busy share, in
// per mille, over one interval.
struct LoadRates {
  // 0: no interval, as for the first reading or one taken in the same
  // millisecond as the last (which leaves the last one standing).
  std::uint32_t intervalMs = 0;
  // Nothing over an interval that was not measured: a failed reading at
  // either end, no interface connected in both, a counter that may have
  // gone round unseen.
  std::optional<std::uint64_t> receivedPerSecond;
  std::optional<std::uint64_t> sentPerSecond;
  std::optional<std::uint32_t> busyPerMille;
};

// Turns successive readings into rates. An interface seen in only one of two
// readings (it connected or went down) does not count for that interval.
// Each measure keeps its own previous reading, so that a tick reads only what
// its tasks need.
class LoadMeter {
 public:
  // The rates since the previous reading, taken `tickMs` (the wrapping
  // millisecond counter) later.
  LoadRates SampleNetwork(std::uint32_t tickMs, bool haveInterfaces, const std::vector<InterfaceBytes>& interfaces);
  LoadRates SampleProcessor(std::uint32_t tickMs, bool haveProcessor, const ProcessorTimes& processor);
  // The next readings are first ones again: nothing is measured across
  // what came before (sleep, monitoring off).
  void Restart();

 private:
  struct Previous {
    bool started = false;
    std::uint32_t tick = 0;
    bool have = false;
  };
  Previous network_;
  std::vector<InterfaceBytes> lastInterfaces_;
  Previous processor_;
  ProcessorTimes lastProcessor_;
};

// One measure against its threshold. It arms at an interval at or above the
// threshold (the download or the render has begun), then fires once the
// measure has stayed below it for its minutes, and is disarmed from then on
// until the measure reaches the threshold again. A failed reading disarms it:
// what happened meanwhile is not known.
class QuietStretch {
 public:
  QuietStretch(std::uint64_t threshold, std::uint32_t minutes) : threshold_(threshold), minutes_(minutes) {}
  // Counts one interval, firing nothing: a held tick fires later from the
  // stretch as it then stands, so quiet minutes that a busy interval
  // followed are not fired for. `value` is nothing for an interval that was
  // not measured; an interval of 0 ms changes nothing.
  void Count(std::uint32_t intervalMs, std::optional<std::uint64_t> value) {
    if (intervalMs == 0) return;
    if (!value) {
      Disarm();
    } else if (*value >= threshold_) {
      armed_ = true;
      quietMs_ = 0;
    } else if (armed_) {
      // However long a hold lasts: at under 2^32 ms an interval, 2^64 ms take
      // over 2^32 intervals.
      quietMs_ += intervalMs;
    }
  }
  // True once the armed stretch has been quiet for its minutes, which
  // disarms it.
  bool Fire() {
    if (!armed_ || quietMs_ < std::uint64_t{minutes_} * 60000) return false;
    Disarm();
    return true;
  }
  // A tick's interval: counted, then fired for.
  bool Update(std::uint32_t intervalMs, std::optional<std::uint64_t> value) {
    Count(intervalMs, value);
    return Fire();
  }
  void Disarm() {
    armed_ = false;
    quietMs_ = 0;
  }
  bool Armed() const { return armed_; }

 private:
  std::uint64_t threshold_;
  std::uint32_t minutes_;
  bool armed_ = false;
  std::uint64_t quietMs_ = 0;
};

// Whether a program has ended: after it was seen running since the watch
// began, no process of its name for kProgramGoneMs. A program never seen
// never fires; one that starts again makes a new occurrence.
class ProgramWatch {
 public:
  // `running`: how many processes of the name the snapshot taken at
  // `tickMs` holds; nothing when the system gave no snapshot, which starts
  // the count of its absence again.
  bool Update(std::uint32_t tickMs, std::optional<std::size_t> running);
  // Its absence is counted again from the next snapshot (after sleep).
  void RestartAbsence() { goneSince_.reset(); }

 private:
  bool seen_ = false;
  std::optional<std::uint32_t> goneSince_;
};

}  // namespace velmaro
