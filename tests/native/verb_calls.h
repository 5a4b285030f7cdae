// The countdown actions as a user meets them, written out once for every
// test that checks a run against what the user was shown: the verb the
// countdown window names, and the system call that verb makes as the power
// double records it (for the hang-up, the outcome it shows with a dial-up
// connection open). The power rows come first, the hang-up last.
#pragma once

#include <string>

namespace velmaro {

struct CountdownAction {
  const char* action;
  const char* verb;
  const char* call;
};

inline constexpr CountdownAction kCountdownActions[] = {
    {"注销计算机", "注销", "ExitWindowsEx(4, 0)"},
    {"重启计算机", "重启", "ExitWindowsEx(6, 0)"},
    {"关闭计算机", "关机", "ExitWindowsEx(12, 0)"},
    {"快速重启", "快速重启", "NtShutdownSystem(1)"},
    {"快速关机", "快速关机", "NtShutdownSystem(2)"},
    {"休眠计算机", "休眠", "SetSystemPowerState(0, -1)"},
    {"待机计算机", "待机", "SetSystemPowerState(-1, -1)"},
    {"断开拨号", "断开拨号", "断开成功"},
};
inline constexpr int kPowerActionCount = 7;

// The call of the countdown whose window names `verb`; empty for no verb.
inline std::string CallOfVerb(const std::string& verb) {
  for (const CountdownAction& row : kCountdownActions) {
    if (verb == row.verb) return row.call;
  }
  return std::string();
}

}  // namespace velmaro
