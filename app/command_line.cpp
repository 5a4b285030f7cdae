#include "app/command_line.h"

#include <cstddef>

#include "actions/action_table.h"
#include "base/ascii.h"
#include "base/error.h"
#include "base/gbk.h"
#include "lang/stored_words.h"
#include "lang/texts.h"
#include "store/trigger_text.h"

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

// Indexed by Modifier: the command it belongs to, and its switch as the
// message names it (none: the timer's actions, which are many).
struct ModifierOwner {
  CommandKind kind;
  const char* named;
};
const ModifierOwner kModifierOwners[kModifierCount] = {
    {CommandKind::None, ""},         {CommandKind::SetTimer, ""}, {CommandKind::SetTimer, ""},
    {CommandKind::List, "/list"},    {CommandKind::Add, "/add"},  {CommandKind::Add, "/add"},
    {CommandKind::Import, "/import"},
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
  const CommandArg& Value(const CommandArg& owner, Text what);
  // Whether the next argument is an optional value rather than a switch:
  // "/wak" is a mistyped switch, "-_-" a text.
  bool OptionalValueFollows() const;
  std::string StorableText(const CommandArg& arg, Text subject) const;
  void Modify(const CommandArg& arg, Modifier modifier, Command& command);
  void Begin(const CommandArg& arg, const Found& found, Command& command);

  const std::vector<CommandArg>& args_;
  std::size_t next_ = 0;
  const CommandArg* modifiers_[kModifierCount] = {};
};

const CommandArg& Parser::Value(const CommandArg& owner, Text what) {
  if (next_ >= args_.size() || FindSwitch(args_[next_].text).known) {
    Fail(Format(Text::CmdMissingValue, {Shown(owner.text), Tr(what)}));
  }
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

std::string Parser::StorableText(const CommandArg& arg, Text subject) const {
  if (arg.lossy) Fail(Format(Text::CmdUnstorable, {Tr(subject), Shown(arg.text)}));
  if (arg.text.size() > kMaxTextBytes) {
    Fail(Format(Text::CmdTooLong, {Tr(subject), std::to_string(kMaxTextBytes), std::to_string(arg.text.size()),
                                   Shown(arg.text)}));
  }
  return arg.text;
}

void Parser::Modify(const CommandArg& arg, Modifier modifier, Command& command) {
  const CommandArg*& seen = modifiers_[static_cast<std::size_t>(modifier)];
  if (seen) Fail(Format(Text::CmdRepeated, {Shown(arg.text)}));
  seen = &arg;
  switch (modifier) {
    case Modifier::In: {
      const std::string& text = Value(arg, Text::CmdWhatMinutes).text;
      const std::optional<std::int32_t> minutes = BoundedDigits(text, kQuickTimerMaxMinutes);
      if (!minutes || *minutes < 1) {
        Fail(Format(Text::CmdMinutesRange, {std::to_string(kQuickTimerMaxMinutes), Shown(text)}));
      }
      command.timer.when = QuickTimerRequest::When::In;
      command.timer.minutes = *minutes;
      break;
    }
    case Modifier::At: {
      // H:MM or HH:MM, as a clock shows the time.
      const std::string& text = Value(arg, Text::CmdWhatTime).text;
      const std::size_t colon = text.find(':');
      std::optional<std::int32_t> hour, minute;
      if (colon >= 1 && colon <= 2 && text.size() == colon + 3) {
        hour = BoundedDigits(text.substr(0, colon), 23);
        minute = BoundedDigits(text.substr(colon + 1), 59);
      }
      if (!hour || !minute) Fail(Format(Text::CmdTimeForm, {Shown(text)}));
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
        command.timer.text = StorableText(Value(arg, Text::CmdWhatReminder), Text::CmdSubjectReminder);
        if (command.timer.text.empty()) Fail(Tr(Text::CmdReminderEmpty));
      }
      break;
    case CommandKind::Add: {
      command.trigger = StorableText(Value(arg, Text::CmdWhatTriggerAndAction), Text::CmdSubjectTrigger);
      if (command.trigger.empty()) Fail(Tr(Text::CmdTriggerEmpty));
      const CommandArg& action = Value(arg, Text::CmdWhatAction);
      const ActionRow* row = action.lossy ? nullptr : FindAction(action.text);
      if (!row && !action.lossy) row = FindActionKeyword(action.text);
      if (!row) Fail(Format(Text::CmdUnknownAction, {Shown(action.text)}));
      command.action = row->name;
      if (OptionalValueFollows()) command.argument = StorableText(args_[next_++], Text::CmdSubjectArgument);
      break;
    }
    case CommandKind::Delete: {
      const std::string& text = Value(arg, Text::CmdWhatNumber).text;
      const std::optional<std::int32_t> number = BoundedDigits(text, kMaxTaskNumber);
      if (!number || *number < 1) {
        Fail(Format(Text::CmdNumberRange, {std::to_string(kMaxTaskNumber), Shown(text)}));
      }
      command.number = *number;
      break;
    }
    case CommandKind::Export:
    case CommandKind::Import: {
      const CommandArg& file = Value(arg, Text::CmdWhatFile);
      if (file.wide.empty()) Fail(Format(Text::CmdFileEmpty, {Shown(arg.text)}));
      if (file.wide.size() > kMaxPathUnits) {
        Fail(Format(Text::CmdFileTooLong, {std::to_string(kMaxPathUnits), Shown(file.text)}));
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
    Fail(Format(Text::CmdTooManyArgs, {std::to_string(kMaxArgs), std::to_string(args_.size())}));
  }
  Command command;
  const CommandArg* commandArg = nullptr;
  while (next_ < args_.size()) {
    const CommandArg& arg = args_[next_++];
    const Found found = FindSwitch(arg.text);
    if (!found.known) Fail(Format(StartsLikeSwitch(arg.text) ? Text::CmdUnknownSwitch : Text::CmdExtraArg, {Shown(arg.text)}));
    if (found.modifier != Modifier::None) {
      Modify(arg, found.modifier, command);
      continue;
    }
    if (commandArg) Fail(Format(Text::CmdOneCommand, {Shown(commandArg->text), Shown(arg.text)}));
    commandArg = &arg;
    Begin(arg, found, command);
  }
  for (std::size_t m = 1; m < kModifierCount; ++m) {
    if (modifiers_[m] && kModifierOwners[m].kind != command.kind) {
      const std::string& named = kModifierOwners[m].named;
      Fail(named.empty() ? Format(Text::CmdTimerModifier, {Shown(modifiers_[m]->text)})
                         : Format(Text::CmdSwitchModifier, {Shown(modifiers_[m]->text), named}));
    }
  }
  if (command.kind == CommandKind::SetTimer) {
    const CommandArg* in = modifiers_[static_cast<std::size_t>(Modifier::In)];
    const CommandArg* at = modifiers_[static_cast<std::size_t>(Modifier::At)];
    if (!in && !at) Fail(Format(Text::CmdTimerNeedsWhen, {Shown(commandArg->text)}));
    if (in && at) Fail(Format(Text::CmdOnlyOne, {Shown(in->text), Shown(at->text)}));
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
  // The lines below are made of stored Chinese words, which an English
  // console may have no font for; the English help says how they are written.
  const bool storedWordsShow = CurrentLanguage() != Language::English;
  std::string help = Tr(Text::HelpTimers);
  if (storedWordsShow) {
    // What FindSwitch takes besides the keywords, in the dialog's order.
    std::string verbs, names;
    for (const char* name : kQuickTimerActions) {
      const ActionRow* row = FindAction(name);
      if (!row) continue;
      const bool hasVerb = row->verb[0] != '\0';
      verbs += std::string(verbs.empty() ? "/" : " /") + (hasVerb ? row->verb : row->name);
      if (hasVerb && std::string(row->verb) != row->name) names += std::string(names.empty() ? "/" : " /") + row->name;
    }
    help += Format(Text::HelpChineseNames, {verbs, names});
  }
  help += Tr(Text::HelpTasks);
  if (storedWordsShow) {
    const ActionRow* reminder = FindActionKeyword("remind");
    help += Format(Text::HelpAddExamples, {ComposeTrigger(TriggerKind::Daily, {"22", "30"}),
                                           ComposeTrigger(TriggerKind::Daily, {"8", "0"}),
                                           ComposeTrigger(TriggerKind::Idle, {"30"}), reminder ? reminder->name : ""});
  }
  help += Tr(Text::HelpFiles);
  // From the action table, so that a new action is offered here as well.
  for (std::size_t i = 0; i < kActionCount; ++i) {
    if (i > 0) help += Tr(Text::ListComma);
    help += Format(Text::HelpActionItem, {ShownAction(kActionTable[i].name), kActionTable[i].keyword});
  }
  return help + Tr(Text::HelpExitCodes);
}

}  // namespace velmaro
