#pragma once

#include <windows.h>

#include "platform/session.h"

namespace velmaro {

// The owner and access list a security descriptor holds.
FileSecurity SecurityFromDescriptor(PSECURITY_DESCRIPTOR descriptor);

// True under Wine, which keeps no security of its own for files: it makes
// each file's owner and list up from the Unix owner and modes.
bool FilesShowUnixModes();

class Win32Session : public SessionService {
 public:
  OsVersion Version() override;
  void EnableShutdownPrivilege() override;
  std::string UserName() override;
  std::string ExecutablePath() override;
  FileSecurity SecurityOf(const std::string& path) override;
};

}  // namespace velmaro
