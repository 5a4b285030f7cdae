// The power, display and drive operations, each one platform call with fixed
// arguments. The tray menu runs them at once; the countdown reaches the power
// operations through the pending action verb.
#pragma once

#include "platform/power.h"

namespace velmaro {

enum class PowerOperation { LogOff, StandBy, Hibernate, Restart, PowerOff, FastRestart, FastPowerOff };

// What the system answered: the operation is done only when it says so.
PowerResult RunPowerOperation(PowerService& power, PowerOperation operation);

// `mainWindow` receives the MCI notifications.
void OpenCdTray(PowerService& power, WindowHandle mainWindow);
void CloseCdTray(PowerService& power, WindowHandle mainWindow);
void TurnMonitorOff(PowerService& power);

}  // namespace velmaro
