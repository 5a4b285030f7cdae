#include "app/command_line.h"

#include <cstddef>

#include "actions/action_table.h"
#include "base/ascii.h"
#include "base/error.h"
#include "base/gbk.h"

namespace velmaro {

namespace {

// A console line holds a few switches; far more is a script gone wrong,
// which is told so before any of it is read.
constexpr std::size_t kMaxArgs = 64;
// A stored text longer than this could not be shown by the windows that
// show it (the reminder, the task list) in any useful way.
constexpr std::size_t kMaxTextBytes = 1024;
// The longest path Windows' wide functions take.
constexpr std::size_t kMaxPathUnits = 32767;
constexpr std::int32_t kMaxTaskNumber = 2147483647;

// The switches that modify a command, each belonging to one command.
enum class Modifier : std::uint8_t { None, In, At, Csv, Wake, CatchUp, Replace };
constexpr std::size_t kModifierCount = 7;
static_assert(static_cast<std::size_t>(Modifier::Replace) + 1 == kModifierCount);

struct SwitchRow {
  const char* name;  // after the "/" or "-"; ASCII letters in any case
  CommandKind kind;  // None for a modifier
  Modifier modifier;
};
const SwitchRow kSwitches[] = {
    {"?", CommandKind::Help, Modifier::None},        {"help", CommandKind::Help, Modifier::None},
    {"h", CommandKind::Help, Modifier::None},        {"cancel", CommandKind::Cancel, Modifier::None},
    {"status", CommandKind::Status, Modifier::None}, {"list", CommandKind::List, Modifier::None},
    {"add", CommandKind::Add, Modifier::None},       {"delete", CommandKind::Delete, Modifier::None},
    {"export", CommandKind::Export, Modifier::None}, {"import", CommandKind::Import, Modifier::None},
    {"in", CommandKind::None, Modifier::In},         {"at", CommandKind::None, Modifier::At},
    {"csv", CommandKind::None, Modifier::Csv},       {"wake", CommandKind::None, Modifier::Wake},
    {"catchup", CommandKind::None, Modifier::CatchUp}, {"replace", CommandKind::None, Modifier::Replace},
};

// Indexed by Modifier: the command it belongs to, as the message names it.
struct ModifierOwner {
  CommandKind kind;
  const char* named;
};
const ModifierOwner kModifierOwners[kModifierCount] = {
    {CommandKind::None, ""},
    {CommandKind::SetTimer, "定时的动作（/shutdown、/remind 等）"},
    {CommandKind::SetTimer, "定时的动作（/shutdown、/remind 等）"},
    {CommandKind::List, " /list "},
    {CommandKind::Add, " /add "},
    {CommandKind::Add, " /add "},
    {CommandKind::Import, " /import "},
};

// The quick timer runs the power actions and the reminder, nothing else.
bool IsQuickTimerRow(const ActionRow& row) { return row.power.has_value() || row.id == ActionId::Reminder; }

bool StartsLikeSwitch(const std::string& text) { return text.size() >= 2 && (text[0] == '/' || text[0] == '-'); }

struct Found {
  bool known = false;
  CommandKind kind = CommandKind::None;
  Modifier modifier = Modifier::None;
  const ActionRow* timer = nullptr;  // SetTimer
};

Found FindSwitch(const std::string& text) {
  Found found;
  if (!StartsLikeSwitch(text)) return found;
  const std::string name = text.substr(1);
  for (const SwitchRow& row : kSwitches) {
    if (SameAsciiWord(name, row.name)) return Found{true, row.kind, row.modifier, nullptr};
  }
  // A timer's action by its English keyword, its stored name or its verb
  // ("/关机" as well as "/关闭计算机"); the stored names are compared byte for byte.
  const ActionRow* row = FindActionKeyword(name);
  for (std::size_t i = 0; !row && i < kActionCount; ++i) {
    const ActionRow& candidate = kActionTable[i];
    if (name == candidate.name || (candidate.verb[0] != '\0' && name == candidate.verb)) row = &candidate;
  }
  if (row && IsQuickTimerRow(*row)) return Found{true, CommandKind::SetTimer, Modifier::None, row};
  return found;
}

// An argument as a message quotes it: a long one is cut.
std::string Shown(const std::string& text) { return CutToColumns(text, kQuotedColumns); }

[[noreturn]] void Fail(const std::string& text) { throw AppError(text); }

class Parser {
 public:
  explicit Parser(const std::vector<CommandArg>& args) : args_(args) {}
  Command Run();

 private:
  // The argument after `owner`, which a known switch never stands in for.
  const CommandArg& Value(const CommandArg& owner, const char* what);
  // Whether the next argument is an optional value rather than a switch:
  // "/wak" is a mistyped switch, "-_-" a text.
  bool OptionalValueFollows() const;
  std::string StorableText(const CommandArg& arg, const char* what) const;
  void Modify(const CommandArg& arg, Modifier modifier, Command& command);
  void Begin(const CommandArg& arg, const Found& found, Command& command);

  const std::vector<CommandArg>& args_;
  std::size_t next_ = 0;
  const CommandArg* modifiers_[kModifierCount] = {};
};

const CommandArg& Parser::Value(const CommandArg& owner, const char* what) {
  if (next_ >= args_.size() || FindSwitch(args_[next_].text).known) Fail(Shown(owner.text) + " 后面缺少" + what);
  return args_[next_++];
}

bool Parser::OptionalValueFollows() const {
  if (next_ >= args_.size()) return false;
  const std::string& text = args_[next_].text;
  if (FindSwitch(text).known) return false;
  if (!StartsLikeSwitch(text)) return true;
  for (std::size_t i = 1; i < text.size(); ++i) {
    const char c = text[i];
    if (!((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || c == '?')) return true;
  }
  return false;
}

std::string Parser::StorableText(const CommandArg& arg, const char* what) const {
  if (arg.lossy) Fail(std::string(what) + "含有简体中文（GBK）里没有的字符，无法保存：" + Shown(arg.text));
  if (arg.text.size() > kMaxTextBytes) {
    Fail(std::string(what) + "太长：最多 " + std::to_string(kMaxTextBytes) + " 字节，这里有 " +
         std::to_string(arg.text.size()) + " 字节：" + Shown(arg.text));
  }
  return arg.text;
}

void Parser::Modify(const CommandArg& arg, Modifier modifier, Command& command) {
  const CommandArg*& seen = modifiers_[static_cast<std::size_t>(modifier)];
  if (seen) Fail("开关重复了：" + Shown(arg.text));
  seen = &arg;
  switch (modifier) {
    case Modifier::In: {
      const std::string& text = Value(arg, "分钟数").text;
      const std::optional<std::int32_t> minutes = BoundedDigits(text, kQuickTimerMaxMinutes);
      if (!minutes || *minutes < 1) {
        Fail("分钟数须为 1 到 " + std::to_string(kQuickTimerMaxMinutes) + " 之间的整数：" + Shown(text));
      }
      command.timer.when = QuickTimerRequest::When::In;
      command.timer.minutes = *minutes;
      break;
    }
    case Modifier::At: {
      // H:MM or HH:MM, as a clock shows the time.
      const std::string& text = Value(arg, "时间（时:分）").text;
      const std::size_t colon = text.find(':');
      std::optional<std::int32_t> hour, minute;
      if (colon >= 1 && colon <= 2 && text.size() == colon + 3) {
        hour = BoundedDigits(text.substr(0, colon), 23);
        minute = BoundedDigits(text.substr(colon + 1), 59);
      }
      if (!hour || !minute) Fail("时间须为 时:分，从 0:00 到 23:59：" + Shown(text));
      command.timer.when = QuickTimerRequest::When::At;
      command.timer.hour = *hour;
      command.timer.minute = *minute;
      break;
    }
    case Modifier::Csv: command.csv = true; break;
    case Modifier::Wake: command.wake = true; break;
    case Modifier::CatchUp: command.catchUp = true; break;
    case Modifier::Replace: command.replace = true; break;
    case Modifier::None: break;
  }
}

void Parser::Begin(const CommandArg& arg, const Found& found, Command& command) {
  command.kind = found.kind;
  switch (found.kind) {
    case CommandKind::SetTimer:
      command.timer.action = found.timer->name;
      if (found.timer->id == ActionId::Reminder) {
        command.timer.text = StorableText(Value(arg, "提醒的文字"), "提醒的文字");
        if (command.timer.text.empty()) Fail("提醒的文字不能为空");
      }
      break;
    case CommandKind::Add: {
      command.trigger = StorableText(Value(arg, "触发条件和动作"), "触发条件");
      if (command.trigger.empty()) Fail("触发条件不能为空");
      const CommandArg& action = Value(arg, "动作");
      const ActionRow* row = action.lossy ? nullptr : FindAction(action.text);
      if (!row && !action.lossy) row = FindActionKeyword(action.text);
      if (!row) Fail("未知的动作：" + Shown(action.text));
      command.action = row->name;
      if (OptionalValueFollows()) command.argument = StorableText(args_[next_++], "参数");
      break;
    }
    case CommandKind::Delete: {
      const std::string& text = Value(arg, "任务编号").text;
      const std::optional<std::int32_t> number = BoundedDigits(text, kMaxTaskNumber);
      if (!number || *number < 1) {
        Fail("任务编号须为 1 到 " + std::to_string(kMaxTaskNumber) + " 之间的整数：" + Shown(text));
      }
      command.number = *number;
      break;
    }
    case CommandKind::Export:
    case CommandKind::Import: {
      const CommandArg& file = Value(arg, "文件名");
      if (file.wide.empty()) Fail(Shown(arg.text) + " 的文件名不能为空");
      if (file.wide.size() > kMaxPathUnits) {
        Fail("文件名太长：最多 " + std::to_string(kMaxPathUnits) + " 个字符：" + Shown(file.text));
      }
      command.file = file.wide;
      break;
    }
    case CommandKind::None:
    case CommandKind::Help:
    case CommandKind::Cancel:
    case CommandKind::Status:
    case CommandKind::List: break;
  }
}

Command Parser::Run() {
  if (args_.size() > kMaxArgs) {
    Fail("参数太多：最多 " + std::to_string(kMaxArgs) + " 个，这里有 " + std::to_string(args_.size()) + " 个");
  }
  Command command;
  const CommandArg* commandArg = nullptr;
  while (next_ < args_.size()) {
    const CommandArg& arg = args_[next_++];
    const Found found = FindSwitch(arg.text);
    if (!found.known) Fail((StartsLikeSwitch(arg.text) ? "未知的开关：" : "多余的参数：") + Shown(arg.text));
    if (found.modifier != Modifier::None) {
      Modify(arg, found.modifier, command);
      continue;
    }
    if (commandArg) Fail("一次只能给一个命令：" + Shown(commandArg->text) + " 和 " + Shown(arg.text));
    commandArg = &arg;
    Begin(arg, found, command);
  }
  for (std::size_t m = 1; m < kModifierCount; ++m) {
    if (modifiers_[m] && kModifierOwners[m].kind != command.kind) {
      Fail(Shown(modifiers_[m]->text) + " 只能与" + kModifierOwners[m].named + "一起用");
    }
  }
  if (command.kind == CommandKind::SetTimer) {
    const CommandArg* in = modifiers_[static_cast<std::size_t>(Modifier::In)];
    const CommandArg* at = modifiers_[static_cast<std::size_t>(Modifier::At)];
    if (!in && !at) Fail(Shown(commandArg->text) + " 须带 /in 分钟数 或 /at 时:分");
    if (in && at) Fail(Shown(in->text) + " 和 " + Shown(at->text) + " 只能用一个");
  }
  return command;
}

}  // namespace

ParsedCommand ParseCommandLine(const std::vector<CommandArg>& args) {
  ParsedCommand parsed;
  try {
    parsed.command = Parser(args).Run();
  } catch (const AppError& error) {
    parsed.error = error.what();
  }
  return parsed;
}

std::string CommandLineHelp() {
  std::string help =
      "用法：Velmaro.exe [命令]\r\n"
      "不带命令时启动 Velmaro；已经在运行时不会再启动一个。\r\n"
      "开关以 / 或 - 开头，不分大小写；一次只能给一个命令。\r\n"
      "\r\n"
      "定时（由正在运行的 Velmaro 执行，没有运行时先启动它）：\r\n"
      "  /shutdown /in 分钟数       1 到 1440 分钟后关机      例：Velmaro.exe /shutdown /in 30\r\n"
      "  /restart /at 时:分         到时重启（0:00 到 23:59）   例：Velmaro.exe /restart /at 23:15\r\n"
      "  /logoff                    注销                      例：Velmaro.exe /logoff /in 10\r\n"
      "  /standby                   待机                      例：Velmaro.exe /standby /at 0:30\r\n"
      "  /hibernate                 休眠                      例：Velmaro.exe /hibernate /in 90\r\n"
      "  /fastshutdown              快速关机                  例：Velmaro.exe /fastshutdown /at 18:00\r\n"
      "  /fastrestart               快速重启                  例：Velmaro.exe /fastrestart /in 5\r\n"
      "  /remind \"文字\"             显示提醒                  例：Velmaro.exe /remind \"该休息一下了。\" /in 45\r\n"
      "  动作也可以写中文：/关机 /重启 /注销 /待机 /休眠 /快速关机 /快速重启 /提醒，\r\n"
      "  或任务的动作名：/关闭计算机 /重启计算机 /注销计算机 /待机计算机 /休眠计算机。\r\n"
      "  /cancel                    取消定时和正在显示的倒计时  例：Velmaro.exe /cancel\r\n"
      "  /status                    是否在运行、定时、倒计时、监控和下一个任务  例：Velmaro.exe /status\r\n"
      "\r\n"
      "任务：\r\n"
      "  /list [/csv]               列出任务；/csv 输出逗号分隔的表格  例：Velmaro.exe /list /csv > 任务.csv\r\n"
      "  /add 触发条件 动作 [参数] [/wake] [/catchup]\r\n"
      "                             添加任务；/wake 唤醒计算机运行，/catchup 错过后补做\r\n"
      "                             例：Velmaro.exe /add 每天22时30分 shutdown\r\n"
      "                             例：Velmaro.exe /add 每天8时0分 提醒 \"早会\" /wake /catchup\r\n"
      "                             例：Velmaro.exe /add 空闲30分钟 standby\r\n"
      "  /delete 编号               删除 /list 列出的第几号任务  例：Velmaro.exe /delete 3\r\n"
      "  /export 文件               把任务和设置写入文件        例：Velmaro.exe /export D:\\任务.txt\r\n"
      "  /import 文件 [/replace]    从文件添加任务；/replace 取代现有的任务\r\n"
      "                             例：Velmaro.exe /import D:\\任务.txt /replace\r\n"
      "  /?  /help  -h              显示这段说明                例：Velmaro.exe /?\r\n"
      "\r\n"
      "/add 的动作：";
  // From the action table, so that a new action is offered here as well.
  for (std::size_t i = 0; i < kActionCount; ++i) {
    help += std::string(i == 0 ? "" : "、") + kActionTable[i].name + "（" + kActionTable[i].keyword + "）";
  }
  help +=
      "\r\n"
      "\r\n"
      "退出代码：\r\n"
      "  0  完成\r\n"
      "  1  命令行有误\r\n"
      "  2  没有要取消的定时或倒计时\r\n"
      "  3  任务或文件被拒绝（消息说明原因）\r\n"
      "  4  无法读写任务存储或文件\r\n"
      "\r\n"
      "Velmaro 以管理员身份运行，所以必须从以管理员身份运行的命令提示符启动\r\n"
      "（或用以管理员身份运行的快捷方式或计划任务）；否则 Windows 拒绝启动它，错误 740。\r\n";
  return help;
}

}  // namespace velmaro
