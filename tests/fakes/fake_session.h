// A session with a settable version, user and executable path.
#pragma once

#include <map>
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
  FileSecurity SecurityOf(const std::string& file) override {
    auto found = security.find(file);
    return found != security.end() ? found->second : lockedDown;
  }

  OsVersion version{5, 1, 2};
  std::string userName = "Administrator";
  std::string path = "C:\\Program Files\\Velmaro\\Velmaro.exe";
  std::vector<std::string> calls;
  // What every path not in `security` has: the list an installer gives its
  // folder under Program Files.
  FileSecurity lockedDown{true, true, "S-1-5-32-544",
                          {{"S-1-5-18", 0x1F01FF}, {"S-1-5-32-544", 0x1F01FF}, {"S-1-5-32-545", 0x1200A9}}};
  std::map<std::string, FileSecurity> security;
};

}  // namespace velmaro
