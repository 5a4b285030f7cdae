// A countdown and the warnings ahead of it on fakes, without the main window's
// logic: the classes' own rules through their own interfaces.
#pragma once

#include <string>
#include <vector>

#include "app/countdown_session.h"
#include "app/warnings_ahead.h"
#include "tests/e2e/doubles/power_recording.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_dialup.h"
#include "tests/fakes/fake_form1.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_record_file.h"
#include "tests/fakes/fake_reminders.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_sound.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {

struct SessionRig {
  FakeClock clock;
  FakeForm1 view{clock};
  FakeShell shell;
  FakeSession session;
  RecordingPower power;
  FakeProcesses processes;
  FakeDialUp dialUp;
  FakeReminders reminders;
  FakeSound sound;
  FakeRecordFiles files;
  RunRecord record{files, clock};
  TaskRunner runner{ActionServices{shell, session, power, processes, clock, dialUp, reminders}, view, record};
  MemoryRegistry registry;
  StoreArranger stored{registry};
  Settings settings;
  TaskEvaluator evaluator;
  Evaluation evaluation{view, clock, evaluator};
  Postponements postponements;
  CountdownSession countdown{CountdownServices{view, sound, processes, clock}, settings, evaluation, postponements,
                             runner};
  WarningsAhead warnings{WarningServices{evaluator, countdown, runner, clock, registry, settings}};

  SessionRig() {
    settings.Tishi = 3;
    clock.SetLocalTime(2026, 12, 7, 8, 0, 5);
  }
  // The record's lines without their time.
  std::vector<std::string> Lines() const {
    std::vector<std::string> lines;
    auto found = files.files.find(files.commonData + "Velmaro\\运行记录.log");
    if (found == files.files.end()) return lines;
    const std::string& text = found->second;
    for (std::size_t start = 0, end; (end = text.find("\r\n", start)) != std::string::npos; start = end + 2) {
      lines.push_back(text.substr(start + 20, end - start - 20));
    }
    return lines;
  }
  void Seconds(int count) {
    for (int i = 0; i < count; ++i) {
      clock.Advance(1000);
      countdown.Tick();
    }
  }
};

}  // namespace velmaro
