// Carries out a command from the command line, in the copy of the program
// that runs (handed there by the channel) or, when none runs, on the store
// alone. Every command ends with an exit code and the text it prints.
#pragma once

#include <string>

#include "app/command_host.h"
#include "app/command_line.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "platform/text_files.h"
#include "store/task_options.h"
#include "store/task_store.h"

namespace velmaro {

struct CommandReply {
  ExitCode code = ExitCode::Done;
  std::string text;  // code page 936, "\r\n" lines, for the console the command came from
};

struct CommandServices {
  RegistryService& registry;
  ClockService& clock;
  TextFileService& files;
  TextCodec& codec;
};

CommandReply RunCommand(const Command& command, const CommandServices& services, CommandHost& host);

// The host where no copy of the program runs: no timer, no countdown.
class StoreOnlyHost : public CommandHost {
 public:
  bool RunsTimers() const override { return false; }
  std::string SetQuickTimer(const QuickTimerRequest&) override { return std::string(); }
  bool CancelQuickTimer() override { return false; }
  StatusReport Status() override { return StatusReport(); }
  bool TasksInUse() const override { return false; }
  void TasksChanged() override {}
};

}  // namespace velmaro
