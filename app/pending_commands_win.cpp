// TEMPORARY: stand-ins for the command line's parser and executor and the
// main unit's host, which are written beside this work. Only so that the exe
// links and the channel can be tried; the lead deletes this file when the
// real ones are merged.
#include <string>

#include "app/command_channel_win.h"
#include "app/commands.h"

namespace velmaro {

namespace {

bool Is(const CommandArg& arg, const char* name) { return arg.text == name; }

class PendingHost : public StoreOnlyHost {
 public:
  bool RunsTimers() const override { return true; }
};

}  // namespace

ParsedCommand ParseCommandLine(const std::vector<CommandArg>& args) {
  ParsedCommand parsed;
  Command command;
  if (args.size() == 1 && Is(args[0], "/?")) {
    command.kind = CommandKind::Help;
  } else if (args.size() == 1 && Is(args[0], "/status")) {
    command.kind = CommandKind::Status;
  } else if (args.size() == 2 && Is(args[0], "/remind")) {
    command.kind = CommandKind::SetTimer;
    command.timer.text = args[1].text;
  } else if (args.size() == 2 && (Is(args[0], "/export") || Is(args[0], "/import"))) {
    command.kind = Is(args[0], "/export") ? CommandKind::Export : CommandKind::Import;
    command.file = args[1].wide;
  } else {
    parsed.error = "无法识别的命令行（临时解析）";
    return parsed;
  }
  parsed.command = command;
  return parsed;
}

std::string CommandLineHelp() { return "Velmaro.exe /status | /remind TEXT | /export FILE（临时帮助）\r\n"; }

CommandReply RunCommand(const Command& command, const CommandServices& services, CommandHost& host) {
  std::string text = "kind " + std::to_string(static_cast<int>(command.kind));
  text += host.RunsTimers() ? " in the running copy" : " on the store alone";
  if (!command.timer.text.empty()) text += " text " + command.timer.text;
  if (!command.file.empty()) text += " file " + services.files.PathText(command.file);
  return CommandReply{ExitCode::Done, text + "\r\n"};
}

CommandHost& MainUnitHost(TForm1&) {
  static PendingHost host;
  return host;
}

}  // namespace velmaro
