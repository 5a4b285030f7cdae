// A clock that stands still until a test moves it.
#pragma once

#include "platform/clock.h"

namespace velmaro {

class FakeClock : public ClockService {
 public:
  ClockSnapshot now;
  std::uint32_t tickCount = 0;
  std::uint32_t lastInputTick = 0;
  std::string shortDateFormat = "yyyy-M-d";
  std::string dateSeparator = "-";
  std::string decimalSeparator = ".";

  ClockSnapshot LocalTime() override { return now; }
  std::uint32_t TickCount() override { return tickCount; }
  std::uint32_t LastInputTick() override { return lastInputTick; }
  std::string ShortDateFormat() override { return shortDateFormat; }
  std::string DateSeparator() override { return dateSeparator; }
  std::string DecimalSeparator() override { return decimalSeparator; }
};

}  // namespace velmaro
