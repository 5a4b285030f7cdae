// The end-to-end build's services: power calls are written to a log beside
// the exe instead of made, and so are the tray icon's changes, which are made
// too, as are the wake timer's settings; a postponement's minute is a second, so a test sees one run out.
#include <memory>
#include <string>

#include "app/services_win.h"
#include "base/gbk.h"
#include "tests/e2e/doubles/power_recording.h"
#include "tests/e2e/doubles/shell_recording.h"
#include "tests/e2e/doubles/wake_recording.h"

namespace velmaro {

ProgramServices MakeProgramServices() {
  ProgramServices services = MakeSystemServices();
  const std::string folder = DirectoryPart(services.session->ExecutablePath());
  services.power = std::make_unique<RecordingPower>(folder + "power-calls.log");
  services.shell = std::make_unique<RecordingTrayShell>(std::move(services.shell), folder + "tray-calls.log");
  services.wake = std::make_unique<RecordingWake>(std::move(services.wake), folder + "wake-calls.log");
  services.postponeMinuteMs = 1000;
  return services;
}

}  // namespace velmaro
