// The program's own process and the signed-in user: what start-up needs to
// know about where it runs.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "platform/file_security.h"

namespace velmaro {

struct OsVersion {
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t platformId = 0;  // 2 = VER_PLATFORM_WIN32_NT
};

class SessionService {
 public:
  virtual ~SessionService() = default;
  virtual OsVersion Version() = 0;
  // Enables "SeShutdownPrivilege" in the process token; results are not examined.
  virtual void EnableShutdownPrivilege() = 0;
  // The signed-in user's name; empty when it cannot be read.
  virtual std::string UserName() = 0;
  // Full path of the running executable, as the system reports it (code page 936).
  virtual std::string ExecutablePath() = 0;
  // The owner and access list of the file or folder at `path` (code page 936).
  virtual FileSecurity SecurityOf(const std::string& path) = 0;
};

// The running system's session (Windows builds only).
std::unique_ptr<SessionService> MakeSystemSession();

}  // namespace velmaro
