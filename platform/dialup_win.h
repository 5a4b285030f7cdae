// The dial-up service over given entry points, so a test can stand in for the
// remote access service (which Wine reports as having no connections).
#pragma once

#include <windows.h>

#include <memory>

#include "platform/dialup.h"
#include "platform/late_bound_win.h"

namespace velmaro {

// The oldest layout of the ANSI connection record, 412 bytes, which every
// version of the service accepts. Only the handle is read, so the texts'
// code page does not matter.
struct RasConnection412 {
  DWORD dwSize;
  HANDLE hrasconn;
  char szEntryName[257];
  char szDeviceType[17];
  char szDeviceName[129];
};
#ifndef _WIN64  // the shipped program is 32-bit; 64-bit builds only run tests
static_assert(sizeof(RasConnection412) == 412, "the record size the service checks");
#endif

// The remote access service and the autodial of the internet library, one
// row per entry point (platform/late_bound_win.h).
#define VELMARO_RASAPI32_CALLS(X)                                  \
  X(DWORD, RasEnumConnectionsA, (RasConnection412*, DWORD*, DWORD*)) \
  X(DWORD, RasHangUpA, (HANDLE))
#define VELMARO_WININET_CALLS(X) X(BOOL, InternetAutodial, (DWORD, HWND))

struct RasEntryPoints {
  VELMARO_RASAPI32_CALLS(VELMARO_CALL_POINTER)
  VELMARO_WININET_CALLS(VELMARO_CALL_POINTER)
};

// A missing entry point acts as a failing call.
std::unique_ptr<DialUpService> MakeDialUp(const RasEntryPoints& entryPoints);

}  // namespace velmaro
