// The services the program runs on, owned for its life. Velmaro.exe runs on
// the system's own; its end-to-end build starts from the same set and swaps
// in the recording doubles of tests/e2e/doubles/. Which of the two a program
// gets is the build's choice: each defines MakeProgramServices in a file of
// its own, so the program entry is the same for both.
#pragma once

#include <cstdint>
#include <memory>

#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/dialup.h"
#include "platform/file_dialog.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/record_file.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/system_load.h"
#include "platform/wake.h"

namespace velmaro {

// Each type once, so a member out of MakeSystemServices' order does not
// compile: a new service is one member here and one call there.
struct ProgramServices {
  std::unique_ptr<RegistryService> registry;
  std::unique_ptr<ShellService> shell;
  std::unique_ptr<SessionService> session;
  std::unique_ptr<PowerService> power;
  std::unique_ptr<ProcessService> processes;
  std::unique_ptr<ClockService> clock;
  std::unique_ptr<DialUpService> dialUp;
  std::unique_ptr<SoundService> sound;
  std::unique_ptr<FileDialogService> files;
  std::unique_ptr<AutoStartService> autoStart;
  std::unique_ptr<RecordFileService> records;
  std::unique_ptr<SystemLoadService> load;
  std::unique_ptr<WakeService> wake;
  // Not 0: a postponement's minute lasts this many milliseconds.
  std::uint32_t postponeMinuteMs = 0;
};

// Every service as the running system provides it.
ProgramServices MakeSystemServices();

// What this build runs on (app/program_services_win.cpp for Velmaro.exe).
ProgramServices MakeProgramServices();

}  // namespace velmaro
