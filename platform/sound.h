// Multimedia: the countdown's warning sound, a WAV file played in a loop
// without waiting, and stopping it.
#pragma once

#include <memory>
#include <string>

#include "platform/shell.h"

namespace velmaro {

enum : std::uint32_t {
  kSndAsync = 0x1,
  kSndNoDefault = 0x2,  // a missing file plays nothing, not the system sound
  kSndLoop = 0x8,
  kSndFilename = 0x20000,
};

class SoundService {
 public:
  virtual ~SoundService() = default;
  // PlaySound with the path (code page 936), the window and the flags as given.
  virtual void PlaySound(const std::string& path, WindowHandle window, std::uint32_t flags) = 0;
  // Stops whatever plays, at once; plays nothing itself.
  virtual void StopSound() = 0;
};

// The running system's sound (Windows builds only).
std::unique_ptr<SoundService> MakeSystemSound();

}  // namespace velmaro
