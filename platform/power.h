// Power, display and drive: the calls that end the session, change the power
// state, move the CD tray or switch the monitor off. Arguments cross this
// interface exactly as the system calls take them, so a recording
// implementation shows what would have happened.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/shell.h"

namespace velmaro {

// What the system answered to a call that ends the session or changes the
// power state: a refusal (no privilege, a policy, no such function) comes back
// with the system's own text.
struct PowerResult {
  bool ok = true;
  std::string message;  // code page 936; empty on success
};

class PowerService {
 public:
  virtual ~PowerService() = default;
  virtual PowerResult ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
  // Both are Windows BOOL values as passed: -1 and 0. Returns after the
  // computer has woken again.
  virtual PowerResult SetSystemPowerState(std::int32_t suspend, std::int32_t force) = 0;
  // The native shutdown of ntdll: 0 = no reboot, 1 = reboot, 2 = power off.
  // Returns only when the system refused.
  virtual PowerResult NtShutdownSystem(std::uint32_t action) = 0;
  // An MCI command string with no return buffer; `callback` receives MCI notifications.
  virtual void MciSendString(const std::string& command, WindowHandle callback) = 0;
  // SendMessageTimeout to HWND_BROADCAST: each top-level window gets up to
  // `timeoutMs` to handle the message; `flags` are the SMTO_ values.
  virtual void SendBroadcast(std::uint32_t message, std::uintptr_t wParam, std::intptr_t lParam, std::uint32_t flags,
                             std::uint32_t timeoutMs) = 0;
};

// The running system's calls (Windows builds only).
std::unique_ptr<PowerService> MakeSystemPower();

}  // namespace velmaro
