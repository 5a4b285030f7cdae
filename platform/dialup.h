// Dial-up: the active connections of the remote access service, hanging one
// up, and asking the system to dial its default Internet connection.
#pragma once

#include <cstdint>
#include <memory>
#include <vector>

#include "platform/shell.h"

namespace velmaro {

using ConnectionHandle = std::uintptr_t;  // an HRASCONN

enum : std::uint32_t { kInternetAutodialForceUnattended = 2 };

class DialUpService {
 public:
  virtual ~DialUpService() = default;
  // 0 with every active connection, in the system's order, or the system's error code.
  virtual std::uint32_t EnumConnections(std::vector<ConnectionHandle>* connections) = 0;
  // 0 once the hang-up has started, or the system's error code.
  virtual std::uint32_t HangUp(ConnectionHandle connection) = 0;
  // InternetAutodial; the result is of no use to the program.
  virtual void Autodial(std::uint32_t flags, WindowHandle parent) = 0;
};

// The running system's remote access service (Windows builds only).
std::unique_ptr<DialUpService> MakeSystemDialUp();

}  // namespace velmaro
