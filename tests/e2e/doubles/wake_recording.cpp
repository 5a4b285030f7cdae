#include "tests/e2e/doubles/wake_recording.h"

#include <cstdio>

#include "scheduler/tick_window.h"

namespace velmaro {

std::string UniversalText(UniversalTime at) {
  constexpr std::int64_t kPerSecond = 10000000;
  // Floor division, so that a moment before 1601 still reads as a date.
  const std::int64_t seconds = at / kPerSecond - (at % kPerSecond < 0 ? 1 : 0);
  const std::int64_t second = (seconds % 60 + 60) % 60;
  const std::int64_t minuteSince1601 = (seconds - second) / 60;
  const ClockSnapshot day1601{1601, 1, 1, 1, 0, 0, 0, 0};
  const ClockSnapshot t = LocalMinuteAt(LocalMinuteOf(day1601) + minuteSince1601);
  char text[64];
  std::snprintf(text, sizeof text, "%04u-%02u-%02u %02u:%02u:%02u UTC", unsigned{t.wYear}, unsigned{t.wMonth},
                unsigned{t.wDay}, unsigned{t.wHour}, unsigned{t.wMinute}, static_cast<unsigned>(second));
  return text;
}

WakeResult RecordingWake::SetWakeTimer(UniversalTime at) {
  WakeResult result;
  if (refusal.empty()) {
    result = inner_->SetWakeTimer(at);
  } else {
    inner_->CancelWakeTimer();
    result = WakeResult{false, refusal};
  }
  Append("SetWakeTimer(" + UniversalText(at) + ")" + (result.ok ? "" : ": " + result.message));
  return result;
}

void RecordingWake::CancelWakeTimer() {
  Append("CancelWakeTimer()");
  inner_->CancelWakeTimer();
}

void RecordingWake::KeepAwake(bool on) {
  Append(on ? "KeepAwake(1)" : "KeepAwake(0)");
  inner_->KeepAwake(on);
}

void RecordingWake::Append(const std::string& line) {
  if (FILE* log = std::fopen(logPath_.c_str(), "ab")) {
    std::fputs((line + "\r\n").c_str(), log);
    std::fclose(log);
  }
}

}  // namespace velmaro
