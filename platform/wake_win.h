// What the Win32 tests reach beyond the wake service's interface: its timer,
// to ask the system when it is due, and the conversion under time zone rules
// of their choosing, since the zone the tests run in may have no daylight
// saving time at all.
#pragma once

#include <windows.h>

#include <optional>

#include "platform/wake.h"

namespace velmaro {

// The timer of a service that MakeSystemWake made; null until its first setting.
HANDLE SystemWakeTimer(WakeService& wake);

// WakeService::UniversalFromLocal under `zone`'s rules; null: the system's own.
std::optional<UniversalTime> UniversalFromLocalIn(const TIME_ZONE_INFORMATION* zone, const ClockSnapshot& local);

}  // namespace velmaro
