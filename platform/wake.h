// Waking the computer for a task, and keeping it awake while one runs. The
// system's timers take universal time, the tasks name local wall-clock
// minutes: the conversion between them follows the system's time zone rules
// for the date in question, daylight saving time included, so it lives here.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/clock.h"

namespace velmaro {

// A moment as the system's timers count it: 100 ns intervals since
// 1601-01-01 00:00 UTC (a FILETIME).
using UniversalTime = std::int64_t;
constexpr UniversalTime kUniversalMinute = 600000000;

struct WakeResult {
  bool ok = true;
  std::string message;  // code page 936: the system's reason; empty on success
};

class WakeService {
 public:
  virtual ~WakeService() = default;
  virtual UniversalTime Now() = 0;
  // `local` (seconds and milliseconds included) under the time zone rules of
  // its date. None where that local time never shows on the clock (the hour
  // skipped when daylight saving time begins); where it shows twice (the hour
  // repeated when it ends), the first.
  virtual std::optional<UniversalTime> UniversalFromLocal(const ClockSnapshot& local) = 0;
  // Sets the program's one wake timer to `at`, replacing any earlier setting;
  // the timer wakes the computer from stand-by or hibernation. A refusal
  // (no wake support, ERROR_NOT_SUPPORTED, wake timers switched off in the
  // power plan) comes back with the system's text; the timer is then off.
  virtual WakeResult SetWakeTimer(UniversalTime at) = 0;
  virtual void CancelWakeTimer() = 0;
  // While on, the system does not go to sleep on its own idle timeout
  // (SetThreadExecutionState with ES_SYSTEM_REQUIRED | ES_CONTINUOUS); off
  // lets it sleep again. A user's or a task's stand-by still suspends it.
  virtual void KeepAwake(bool on) = 0;
};

// The running system's wake timer (Windows builds only).
std::unique_ptr<WakeService> MakeSystemWake();

}  // namespace velmaro
