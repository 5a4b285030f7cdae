#include "app/commands.h"

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <vector>

#include "actions/action_table.h"
#include "base/error.h"
#include "dialogs/task_check.h"
#include "scheduler/tick_window.h"
#include "store/registry_object.h"
#include "store/task_file.h"
#include "store/task_key.h"

namespace velmaro {

namespace {

const char kTasksInUse[] = "设置窗口已打开，请先关闭它。";

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
  if (options.wake && options.catchUp) return "唤醒 补做";
  if (options.wake) return "唤醒";
  if (options.catchUp) return "补做";
  return "";
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

std::string Describe(const TaskSlot& task) {
  std::string text = task.trigger + " " + task.action;
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

std::string CsvTable(const std::vector<ListedTask>& tasks) {
  std::string text = "编号,触发条件,动作,参数,选项\r\n";
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
  const char* const headers[4] = {"编号", "触发条件", "动作", "选项"};
  std::size_t widths[4];
  for (std::size_t i = 0; i < 4; ++i) widths[i] = std::string(headers[i]).size();
  std::vector<std::string> options;
  for (const ListedTask& task : tasks) {
    options.push_back(OptionsWords(task.options));
    const std::size_t sizes[4] = {std::to_string(task.number).size(), task.slot.trigger.size(),
                                  task.slot.action.size(), options.back().size()};
    for (std::size_t i = 0; i < 4; ++i) widths[i] = std::max(widths[i], std::min(sizes[i], kWidest));
  }
  std::string text;
  for (std::size_t i = 0; i < 4; ++i) text += Cell(headers[i], widths[i]) + "  ";
  text += "参数\r\n";
  for (std::size_t row = 0; row < tasks.size(); ++row) {
    const ListedTask& task = tasks[row];
    std::string line = Cell(std::to_string(task.number), widths[0]) + "  " + Cell(task.slot.trigger, widths[1]) +
                       "  " + Cell(task.slot.action, widths[2]) + "  " + Cell(options[row], widths[3]) + "  " +
                       Cell(task.slot.argument, 0);
    line.erase(line.find_last_not_of(' ') + 1);
    text += line + "\r\n";
  }
  return text;
}

CommandReply List(const Command& command, StoreView& view) {
  const std::vector<ListedTask> tasks = ListTasks(view);
  if (tasks.empty()) return Reply(ExitCode::Done, "没有任务。");
  return CommandReply{ExitCode::Done, command.csv ? CsvTable(tasks) : ReadableTable(tasks)};
}

CommandReply Status(CommandHost& host) {
  if (!host.RunsTimers()) return Reply(ExitCode::Done, "Velmaro 没有运行。");
  const StatusReport report = host.Status();
  std::string text = "Velmaro 正在运行。\n";
  text += report.timer ? "定时：" + *report.timer + "\n" : std::string("没有定时\n");
  if (report.countdown) text += "倒计时：" + *report.countdown + "\n";
  text += report.monitoring ? "监控：启用\n" : "监控：停用\n";
  text += report.nextTask ? "下一个任务：" + *report.nextTask : std::string("下一个任务：没有");
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
  return Reply(ExitCode::Done, "已添加任务 " + std::to_string(slot) + "：" + Describe(task));
}

// As the settings dialog's Delete: the later slots move down, and the
// options follow their tasks.
CommandReply Delete(const Command& command, CommandHost& host, StoreView& view, bool& wrote) {
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  const std::int32_t slot = command.number;
  const TaskSlot task = slot <= view.store.LastTaskNum() ? view.store.ReadSlot(slot) : TaskSlot();
  if (task.trigger.empty()) return Reply(ExitCode::Refused, "没有任务 " + std::to_string(slot) + "。");
  std::optional<TaskKey> key;
  if (view.options.Any()) key = KeyOfSlot(view.store, slot);
  wrote = true;
  view.store.DeleteSlot(slot);
  if (key) view.options.Removed(*key);
  view.store.CloseStore();
  host.TasksChanged();
  return Reply(ExitCode::Done, "已删除任务 " + std::to_string(slot) + "：" + Describe(task));
}

CommandReply Export(const Command& command, const CommandServices& services, StoreView& view) {
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  const std::string text = WriteTaskFile(view.store, view.options, view.settings, services.codec);
  std::int32_t count = 0;  // no more than the slots, which an int32 numbers
  view.store.ForEachTask([&](std::int32_t, const std::string&) { ++count; });
  view.store.CloseStore();
  const std::string path = services.files.PathText(command.file);
  if (std::optional<std::string> error = services.files.WriteFile(command.file, text)) {
    return Reply(ExitCode::StoreFailed, "无法写入文件 " + path + "：" + *error);
  }
  return Reply(ExitCode::Done, "已把 " + std::to_string(count) + " 个任务写入 " + path + "。");
}

CommandReply Import(const Command& command, const CommandServices& services, CommandHost& host, StoreView& view,
                    bool& wrote) {
  const std::string path = services.files.PathText(command.file);
  const TextFileService::Read read = services.files.ReadFile(command.file, kTaskFileLimitBytes);
  if (read.tooLarge) {
    return Reply(ExitCode::Refused, "文件太大：" + path + " 超过 " + std::to_string(kTaskFileLimitBytes / 1024) +
                                        " KB，没有读入。");
  }
  if (!read.ok) return Reply(ExitCode::StoreFailed, "无法读取文件 " + path + "：" + read.error);
  if (std::optional<std::string> failure = view.Load()) return Reply(ExitCode::StoreFailed, *failure);
  wrote = true;
  const TaskFileResult result = ReadTaskFile(read.bytes, command.replace, view.store, view.options, view.settings,
                                             services.codec, services.clock);
  view.store.CloseStore();
  if (!result.ok) {
    wrote = false;  // a refused file changes nothing
    const std::string where = result.line > 0 ? "第 " + std::to_string(result.line) + " 行：" : std::string();
    return Reply(ExitCode::Refused, where + result.why);
  }
  host.TasksChanged();
  return Reply(ExitCode::Done, "已从 " + path + " 导入 " + std::to_string(result.tasks) + " 个任务" +
                                   (command.replace ? "，取代了原有的任务。" : "。"));
}

}  // namespace

CommandReply RunCommand(const Command& command, const CommandServices& services, CommandHost& host) {
  switch (command.kind) {
    case CommandKind::None: return CommandReply{};
    case CommandKind::Help: return CommandReply{ExitCode::Done, CommandLineHelp()};
    case CommandKind::SetTimer:
      // The channel starts a copy for a timer; a host without timers got here by mistake.
      if (!host.RunsTimers()) return Reply(ExitCode::Refused, "Velmaro 没有运行，无法设置定时。");
      return Reply(ExitCode::Done, "已设置定时：" + host.SetQuickTimer(command.timer));
    case CommandKind::Cancel:
      return host.CancelQuickTimer() ? Reply(ExitCode::Done, "已取消定时。")
                                     : Reply(ExitCode::NothingToCancel, "没有要取消的定时或倒计时。");
    case CommandKind::Status: return Status(host);
    case CommandKind::List:
    case CommandKind::Add:
    case CommandKind::Delete:
    case CommandKind::Export:
    case CommandKind::Import: break;
  }
  const bool changes = command.kind == CommandKind::Add || command.kind == CommandKind::Delete ||
                       command.kind == CommandKind::Import;
  if (changes && host.TasksInUse()) return Reply(ExitCode::Refused, kTasksInUse);
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
