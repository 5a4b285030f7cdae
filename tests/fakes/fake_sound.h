// Sound calls as lines of text, in order.
#pragma once

#include <string>
#include <vector>

#include "platform/sound.h"

namespace velmaro {

class FakeSound : public SoundService {
 public:
  std::vector<std::string> calls;  // "play PATH FLAGS" / "stop"
  // Where the calls are also written, to see them in order with other calls.
  std::vector<std::string>* journal = nullptr;

  void PlaySound(const std::string& path, WindowHandle, std::uint32_t flags) override {
    Record("play " + path + " " + std::to_string(flags));
  }
  void StopSound() override { Record("stop"); }

 private:
  void Record(const std::string& call) {
    calls.push_back(call);
    if (journal) journal->push_back(call);
  }
};

}  // namespace velmaro
