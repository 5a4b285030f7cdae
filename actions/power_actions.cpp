#include "actions/power_actions.h"

namespace velmaro {

namespace {

// ExitWindowsEx flags; every one forces, so no program can stop it by asking the user.
constexpr std::uint32_t kEwxLogOffForce = 0 | 4;
constexpr std::uint32_t kEwxRebootForce = 2 | 4;
constexpr std::uint32_t kEwxPowerOffForce = 8 | 4;
// Windows BOOL as the power call takes it.
constexpr std::int32_t kTrue = -1;
constexpr std::int32_t kFalse = 0;
constexpr std::uint32_t kShutdownReboot = 1;
constexpr std::uint32_t kShutdownPowerOff = 2;

constexpr std::uint32_t kWmSysCommand = 0x112;
constexpr std::uintptr_t kScMonitorPower = 0xF170;
constexpr std::intptr_t kMonitorOff = 2;
// A plain SendMessage to every top-level window waits for ever on one hung
// window of another program, and the whole program stops with it. A window
// whose thread has not read its messages for 5 s counts as hung and is
// skipped at once; one that stopped more recently holds the broadcast for at
// most this long, until its thread too counts as hung.
constexpr std::uint32_t kSmtoAbortIfHung = 0x2;
constexpr std::uint32_t kMonitorOffTimeoutMs = 1000;

}  // namespace

PowerResult RunPowerOperation(PowerService& power, PowerOperation operation) {
  switch (operation) {
    case PowerOperation::LogOff: return power.ExitWindowsEx(kEwxLogOffForce, 0);
    case PowerOperation::StandBy: return power.SetSystemPowerState(kTrue, kTrue);
    case PowerOperation::Hibernate: return power.SetSystemPowerState(kFalse, kTrue);
    case PowerOperation::Restart: return power.ExitWindowsEx(kEwxRebootForce, 0);
    case PowerOperation::PowerOff: return power.ExitWindowsEx(kEwxPowerOffForce, 0);
    case PowerOperation::FastRestart: return power.NtShutdownSystem(kShutdownReboot);
    case PowerOperation::FastPowerOff: return power.NtShutdownSystem(kShutdownPowerOff);
  }
  return PowerResult{false, "未知的电源操作"};
}

void OpenCdTray(PowerService& power, WindowHandle mainWindow) {
  power.MciSendString("Set cdaudio door open wait", mainWindow);
}

void CloseCdTray(PowerService& power, WindowHandle mainWindow) {
  power.MciSendString("Set cdaudio door closed wait", mainWindow);
}

void TurnMonitorOff(PowerService& power) {
  power.SendBroadcast(kWmSysCommand, kScMonitorPower, kMonitorOff, kSmtoAbortIfHung, kMonitorOffTimeoutMs);
}

}  // namespace velmaro
