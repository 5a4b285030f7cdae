// A dial-up service with a list of active connections and a failure switch per call.
#pragma once

#include "platform/dialup.h"

namespace velmaro {

class FakeDialUp : public DialUpService {
 public:
  std::vector<ConnectionHandle> active;
  std::uint32_t enumError = 0;
  std::uint32_t hangUpError = 0;

  std::vector<ConnectionHandle> hungUp;
  struct Dial {
    std::uint32_t flags;
    WindowHandle parent;
  };
  std::vector<Dial> dials;

  std::uint32_t EnumConnections(std::vector<ConnectionHandle>* connections) override {
    *connections = enumError ? std::vector<ConnectionHandle>() : active;
    return enumError;
  }
  std::uint32_t HangUp(ConnectionHandle connection) override {
    hungUp.push_back(connection);
    return hangUpError;
  }
  void Autodial(std::uint32_t flags, WindowHandle parent) override { dials.push_back(Dial{flags, parent}); }
};

}  // namespace velmaro
