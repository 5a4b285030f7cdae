#include <windows.h>

#include "platform/sound.h"
#include "platform/system_library_win.h"
#include "platform/text_win.h"

namespace velmaro {

namespace {

using PlaySoundFn = BOOL(WINAPI*)(LPCWSTR, HMODULE, DWORD);

PlaySoundFn PlaySoundEntry() {
  static const auto play = SystemFunction<PlaySoundFn>(L"winmm.dll", "PlaySoundW");
  return play;
}

class SystemSound : public SoundService {
 public:
  void PlaySound(const std::string& path, WindowHandle, std::uint32_t flags) override {
    // With SND_FILENAME the module argument is not used.
    if (PlaySoundFn play = PlaySoundEntry()) play(ToWide(path).c_str(), nullptr, flags);
  }

  void StopSound() override {
    if (PlaySoundFn play = PlaySoundEntry()) play(nullptr, nullptr, 0);
  }
};

}  // namespace

std::unique_ptr<SoundService> MakeSystemSound() { return std::make_unique<SystemSound>(); }

}  // namespace velmaro
