// Time and locale: the local clock, the millisecond counter, the last user
// input and the user's short date format. The core never reads these itself;
// it takes a ClockService, and a snapshot as a plain value.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

namespace velmaro {

// The local date and time, laid out as the system reports it.
struct ClockSnapshot {
  std::uint16_t wYear = 0;
  std::uint16_t wMonth = 0;
  std::uint16_t wDayOfWeek = 0;  // 0 = Sunday
  std::uint16_t wDay = 0;
  std::uint16_t wHour = 0;
  std::uint16_t wMinute = 0;
  std::uint16_t wSecond = 0;
  std::uint16_t wMilliseconds = 0;
};

class ClockService {
 public:
  virtual ~ClockService() = default;
  virtual ClockSnapshot LocalTime() = 0;
  // Milliseconds since system start, wrapping to 0 after 2^32.
  virtual std::uint32_t TickCount() = 0;
  // The millisecond counter at the user's last input event.
  virtual std::uint32_t LastInputTick() = 0;
  // Read afresh at each call, since the user may change them at any time;
  // empty when they cannot be read. Code page 936.
  virtual std::string ShortDateFormat() = 0;
  virtual std::string DateSeparator() = 0;
  // The user's decimal separator, read afresh; empty when it cannot be read.
  virtual std::string DecimalSeparator() = 0;
};

// The running system's clock and locale (Windows builds only).
std::unique_ptr<ClockService> MakeSystemClock();

}  // namespace velmaro
