// The services the main window's logic runs on, each an interface of its own
// (platform/, dialogs/, the windows of actions/ and app/), passed in by the
// program or by a test.
#pragma once

#include "actions/action_run.h"
#include "app/about.h"
#include "dialogs/dialog_windows.h"
#include "platform/autostart.h"
#include "platform/file_dialog.h"
#include "platform/record_file.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "platform/system_load.h"
#include "platform/wake.h"

namespace velmaro {

// The actions' services, and those of the rest of the program.
struct AppServices : ActionServices {
  RegistryService& registry;
  SoundService& sound;
  FileDialogService& files;
  AutoStartService& autoStart;
  DialogWindows& dialogWindows;
  AboutService& about;
  RecordFileService& records;
  SystemLoadService& load;  // for the condition tasks, with `processes`
  WakeService& wake;
};

}  // namespace velmaro
