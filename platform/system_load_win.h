// The interface tables as the condition triggers read them: which rows count
// and the service on a given set of system functions, so that both the path
// of Vista and later and that of Windows XP can be run anywhere.
#pragma once

// netioapi.h needs the sockets headers ahead of windows.h.
#include <winsock2.h>
#include <windows.h>
#include <ws2ipdef.h>
#include <iphlpapi.h>
#include <netioapi.h>

#include <memory>

#include "platform/system_library_win.h"
#include "platform/system_load.h"

namespace velmaro {

InterfaceRow RowOf(const MIB_IF_ROW2& row);
InterfaceRow RowOf(const MIB_IFROW& row);

// The counters through `calls`: GetIfTable2 where it is, GetIfTable where it
// is not (Windows XP).
std::unique_ptr<SystemLoadService> MakeSystemLoad(const LoadCalls& calls);

}  // namespace velmaro
