// What the quick timer is asked to do, from its dialog or the command line:
// one action, once, either some minutes from now or at the next time the
// clock shows a given hour and minute.
#pragma once

#include <cstdint>
#include <string>

namespace velmaro {

// The quick timer's minutes from now: up to a day.
constexpr std::int32_t kQuickTimerMaxMinutes = 1440;

struct QuickTimerRequest {
  // The stored action name of the action table's row: "关闭计算机", "提醒".
  std::string action;
  std::string text;  // the reminder's text, code page 936; empty for the others
  enum class When { In, At } when = When::In;
  std::int32_t minutes = 0;  // In: 1 to kQuickTimerMaxMinutes
  std::int32_t hour = 0;     // At: 0 to 23
  std::int32_t minute = 0;   // At: 0 to 59
};

// The actions a quick timer may run, in the order its dialog offers them.
extern const char* const kQuickTimerActions[8];

}  // namespace velmaro
