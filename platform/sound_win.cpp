#include <windows.h>

#include "base/text_win.h"
#include "platform/sound.h"
#include "platform/system_library_win.h"

namespace velmaro {

namespace {

class SystemSound : public SoundService {
 public:
  void PlaySound(const std::string& path, WindowHandle, std::uint32_t flags) override {
    // With SND_FILENAME the module argument is not used.
    if (const auto play = Multimedia().PlaySoundW) play(ToWide(path).c_str(), nullptr, flags);
  }

  void StopSound() override {
    if (const auto play = Multimedia().PlaySoundW) play(nullptr, nullptr, 0);
  }
};

}  // namespace

std::unique_ptr<SoundService> MakeSystemSound() { return std::make_unique<SystemSound>(); }

}  // namespace velmaro
