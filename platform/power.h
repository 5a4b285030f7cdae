// Power, display and drive: the calls that end the session, change the power
// state, move the CD tray or switch the monitor off. Arguments cross this
// interface exactly as the system calls take them, so a recording
// implementation shows what would have happened.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/shell.h"

namespace velmaro {

class PowerService {
 public:
  virtual ~PowerService() = default;
  virtual void ExitWindowsEx(std::uint32_t flags, std::uint32_t reason) = 0;
  // Both are Windows BOOL values as passed: -1 and 0.
  virtual void SetSystemPowerState(std::int32_t suspend, std::int32_t force) = 0;
  // The native shutdown of ntdll: 0 = no reboot, 1 = reboot, 2 = power off.
  virtual void NtShutdownSystem(std::uint32_t action) = 0;
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
