// What the Win32 tests reach beyond the wake service's interface: its timer,
// to ask the system when it is due; what it makes of a power plan's wake
// timer setting, which Wine does not keep; and the conversion under time
// zone rules of their choosing, since the zone the tests run in may have no
// daylight saving time at all.
#pragma once

#include <windows.h>

#include <optional>
#include <string>

#include "platform/wake.h"

namespace velmaro {

// The timer of a service that MakeSystemWake made; null until its first setting.
HANDLE SystemWakeTimer(WakeService& wake);

// Why a power plan whose "allow wake timers" setting reads `allowWakeTimers`
// keeps the program's timer from waking the computer (code page 936), or
// none: 0 forbids every wake timer, 2 allows only the system's important ones.
std::optional<std::string> WakeTimerPlanRefusal(DWORD allowWakeTimers);

// WakeService::UniversalFromLocal under `zone`'s rules; null: the system's own.
std::optional<UniversalTime> UniversalFromLocalIn(const TIME_ZONE_INFORMATION* zone, const ClockSnapshot& local);

}  // namespace velmaro
