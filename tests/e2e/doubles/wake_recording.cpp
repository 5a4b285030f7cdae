#include "tests/e2e/doubles/wake_recording.h"

#include <cstdio>

namespace velmaro {

std::string UniversalText(UniversalTime at) {
  constexpr std::int64_t kPerSecond = 10000000;
  constexpr std::int64_t kPerDay = 86400;
  // Floor division, so that a moment before 1601 still reads as a date.
  std::int64_t seconds = at / kPerSecond - (at % kPerSecond < 0 ? 1 : 0);
  std::int64_t days = seconds / kPerDay - (seconds % kPerDay < 0 ? 1 : 0);
  const std::int64_t secondOfDay = seconds - days * kPerDay;
  // The civil date of a day count, in 400-year eras that start on 1 March, so
  // that the leap day ends a year; days count from 0000-03-01 here.
  days += 584694;  // 0000-03-01 to 1601-01-01
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t shiftedMonth = (5 * dayOfYear + 2) / 153;
  const std::int64_t day = dayOfYear - (153 * shiftedMonth + 2) / 5 + 1;
  const std::int64_t month = shiftedMonth < 10 ? shiftedMonth + 3 : shiftedMonth - 9;
  const std::int64_t year = yearOfEra + era * 400 + (month <= 2 ? 1 : 0);
  char text[48];
  std::snprintf(text, sizeof text, "%04lld-%02lld-%02lld %02lld:%02lld:%02lld UTC", static_cast<long long>(year),
                static_cast<long long>(month), static_cast<long long>(day),
                static_cast<long long>(secondOfDay / 3600), static_cast<long long>(secondOfDay / 60 % 60),
                static_cast<long long>(secondOfDay % 60));
  return text;
}

WakeResult RecordingWake::SetWakeTimer(UniversalTime at) {
  WakeResult result;
  if (refusal.empty()) {
    result = inner_.SetWakeTimer(at);
  } else {
    inner_.CancelWakeTimer();
    result = WakeResult{false, refusal};
  }
  Append("SetWakeTimer(" + UniversalText(at) + ")" + (result.ok ? "" : ": " + result.message));
  return result;
}

void RecordingWake::CancelWakeTimer() {
  Append("CancelWakeTimer()");
  inner_.CancelWakeTimer();
}

void RecordingWake::KeepAwake(bool on) {
  Append(on ? "KeepAwake(1)" : "KeepAwake(0)");
  inner_.KeepAwake(on);
}

void RecordingWake::Append(const std::string& line) {
  if (FILE* log = std::fopen(logPath_.c_str(), "ab")) {
    std::fputs((line + "\r\n").c_str(), log);
    std::fclose(log);
  }
}

}  // namespace velmaro
