#pragma once

#include <windows.h>

#include "platform/session.h"

namespace velmaro {

// The owner and access list a security descriptor holds.
FileSecurity SecurityFromDescriptor(PSECURITY_DESCRIPTOR descriptor);

class Win32Session : public SessionService {
 public:
  OsVersion Version() override;
  void EnableShutdownPrivilege() override;
  std::string UserName() override;
  std::string ExecutablePath() override;
  FileSecurity SecurityOf(const std::string& path) override;
};

}  // namespace velmaro
