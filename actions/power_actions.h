// The power, display and drive operations, each one platform call with fixed
// arguments. The tray menu runs them at once; the countdown reaches the power
// operations through the pending action verb.
#pragma once

#include <optional>
#include <string>

#include "platform/power.h"

namespace velmaro {

enum class PowerOperation { LogOff, StandBy, Hibernate, Restart, PowerOff, FastRestart, FastPowerOff };

void RunPowerOperation(PowerService& power, PowerOperation operation);

// The operation of a pending action verb ("注销", "待机", "休眠", "重启",
// "关机", "快速重启", "快速关机"), compared byte for byte; none for any other
// text, "断开拨号" included.
std::optional<PowerOperation> PowerOperationOfVerb(const std::string& verb);

// `mainWindow` receives the MCI notifications.
void OpenCdTray(PowerService& power, WindowHandle mainWindow);
void CloseCdTray(PowerService& power, WindowHandle mainWindow);
void TurnMonitorOff(PowerService& power);

}  // namespace velmaro
