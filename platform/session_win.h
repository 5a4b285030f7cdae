#pragma once

#include "platform/session.h"

namespace velmaro {

class Win32Session : public SessionService {
 public:
  OsVersion Version() override;
  void EnableShutdownPrivilege() override;
  std::string UserName() override;
  std::string ExecutablePath() override;
};

}  // namespace velmaro
