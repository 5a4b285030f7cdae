// Every service of the main window faked, and its logic on top of them.
#pragma once

#include "app/main_unit.h"
#include "tests/e2e/doubles/power_recording.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_dialog_windows.h"
#include "tests/fakes/fake_dialup.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_form1.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_record_file.h"
#include "tests/fakes/fake_reminders.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_sound.h"
#include "tests/fakes/fake_system_load.h"
#include "tests/fakes/fake_wake.h"
#include "tests/fakes/memory_registry.h"

namespace velmaro {

// About windows as a count of those opened.
class FakeAbout : public AboutService {
 public:
  int shown = 0;
  void ShowAbout() override { ++shown; }
};

struct FakeApp {
  MemoryRegistry registry;
  FakeShell shell;
  FakeSession session;
  FakeClock clock;
  FakeForm1 view{clock};
  RecordingPower power;
  FakeProcesses processes;
  FakeDialUp dialUp;
  FakeReminders reminders;
  FakeSound sound;
  FakeFileDialog files;
  FakeAutoStart autoStart;
  FakeDialogWindows dialogWindows;
  FakeAbout about;
  FakeRecordFiles records;
  FakeSystemLoad load;
  FakeWake wake{clock};
  MainUnit unit{AppServices{{shell, session, power, processes, clock, dialUp, reminders}, registry, sound, files,
                            autoStart, dialogWindows, about, records, load, wake},
                view};

  FakeApp() { view.Attach(unit); }
  FakeApp(const FakeApp&) = delete;
  FakeApp& operator=(const FakeApp&) = delete;
};

}  // namespace velmaro
