// A wake service that passes every call on to the system's and appends each
// setting of the wake timer and of keeping awake to a log, one line such as
// "SetWakeTimer(2026-12-01 08:59:00 UTC)", "CancelWakeTimer()" or
// "KeepAwake(1)", so the end-to-end tests can see when the program would
// wake the computer. The calls themselves are harmless where those tests
// run: Wine never sleeps, so it never wakes, and keeping it awake changes
// nothing.
#pragma once

#include <memory>
#include <string>
#include <utility>

#include "platform/wake.h"

namespace velmaro {

// "YYYY-MM-DD hh:mm:ss UTC", to the second.
std::string UniversalText(UniversalTime at);

class RecordingWake : public WakeService {
 public:
  RecordingWake(std::unique_ptr<WakeService> inner, std::string logPath)
      : inner_(std::move(inner)), logPath_(std::move(logPath)) {}

  // Non-empty: SetWakeTimer is refused with this text, as a system without
  // wake support or with wake timers switched off refuses it, and the timer
  // is off.
  std::string refusal;

  UniversalTime Now() override { return inner_->Now(); }
  std::optional<UniversalTime> UniversalFromLocal(const ClockSnapshot& local) override {
    return inner_->UniversalFromLocal(local);
  }
  WakeResult SetWakeTimer(UniversalTime at) override;
  void CancelWakeTimer() override;
  void KeepAwake(bool on) override;

 private:
  void Append(const std::string& line);

  std::unique_ptr<WakeService> inner_;
  std::string logPath_;
};

}  // namespace velmaro
