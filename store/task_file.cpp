#include "store/task_file.h"

#include <algorithm>
#include <limits>
#include <map>
#include <optional>
#include <vector>

#include "base/ascii.h"
#include "base/error.h"
#include "dialogs/task_check.h"
#include "lang/texts.h"
#include "scheduler/tick_window.h"
#include "store/task_key.h"

namespace velmaro {

namespace {

static_assert(kTaskFileLimitBytes < static_cast<std::size_t>(std::numeric_limits<std::int32_t>::max()),
              "a line number of a file within the limit must fit 32 bits");

const char kBom[] = "\xEF\xBB\xBF";
const char kSettingsSection[] = "settings";
const char kTasksSection[] = "tasks";
const char kWakeWord[] = "wake";
const char kCatchUpWord[] = "catchup";

// The settings the settings dialog edits that are numbers, by the names of
// their values in the store, each from 0 to its maximum: the dialog's own
// bounds, and those start-up reads them by.
struct IntegerSetting {
  const char* name;
  std::int32_t Settings::*copy;
  void (TaskStore::*write)(std::int32_t);
  std::int32_t max;
  Text range;  // how a refusal names it
};
const IntegerSetting kIntegerSettings[] = {
    {kShutAppValue, &Settings::ShutApp, &TaskStore::WriteShutApp, 1, Text::TaskFileShutAppRange},
    {kTishiValue, &Settings::Tishi, &TaskStore::WriteTishi, std::numeric_limits<std::int32_t>::max(), Text::TaskFileTishiRange},
    {kTiqianValue, &Settings::Tiqian, &TaskStore::WriteTiqian, Settings::kMaxTiqian, Text::TaskFileTiqianRange},
};
constexpr std::size_t kIntegerSettingCount = sizeof kIntegerSettings / sizeof kIntegerSettings[0];
constexpr std::size_t kSoundPathIndex = kIntegerSettingCount;  // the one text setting, after the numbers

bool IsBlank(char c) { return c == ' ' || c == '\t'; }

std::string Trimmed(const std::string& text) {
  std::size_t begin = 0, end = text.size();
  while (begin < end && IsBlank(text[begin])) ++begin;
  while (end > begin && IsBlank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// --- Writing -----------------------------------------------------------------

std::string CsvField(const std::string& utf8) {
  const bool quoted = utf8.find_first_of(",\"") != std::string::npos ||
                      (!utf8.empty() && (utf8[0] == '#' || utf8[0] == '[' || IsBlank(utf8[0]) || IsBlank(utf8.back())));
  if (!quoted) return utf8;
  std::string field = "\"";
  for (char c : utf8) {
    if (c == '"') field += '"';
    field += c;
  }
  return field + "\"";
}

std::string OptionWords(const TaskOptionSet& options) {
  std::string words;
  if (options.wake) words = kWakeWord;
  if (options.catchUp) words += std::string(words.empty() ? "" : " ") + kCatchUpWord;
  return words;
}

// Texts by a key of their own, counted or with a minute: one map type for all.
using TextMap = std::map<std::string, std::int64_t>;

// A task's texts as one map key: no text the store holds has a zero byte.
std::string TextsKey(const TaskSlot& task) {
  return task.trigger + '\0' + task.action + '\0' + task.argument;
}

}  // namespace

std::string WriteTaskFile(TaskStore& store, const TaskOptions& options, const Settings& settings, TextCodec& codec) {
  std::string file = kBom;
  file += codec.GbkToUtf8(Tr(Text::TaskFileHeading)) + "\r\n";
  file += std::string("[") + kSettingsSection + "]\r\n";
  // What the dialog shows and the next start runs: a stored value out of
  // range is written as its bound, so that the file reads back.
  for (const IntegerSetting& setting : kIntegerSettings) {
    const std::int32_t value = std::clamp<std::int32_t>(settings.*setting.copy, 0, setting.max);
    file += setting.name;
    file += "=" + std::to_string(value) + "\r\n";
  }
  file += std::string(kSoundPathValue) + "=" + codec.GbkToUtf8(settings.SoundPath) + "\r\n";
  file += std::string("[") + kTasksSection + "]\r\n";

  // The keys as KeyOfSlot gives them, counted in the one walk.
  TextMap seen;
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    const TaskSlot task{trigger, store.ReadAction(slot), store.ReadArgument(slot)};
    std::string line;
    for (const std::string* text : {&task.trigger, &task.action, &task.argument}) {
      line += CsvField(codec.GbkToUtf8(*text));
      line += ',';
    }
    if (options.Any()) {
      const int duplicate = static_cast<int>(seen[TextsKey(task)]++);
      line += OptionWords(options.Of(TaskKey{task.trigger, task.action, task.argument, duplicate}));
    }
    file += line + "\r\n";
  });
  store.CloseStore();
  return file;
}

namespace {

// --- Reading -----------------------------------------------------------------

struct FileTask {
  TaskSlot task;
  TaskOptionSet options;
};

struct FileContents {
  std::vector<FileTask> tasks;
  std::optional<std::int32_t> integers[kIntegerSettingCount];
  std::optional<std::string> soundPath;
};

// The fields of one CSV line, or the fault; the line is UTF-8, where a
// comma or a quote is never part of another character.
bool SplitCsv(const std::string& line, std::vector<std::string>* fields, std::string* fault) {
  std::size_t pos = 0;
  for (;;) {
    while (pos < line.size() && IsBlank(line[pos])) ++pos;
    std::string field;
    if (pos < line.size() && line[pos] == '"') {
      for (++pos;; ++pos) {
        if (pos >= line.size()) {
          *fault = Tr(Text::TaskFileUnpairedQuote);
          return false;
        }
        if (line[pos] == '"') {
          if (pos + 1 < line.size() && line[pos + 1] == '"') {
            ++pos;
          } else {
            break;
          }
        }
        field += line[pos];
      }
      ++pos;
      while (pos < line.size() && IsBlank(line[pos])) ++pos;
      if (pos < line.size() && line[pos] != ',') {
        *fault = Tr(Text::TaskFileAfterQuote);
        return false;
      }
    } else {
      const std::size_t comma = std::min(line.find(',', pos), line.size());
      field = Trimmed(line.substr(pos, comma - pos));
      if (field.find('"') != std::string::npos) {
        *fault = Tr(Text::TaskFileBareQuote);
        return false;
      }
      pos = comma;
    }
    fields->push_back(field);
    if (pos >= line.size()) return true;
    ++pos;  // past the comma: a field follows, empty at the end of the line
  }
}

class FileReader {
 public:
  FileReader(TextCodec& codec, ClockService& clock) : codec_(codec), clock_(clock) {}

  // The fault of line `number`, or "".
  std::string Line(std::int32_t number, const std::string& utf8) {
    for (char c : utf8) {
      if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return Tr(Text::TaskFileControlChar);
    }
    if (!codec_.Utf8ToGbk(utf8)) return Tr(Text::TaskFileNotGbk);
    const std::string text = Trimmed(utf8);
    if (text.empty() || text[0] == '#') return "";
    if (text[0] == '[') return Section(text);
    return inSettings_ ? Setting(number, text) : Task(utf8);
  }

  bool Empty() const {
    if (sections_ > 0 || !contents.tasks.empty() || contents.soundPath) return false;
    for (const auto& integer : contents.integers) {
      if (integer) return false;
    }
    return true;
  }

  FileContents contents;

 private:
  std::string Section(const std::string& text) {
    const std::string name = text.size() >= 2 && text.back() == ']' ? Trimmed(text.substr(1, text.size() - 2)) : "";
    if (SameAsciiWord(name, kSettingsSection)) {
      inSettings_ = true;
    } else if (SameAsciiWord(name, kTasksSection)) {
      inSettings_ = false;
    } else {
      return Format(Text::TaskFileNoSection, {QuotedMessage("", Gbk(text).value_or(""))});
    }
    ++sections_;
    return "";
  }

  std::string Setting(std::int32_t number, const std::string& text) {
    const std::size_t equals = text.find('=');
    if (equals == std::string::npos) return Tr(Text::TaskFileSettingForm);
    const std::string name = Trimmed(text.substr(0, equals));
    std::size_t index = 0;
    while (index < kIntegerSettingCount && !SameAsciiWord(name, kIntegerSettings[index].name)) ++index;
    if (index == kIntegerSettingCount && !SameAsciiWord(name, kSoundPathValue)) {
      std::string names;
      for (const IntegerSetting& setting : kIntegerSettings) names += setting.name + std::string(Tr(Text::ListComma));
      names.resize(names.size() - std::string(Tr(Text::ListComma)).size());
      names += Tr(Text::ListLastAnd) + std::string(kSoundPathValue);
      return Format(Text::TaskFileNoSetting, {QuotedMessage("", Gbk(name).value_or("")), names});
    }
    if (givenAt_[index] != 0) {
      return Format(Text::TaskFileSettingTwice, {name, std::to_string(givenAt_[index])});
    }
    givenAt_[index] = number;
    if (index == kSoundPathIndex) {
      // As it stands: a path's own blanks are part of it.
      const std::optional<std::string> path = Gbk(text.substr(equals + 1));
      if (!path) return Tr(Text::TaskFileNotGbk);
      contents.soundPath = *path;
      return "";
    }
    const IntegerSetting& setting = kIntegerSettings[index];
    const std::optional<std::int32_t> value = BoundedDigits(Trimmed(text.substr(equals + 1)), setting.max);
    if (!value) return Format(setting.range, {setting.name});
    contents.integers[index] = value;
    return "";
  }

  std::string Task(const std::string& utf8) {
    std::vector<std::string> fields;
    std::string fault;
    if (!SplitCsv(utf8, &fields, &fault)) return fault;
    if (fields.size() < 3 || fields.size() > 4) {
      return Format(Text::TaskFileFieldCount, {std::to_string(fields.size())});
    }
    FileTask task;
    std::string* texts[] = {&task.task.trigger, &task.task.action, &task.task.argument};
    for (std::size_t i = 0; i < 3; ++i) {
      const std::optional<std::string> text = Gbk(fields[i]);
      if (!text) return Tr(Text::TaskFileNotGbk);
      *texts[i] = *text;
    }
    if (fields.size() == 4) {
      const std::string words = fields[3] + " ";
      std::size_t from = 0;
      for (std::size_t blank; (blank = words.find_first_of(" \t", from)) != std::string::npos; from = blank + 1) {
        const std::string word = words.substr(from, blank - from);
        if (word.empty()) continue;
        if (SameAsciiWord(word, kWakeWord)) {
          task.options.wake = true;
        } else if (SameAsciiWord(word, kCatchUpWord)) {
          task.options.catchUp = true;
        } else {
          return Format(Text::TaskFileNoOption, {QuotedMessage("", Gbk(word).value_or(""))});
        }
      }
    }
    // The editor's own checks, in its own words.
    const std::string refusal = TaskRefusal(task.task, task.options, clock_);
    if (!refusal.empty()) return refusal;
    if (contents.tasks.size() >= static_cast<std::size_t>(kTaskFileTasksMax)) {
      return Format(Text::TaskFileTooManyTasks, {std::to_string(kTaskFileTasksMax)});
    }
    contents.tasks.push_back(std::move(task));
    return "";
  }

  std::optional<std::string> Gbk(const std::string& utf8) { return codec_.Utf8ToGbk(utf8); }

  TextCodec& codec_;
  ClockService& clock_;
  bool inSettings_ = false;
  int sections_ = 0;
  std::int32_t givenAt_[kIntegerSettingCount + 1] = {};
};

TaskFileResult Refused(std::int32_t line, std::string why) {
  TaskFileResult result;
  result.line = line;
  result.why = std::move(why);
  return result;
}

// The tasks stored in slots 1..TaskNum, each slot as the editor stores a new
// one, and their options under their keys. `identical` counts the stored
// tasks that are kept, by their texts.
void StoreTasks(const std::vector<FileTask>& tasks, bool replace, TextMap identical,
                TaskStore& store, TaskOptions& options, ClockService& clock) {
  options.Load(store);
  const std::int32_t count = static_cast<std::int32_t>(tasks.size());
  // The last runs of the catch-up tasks replaced, by key.
  TextMap lastRuns;
  std::int32_t next = 0;  // the file's first task not yet written
  std::int32_t slot = 0;  // and where it goes
  if (replace) {
    const std::vector<TaskOptions::Entry> entries = options.All();
    for (const TaskOptions::Entry& entry : entries) {
      if (entry.options.catchUp && entry.options.lastRun) lastRuns[OptionsValueName(entry.key)] = *entry.options.lastRun;
      options.Set(entry.key, TaskOptionSet());
    }
    // The slots held are rewritten in place and those above the last one
    // written go, so the slots stay contiguous at every step.
    const std::int32_t inPlace = std::min(count, std::max<std::int32_t>(store.LastTaskNum(), 0));
    for (; next < inPlace; ++next) store.WriteSlot(next + 1, tasks[static_cast<std::size_t>(next)].task);
    store.DropSlotsAbove(inPlace);
  }
  if (next < count) slot = store.AllocateSlots(count - next);
  for (; next < count; ++next, ++slot) store.WriteSlot(slot, tasks[static_cast<std::size_t>(next)].task);

  // A task new to this store has missed nothing before now, as one the
  // editor stores; the same task replaced keeps the run it had.
  const std::int64_t now = LocalMinuteOf(clock.LocalTime());
  for (const FileTask& task : tasks) {
    const int duplicate = static_cast<int>(identical[TextsKey(task.task)]++);
    if (task.options.Empty()) continue;
    const TaskKey key{task.task.trigger, task.task.action, task.task.argument, duplicate};
    TaskOptionSet set{task.options.wake, task.options.catchUp, std::nullopt};
    if (set.catchUp) {
      const auto kept = lastRuns.find(OptionsValueName(key));
      set.lastRun = kept != lastRuns.end() ? kept->second : now;
    }
    options.Inserted(key, set);
  }
  store.CloseStore();
}

}  // namespace

TaskFileResult ReadTaskFile(const std::string& utf8, bool replace, TaskStore& store, TaskOptions& options,
                            Settings& settings, TextCodec& codec, ClockService& clock) {
  if (utf8.size() > kTaskFileLimitBytes) {
    return Refused(0, Format(Text::TaskFileTooLarge, {std::to_string(kTaskFileLimitBytes)}));
  }
  FileReader reader(codec, clock);
  std::int32_t number = 0;
  for (std::size_t pos = utf8.compare(0, 3, kBom) == 0 ? 3 : 0; pos < utf8.size();) {
    const std::size_t end = std::min(utf8.find('\n', pos), utf8.size());
    std::string line = utf8.substr(pos, end - pos);
    if (!line.empty() && line.back() == '\r') line.pop_back();
    const std::string fault = reader.Line(++number, line);
    if (!fault.empty()) return Refused(number, fault);
    pos = end + 1;
  }
  // An empty file is more likely one cut short than a wish to lose every task.
  if (reader.Empty()) return Refused(0, Tr(Text::TaskFileEmpty));
  const FileContents& contents = reader.contents;

  TextMap identical;
  if (!replace) {
    std::size_t stored = 0;
    store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
      ++stored;
      ++identical[TextsKey(TaskSlot{trigger, store.ReadAction(slot), store.ReadArgument(slot)})];
    });
    store.CloseStore();
    if (stored + contents.tasks.size() > static_cast<std::size_t>(kTaskFileTasksMax)) {
      return Refused(0, Format(Text::TaskFileOverLimit, {std::to_string(stored), std::to_string(contents.tasks.size()),
                                                          std::to_string(kTaskFileTasksMax)}));
    }
  }
  StoreTasks(contents.tasks, replace, std::move(identical), store, options, clock);

  for (std::size_t i = 0; i < kIntegerSettingCount; ++i) {
    const std::optional<std::int32_t>& value = contents.integers[i];
    if (!value) continue;
    (store.*kIntegerSettings[i].write)(*value);
    settings.*kIntegerSettings[i].copy = *value;
  }
  if (contents.soundPath) {
    store.WriteSoundPath(*contents.soundPath);
    settings.SoundPath = *contents.soundPath;
  }
  store.CloseStore();
  TaskFileResult result;
  result.ok = true;
  result.tasks = static_cast<std::int32_t>(contents.tasks.size());
  return result;
}

std::string TaskFileMessage(const TaskFileResult& result) {
  return result.line > 0 ? Format(Text::TaskFileAtLine, {std::to_string(result.line), result.why}) : result.why;
}

}  // namespace velmaro
