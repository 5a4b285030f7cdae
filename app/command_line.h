// The command line: switches in English, whatever the language of the
// windows, with the actions also by their stored Chinese names; "/" or "-",
// in any case. One command a call, checked whole before anything is done.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "app/command_host.h"
#include "app/quick_timer_request.h"

namespace velmaro {

// One argument as the system passed it: in code page 936 for the texts that
// are stored, and as given for a file's path.
struct CommandArg {
  std::string text;     // code page 936
  std::u16string wide;  // as given
  bool lossy = false;   // `wide` holds characters code page 936 has not
};

enum class CommandKind {
  None,      // no arguments: the program starts, or brings up the copy that runs
  Help,      // /?
  SetTimer,  // /shutdown … /remind "text", with /in MINUTES or /at HH:MM
  Cancel,
  Status,
  List,      // [/csv]
  Add,       // TRIGGER ACTION [ARGUMENT] [/wake] [/catchup]
  Delete,    // N
  Export,    // FILE
  Import,    // FILE [/replace]
};

struct Command {
  CommandKind kind = CommandKind::None;
  QuickTimerRequest timer;  // SetTimer
  bool csv = false;         // List
  std::string trigger, action, argument;  // Add: code page 936; action a stored name
  bool wake = false, catchUp = false;     // Add
  std::int32_t number = 0;                // Delete: the task's number as /list shows it
  std::u16string file;                    // Export, Import
  bool replace = false;                   // Import
  // Whether it needs the timers of a running copy, which it then starts.
  bool NeedsTimers() const { return kind == CommandKind::SetTimer; }
};

struct ParsedCommand {
  std::optional<Command> command;  // none when the line is wrong
  std::string error;               // code page 936: what is wrong, for ExitCode::BadCommandLine
};
ParsedCommand ParseCommandLine(const std::vector<CommandArg>& args);

// /?: every switch with an example, and the exit codes. Code page 936, "\r\n" lines.
std::string CommandLineHelp();

}  // namespace velmaro
