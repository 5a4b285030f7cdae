#include "app/commands.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "actions/action_table.h"
#include "base/error.h"
#include "dialogs/task_check.h"
#include "lang/stored_words.h"
#include "lang/texts.h"
#include "scheduler/tick_window.h"
#include "store/registry_object.h"
#include "store/task_file.h"
#include "store/task_key.h"

namespace velmaro {

namespace {

CommandReply Reply(ExitCode code, const std::string& text) {
  // The store's failure texts join their lines with "\n"; a console wants "\r\n".
  std::string lines;
  for (char c : text) {
    if (c == '\n') lines += '\r';
    lines += c;
  }
  if (!lines.empty()) lines += "\r\n";
  return CommandReply{code, lines};
}

// The store as start-up reads it, afresh for each command: the running
// copy's own store objects belong to the tick and the dialogs, which may be
// inside a message loop with a key open.
struct StoreView {
  explicit StoreView(RegistryService& registry) : reg(registry), store(reg, settings), options(registry) {}
  RegistryObject reg;
  Settings settings;
  TaskStore store;
  TaskOptions options;
  // Start-up goes on with defaults for settings it could not read; a command
  // would act on a TaskNum it did not read, so it stops.
  std::optional<std::string> Load() { return LoadStore(store, options); }
};

struct ListedTask {
  std::int32_t number;
  TaskSlot slot;
  TaskOptionSet options;
};

std::string OptionsWords(const TaskOptionSet& options) {
  std::string words = options.wake ? Tr(Text::CmdOptionWake) : "";
  if (options.catchUp) words += (words.empty() ? "" : " ") + std::string(Tr(Text::CmdOptionCatchUp));
  return words;
}

// The tasks as the settings dialog lists them, numbered by slot.
std::vector<ListedTask> ListTasks(StoreView& view) {
  std::vector<ListedTask> tasks;
  TaskStore& store = view.store;
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    tasks.push_back(ListedTask{slot, TaskSlot{trigger, store.ReadAction(slot), store.ReadArgument(slot)}, {}});
  });
  // Options are few: each found by its key once, rather than a key worked
  // out for every listed task, which walks the lower slots each time.
  for (const TaskOptions::Entry& entry : view.options.All()) {
    const std::int32_t slot = FindTask(store, entry.key);
    for (ListedTask& task : tasks) {
      if (task.number == slot) task.options = entry.options;
    }
  }
  store.CloseStore();
  return tasks;
}

// As a person reads it; what /add and /delete print.
std::string Describe(const TaskSlot& task) {
  std::string text = ShownTrigger(task.trigger) + " " + ShownAction(task.action);
  if (!task.argument.empty()) text += " " + task.argument;
  return text;
}

// RFC 4180: a field with a comma, a quote or a line break is quoted, its
// quotes doubled. No second byte of a code page 936 character is any of them.
std::string CsvField(const std::string& field) {
  if (field.find_first_of(",\"\r\n") == std::string::npos) return field;
  std::string quoted = "\"";
  for (char c : field) {
    if (c == '"') quoted += '"';
    quoted += c;
  }
  return quoted + "\"";
}

// A console shows a code page 936 character two columns wide, so a text's
// width is its length in bytes. A line break inside a text would break the
// table's rows.
std::string Cell(const std::string& text, std::size_t width) {
  std::string cell = text;
  for (char& c : cell) {
    if (c == '\r' || c == '\n' || c == '\t') c = ' ';
  }
  if (cell.size() < width) cell.append(width - cell.size(), ' ');
  return cell;
}

const Text kColumns[] = {Text::CmdColumnNumber, Text::CmdColumnTrigger, Text::CmdColumnAction,
                         Text::CmdColumnArgument, Text::CmdColumnOptions};

// The trigger and the action in their stored form: the bytes /add takes
// back, whatever the language of the headers.
std::string CsvTable(const std::vector<ListedTask>& tasks) {
  std::string text;
  for (const Text column : kColumns) text += (text.empty() ? "" : ",") + CsvField(Tr(column));
  text += "\r\n";
  for (const ListedTask& task : tasks) {
    text += std::to_string(task.number) + "," + CsvField(task.slot.trigger) + "," + CsvField(task.slot.action) + "," +
            CsvField(task.slot.argument) + "," + CsvField(OptionsWords(task.options)) + "\r\n";
  }
  return text;
}

// The argument comes last: it may be as long as a reminder, and would push
// every column after it off the line.
std::string ReadableTable(const std::vector<ListedTask>& tasks) {
  // Beyond this a column is not padded further; a longer text just runs on.
  constexpr std::size_t kWidest = 40;
  const char* const headers[4] = {Tr(Text::CmdColumnNumber), Tr(Text::CmdColumnTrigger), Tr(Text::CmdColumnAction),
                                  Tr(Text::CmdColumnOptions)};
  std::vector<std::string> triggers, actions;
  std::size_t widths[4];
  for (std::size_t i = 0; i < 4; ++i) widths[i] = std::string(headers[i]).size();
  std::vector<std::string> options;
  for (const ListedTask& task : tasks) {
    options.push_back(OptionsWords(task.options));
    triggers.push_back(ShownTrigger(task.slot.trigger));
    actions.push_back(ShownAction(task.slot.action));
    const std::size_t sizes[4] = {std::to_string(task.number).size(), triggers.back().size(), actions.back().size(),
                                  options.back().size()};
    for (std::size_t i = 0; i < 4; ++i) widths[i] = std::max(widths[i], std::min(sizes[i], kWidest));
  }
  std::string text;
  for (std::size_t i = 0; i < 4; ++i) text += Cell(headers[i], widths[i]) + "  ";
  text += std::string(Tr(Text::CmdColumnArgument)) + "\r\n";
  for (std::size_t row = 0; row < tasks.size(); ++row) {
    const ListedTask& task = tasks[row];
    std::string line = Cell(std::to_string(task.number), widths[0]) + "  " + Cell(triggers[row], widths[1]) +
                       "  " + Cell(actions[row], widths[2]) + "  " + Cell(options[row], widths[3]) + "  " +
                       Cell(task.slot.argument, 0);
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\r\n";
  }
  return text;
}

CommandReply List(const Command& command, StoreView& view) {
  const std::vector<ListedTask> tasks = ListTasks(view);
  if (tasks.empty()) return Reply(ExitCode::Done, Tr(Text::CmdNoTasks));
  return CommandReply{ExitCode::Done, command.csv ? CsvTable(tasks) : ReadableTable(tasks)};
}

CommandReply Status(CommandHost& host) {
  if (!host.RunsTimers()) return Reply(ExitCode::Done, Tr(Text::CmdNotRunning));
  const StatusReport report = host.Status();
  std::string text = std::string(Tr(Text::CmdRunning)) + "\n";
  text += (report.timer ? Format(Text::CmdStatusTimer, {*report.timer}) : Tr(Text::CmdStatusNoTimer)) + "\n";
  if (report.countdown) text += Format(Text::CmdStatusCountdown, {*report.countdown}) + "\n";
  text += std::string(Tr(report.monitoring ? Text::CmdStatusMonitoringOn : Text::CmdStatusMonitoringOff)) + "\n";
  text += report.nextTask ? Format(Text::CmdStatusNextTask, {*report.nextTask}) : Tr(Text::CmdStatusNoNextTask);
  return Reply(ExitCode::Done, text);
}

// As the task editor's OK stores a new task: above every slot, and the
// options under the task's key, a catch-up task counting from now.
CommandReply Add(const Command& command, const CommandServices& services, CommandHost& host, StoreView& view,
                 bool& wrote) {
  TaskSlot task{command.trigger, command.action, command.argument};
  const ActionRow* row = FindAction(task.action);
  // The editor fills the argument of these with the action's name, and
  // every list shows it so.
  if (task.argument.empty() && row && row->argument == ArgumentRule::ActionName) task.argument = row->name;
  TaskOptionSet options{command.wake, command.catchUp, std::nullopt};
  const std::string refusal = TaskRefusal(task, options, services.clock);
  if (!refusal.empty()) return Reply(ExitCode::Refused, refusal);
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  const bool keepsOptions = view.options.Any() || !options.Empty();
  wrote = true;
  const std::int32_t slot = view.store.AllocateSlot();
  view.store.WriteSlot(slot, task);
  if (keepsOptions) {
    if (options.catchUp) options.lastRun = LocalMinuteOf(services.clock.LocalTime());
    view.options.Inserted(KeyOfSlot(view.store, slot), options);
  }
  view.store.CloseStore();
  host.TasksChanged();
  return Reply(ExitCode::Done, Format(Text::CmdAdded, {std::to_string(slot), Describe(task)}));
}

// As the settings dialog's Delete: the later slots move down, and the
// options follow their tasks.
CommandReply Delete(const Command& command, CommandHost& host, StoreView& view, bool& wrote) {
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  const std::int32_t slot = command.number;
  const TaskSlot task = slot <= view.store.LastTaskNum() ? view.store.ReadSlot(slot) : TaskSlot();
  if (task.trigger.empty()) return Reply(ExitCode::Refused, Format(Text::CmdNoSuchTask, {std::to_string(slot)}));
  std::optional<TaskKey> key;
  if (view.options.Any()) key = KeyOfSlot(view.store, slot);
  wrote = true;
  view.store.DeleteSlot(slot);
  if (key) view.options.Removed(*key);
  view.store.CloseStore();
  host.TasksChanged();
  return Reply(ExitCode::Done, Format(Text::CmdDeleted, {std::to_string(slot), Describe(task)}));
}

CommandReply Export(const Command& command, const CommandServices& services, StoreView& view) {
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  const std::string text = WriteTaskFile(view.store, view.options, view.settings, services.codec);
  std::int32_t count = 0;  // no more than the slots, which an int32 numbers
  view.store.ForEachTask([&](std::int32_t, const std::string&) { ++count; });
  view.store.CloseStore();
  const std::string path = services.files.PathText(command.file);
  if (std::optional<std::string> error = services.files.WriteFile(command.file, text)) {
    return Reply(ExitCode::StoreFailed, Format(Text::CmdCannotWriteFile, {path, *error}));
  }
  return Reply(ExitCode::Done, Format(Text::CmdExported, {std::to_string(count), path}));
}

CommandReply Import(const Command& command, const CommandServices& services, CommandHost& host, StoreView& view,
                    bool& wrote) {
  const std::string path = services.files.PathText(command.file);
  const TextFileService::Read read = services.files.ReadFile(command.file, kTaskFileLimitBytes);
  if (read.tooLarge) {
    return Reply(ExitCode::Refused, Format(Text::CmdFileTooLarge, {path, std::to_string(kTaskFileLimitBytes / 1024)}));
  }
  if (!read.ok) return Reply(ExitCode::StoreFailed, Format(Text::CmdCannotReadFile, {path, read.error}));
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  wrote = true;
  const TaskFileResult result = ReadTaskFile(read.bytes, command.replace, view.store, view.options, view.settings,
                                             services.codec, services.clock);
  view.store.CloseStore();
  if (!result.ok) {
    wrote = false;  // a refused file changes nothing
    return Reply(ExitCode::Refused, TaskFileMessage(result));
  }
  host.TasksChanged();
  return Reply(ExitCode::Done, Format(command.replace ? Text::CmdImportedReplacing : Text::CmdImported,
                                      {path, std::to_string(result.tasks)}));
}

}  // namespace

CommandReply RunCommand(const Command& command, const CommandServices& services, CommandHost& host) {
  switch (command.kind) {
    case CommandKind::None: return CommandReply{};
    case CommandKind::Help: return CommandReply{ExitCode::Done, CommandLineHelp()};
    case CommandKind::SetTimer:
      // The channel starts a copy for a timer; a host without timers got here by mistake.
      if (!host.RunsTimers()) return Reply(ExitCode::Refused, Tr(Text::CmdTimerNotRunning));
      return Reply(ExitCode::Done, Format(Text::CmdTimerSet, {host.SetQuickTimer(command.timer)}));
    case CommandKind::Cancel:
      return host.CancelQuickTimer() ? Reply(ExitCode::Done, Tr(Text::CmdTimerCancelled))
                                     : Reply(ExitCode::NothingToCancel, Tr(Text::CmdNothingToCancel));
    case CommandKind::Status: return Status(host);
    case CommandKind::List:
    case CommandKind::Add:
    case CommandKind::Delete:
    case CommandKind::Export:
    case CommandKind::Import: break;
  }
  const bool changes = command.kind == CommandKind::Add || command.kind == CommandKind::Delete ||
                       command.kind == CommandKind::Import;
  if (changes && host.TasksInUse()) return Reply(ExitCode::Refused, Tr(Text::CmdTasksInUse));
  StoreView view(services.registry);
  bool wrote = false;
  try {
    switch (command.kind) {
      case CommandKind::List: {
        if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
        return List(command, view);
      }
      case CommandKind::Add: return Add(command, services, host, view, wrote);
      case CommandKind::Delete: return Delete(command, host, view, wrote);
      case CommandKind::Export: return Export(command, services, view);
      case CommandKind::Import: return Import(command, services, host, view, wrote);
      default: break;
    }
  } catch (const AppError& error) {
    // Part of it may be stored: the program reads what is there.
    if (wrote) host.TasksChanged();
    return Reply(ExitCode::StoreFailed, error.what());
  }
  return CommandReply{};
}

}  // namespace velmaro
