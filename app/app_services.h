// The services the main window's logic runs on, each an interface of its own
// (platform/, dialogs/, the windows of actions/ and app/), passed in by the
// program or by a test.
#pragma once

#include "actions/reminder.h"
#include "app/about.h"
#include "dialogs/dialog_windows.h"
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

struct AppServices {
  RegistryService& registry;
  ShellService& shell;
  SessionService& session;
  PowerService& power;
  ProcessService& processes;
  ClockService& clock;
  DialUpService& dialUp;
  ReminderService& reminders;
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
