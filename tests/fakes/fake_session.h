// A session with a settable version, user and executable path.
#pragma once

#include <string>
#include <vector>

#include "platform/session.h"

namespace velmaro {

class FakeSession : public SessionService {
 public:
  OsVersion Version() override { return version; }
  void EnableShutdownPrivilege() override { calls.push_back("privilege"); }
  std::string UserName() override { return userName; }
  std::string ExecutablePath() override { return path; }

  OsVersion version{5, 1, 2};
  std::string userName = "Administrator";
  std::string path = "C:\\Program Files\\Velmaro\\Velmaro.exe";
  std::vector<std::string> calls;
};

}  // namespace velmaro
