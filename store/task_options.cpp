#include "store/task_options.h"

#include "base/calendar.h"
#include "base/error.h"
#include "base/gbk.h"

namespace velmaro {

const char kTaskOptionsKey[] = "\\Software\\Drennik\\Velmaro\\WakeAndCatchUp";
const char kOldTaskOptionsKey[] = "\\Software\\Drennik\\Velmaro\\TaskOptions";

namespace {

// The name's own "|" and "%" are escaped; a double-byte character is copied
// whole, since its second byte may be "|" (0x7C), and an escape there would
// leave a name with half a character, which the registry's UTF-16 cannot hold.
std::string Escape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); i += GbkCharLength(text, i)) {
    if (text[i] == '|') {
      out += "%7C";
    } else if (text[i] == '%') {
      out += "%25";
    } else {
      out.append(text, i, GbkCharLength(text, i));
    }
  }
  return out;
}

// The next "|" that is a character of its own, from `from`, or npos.
std::size_t FindBar(const std::string& text, std::size_t from) {
  for (std::size_t i = from; i < text.size(); i += GbkCharLength(text, i)) {
    if (text[i] == '|') return i;
  }
  return std::string::npos;
}

// "%" is never the second byte of a double-byte character (those start at
// 0x40), so every one begins an escape.
std::optional<std::string> Unescape(const std::string& text) {
  std::string out;
  for (std::size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '%') {
      out += text[i];
    } else if (text.compare(i, 3, "%7C") == 0) {
      out += '|';
      i += 2;
    } else if (text.compare(i, 3, "%25") == 0) {
      out += '%';
      i += 2;
    } else {
      return std::nullopt;
    }
  }
  return out;
}

// Digits only, without sign or blank, at most `width` of them.
bool ReadDigits(const std::string& text, std::size_t at, std::size_t width, int& value) {
  if (at + width > text.size()) return false;
  value = 0;
  for (std::size_t i = at; i < at + width; ++i) {
    if (text[i] < '0' || text[i] > '9') return false;
    value = value * 10 + (text[i] - '0');
  }
  return true;
}

}  // namespace

std::string OptionsValueName(const TaskKey& key) {
  std::string name = Escape(key.trigger);
  for (const std::string* part : {&key.action, &key.argument}) {
    name += '|';
    name += Escape(*part);
  }
  name += '|';
  name += std::to_string(key.duplicate);
  return name;
}

namespace {

// The texts between the name's "|"s, unescaped, and its trailing place; none
// for a name of another number of parts, a bad escape or a bad place.
std::optional<std::vector<std::string>> SplitName(const std::string& valueName, std::size_t texts, int& place) {
  std::vector<std::string> parts;
  std::size_t from = 0;
  for (std::size_t bar; (bar = FindBar(valueName, from)) != std::string::npos; from = bar + 1) {
    const std::optional<std::string> part = Unescape(valueName.substr(from, bar - from));
    if (!part || parts.size() == texts) return std::nullopt;
    parts.push_back(*part);
  }
  const std::string digits = valueName.substr(from);
  if (parts.size() != texts || digits.empty() || digits.size() > 6 || !ReadDigits(digits, 0, digits.size(), place) ||
      (digits.size() > 1 && digits[0] == '0')) {
    return std::nullopt;
  }
  return parts;
}

}  // namespace

std::optional<TaskKey> TaskKeyOf(const std::string& valueName) {
  int place = 0;
  const std::optional<std::vector<std::string>> parts = SplitName(valueName, 3, place);
  if (!parts) return std::nullopt;
  return TaskKey{(*parts)[0], (*parts)[1], (*parts)[2], place};
}

std::optional<OldTaskKey> OldTaskKeyOf(const std::string& valueName) {
  int place = 0;
  const std::optional<std::vector<std::string>> parts = SplitName(valueName, 2, place);
  if (!parts) return std::nullopt;
  return OldTaskKey{(*parts)[0], (*parts)[1], place};
}

// The store does not reach into the scheduler; it counts the days with the
// calendar the tick's window counts them with.
std::string LocalMinuteText(std::int64_t minute) {
  const std::int64_t days = FloorDiv(minute, 1440);
  const std::int64_t inDay = minute - days * 1440;
  const CivilDate date = CivilFromDays(days);
  return DateTimeText(date.year, static_cast<unsigned>(date.month), static_cast<unsigned>(date.day),
                      static_cast<unsigned>(inDay / 60), static_cast<unsigned>(inDay % 60));
}

std::string OptionsText(const TaskOptionSet& options) {
  std::string text;
  if (options.wake) text += 'W';
  if (options.catchUp) text += 'C';
  if (options.catchUp && options.lastRun) text += " " + LocalMinuteText(*options.lastRun);
  return text;
}

std::optional<TaskOptionSet> ReadOptionsText(const std::string& text) {
  TaskOptionSet options;
  std::size_t at = 0;
  if (at < text.size() && text[at] == 'W') {
    options.wake = true;
    ++at;
  }
  if (at < text.size() && text[at] == 'C') {
    options.catchUp = true;
    ++at;
  }
  if (at == text.size()) return options.Empty() ? std::nullopt : std::optional<TaskOptionSet>(options);
  // " yyyy-MM-dd HH:mm", as OptionsText writes it.
  int y = 0, mo = 0, d = 0, h = 0, mi = 0;
  if (!options.catchUp || text.size() != at + 17 || text[at] != ' ' || !ReadDigits(text, at + 1, 4, y) ||
      text[at + 5] != '-' || !ReadDigits(text, at + 6, 2, mo) || text[at + 8] != '-' || !ReadDigits(text, at + 9, 2, d) ||
      text[at + 11] != ' ' || !ReadDigits(text, at + 12, 2, h) || text[at + 14] != ':' ||
      !ReadDigits(text, at + 15, 2, mi)) {
    return std::nullopt;
  }
  const std::int64_t days = DaysFromCivil(y, mo, d);
  const CivilDate date = CivilFromDays(days);
  if (date.year != y || date.month != mo || date.day != d || y == 0 || h > 23 || mi > 59) return std::nullopt;
  options.lastRun = days * 1440 + h * 60 + mi;
  return options;
}

namespace {

// The values of `key`, without creating it; none when it is missing or
// cannot be listed.
std::vector<RegNamedValue> ValuesOf(RegistryObject& reg, const char* key) {
  std::vector<RegNamedValue> values;
  reg.SelectRoot(RegRoot::LocalMachine);
  if (!reg.OpenExistingKey(key)) return values;
  try {
    values = reg.ListValues();
  } catch (const AppError&) {
  }
  reg.CloseKey();
  return values;
}

void DeleteValues(RegistryObject& reg, const char* key, const std::vector<std::string>& names) {
  if (names.empty()) return;
  reg.SelectRoot(RegRoot::LocalMachine);
  if (!reg.OpenExistingKey(key)) return;
  for (const std::string& name : names) reg.DeleteValue(name);
  reg.CloseKey();
}

}  // namespace

void TaskOptions::Load(TaskStore& store) {
  entries_.clear();
  // What reads as nobody's options is nothing this program wrote, and
  // would otherwise stay for ever.
  std::vector<std::string> unreadable;
  for (const RegNamedValue& value : ValuesOf(reg_, kTaskOptionsKey)) {
    const std::optional<TaskKey> key = TaskKeyOf(value.name);
    std::optional<TaskOptionSet> options;
    if (key && value.value.type == kRegSz) options = ReadOptionsText(value.value.data);
    if (options) {
      entries_.push_back(Entry{*key, *options});
    } else {
      unreadable.push_back(value.name);
    }
  }
  DeleteValues(reg_, kTaskOptionsKey, unreadable);
  // The older entries all leave their key: moved to their tasks, or dropped.
  // Until then an older entry's key holds its trigger and action, and its
  // place among their tasks.
  std::vector<Entry> older;
  std::vector<std::string> olderNames;
  for (const RegNamedValue& value : ValuesOf(reg_, kOldTaskOptionsKey)) {
    olderNames.push_back(value.name);
    const std::optional<OldTaskKey> key = OldTaskKeyOf(value.name);
    std::optional<TaskOptionSet> options;
    if (key && value.value.type == kRegSz) options = ReadOptionsText(value.value.data);
    if (options) older.push_back(Entry{TaskKey{key->trigger, key->action, "", key->duplicate}, *options});
  }
  if (entries_.empty() && olderNames.empty()) return;

  // One walk of the store: how many stored tasks share each entry's texts
  // (the entry of the n-th of them lives while there are more than n), and
  // the slot of the task each older entry named. The slots and the entries
  // are looked through one by one: a store holds a few slots, and an entry
  // costs one comparison of its trigger per slot.
  std::vector<int> stored(entries_.size(), 0), seen(older.size(), 0);
  std::vector<std::int32_t> moved(older.size(), 0);
  try {
    store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
      std::optional<TaskSlot> task;
      auto read = [&]() -> const TaskSlot& {
        if (!task) task = TaskSlot{trigger, store.ReadAction(slot), store.ReadArgument(slot)};
        return *task;
      };
      for (std::size_t i = 0; i < entries_.size(); ++i) {
        const TaskKey& key = entries_[i].key;
        if (key.trigger == trigger && key.action == read().action && key.argument == read().argument) ++stored[i];
      }
      for (std::size_t i = 0; i < older.size(); ++i) {
        const TaskKey& key = older[i].key;
        if (key.trigger == trigger && key.action == read().action && seen[i]++ == key.duplicate) moved[i] = slot;
      }
    });
  } catch (const AppError&) {
    store.CloseStore();
    return;  // what cannot be read is not known to be gone
  }
  std::vector<Entry> kept;
  std::vector<std::string> gone;
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (stored[i] > entries_[i].key.duplicate) {
      kept.push_back(entries_[i]);
    } else {
      gone.push_back(OptionsValueName(entries_[i].key));
    }
  }
  entries_.swap(kept);
  DeleteValues(reg_, kTaskOptionsKey, gone);
  // An older entry names what an older install set last: it wins.
  for (std::size_t i = 0; i < older.size(); ++i) {
    if (moved[i]) Write(KeyOfSlot(store, moved[i]), older[i].options);
  }
  store.CloseStore();
  DeleteValues(reg_, kOldTaskOptionsKey, olderNames);
}

TaskOptions::Entry* TaskOptions::Find(const TaskKey& key) {
  for (Entry& entry : entries_) {
    if (entry.key == key) return &entry;
  }
  return nullptr;
}

TaskOptionSet TaskOptions::Of(const TaskKey& key) const {
  for (const Entry& entry : entries_) {
    if (entry.key == key) return entry.options;
  }
  return TaskOptionSet();
}

void TaskOptions::Set(const TaskKey& key, const TaskOptionSet& options) {
  if (options.Empty()) {
    if (Find(key)) Erase(key);
  } else {
    Write(key, options);
  }
}

void TaskOptions::RecordRun(const TaskKey& key, std::int64_t occurrence) {
  const Entry* entry = Find(key);
  if (!entry || !entry->options.catchUp) return;
  TaskOptionSet options = entry->options;
  options.lastRun = occurrence;
  Write(key, options);
}

void TaskOptions::Shift(const TaskKey& key, int from, int step) {
  std::vector<Entry> moving;
  for (const Entry& entry : entries_) {
    if (entry.key.duplicate >= from && entry.key.SameTexts(key)) moving.push_back(entry);
  }
  for (const Entry& move : moving) Erase(move.key);
  for (Entry& move : moving) {
    move.key.duplicate += step;
    Write(move.key, move.options);
  }
}

void TaskOptions::Removed(const TaskKey& key) {
  if (entries_.empty()) return;
  if (Find(key)) Erase(key);
  Shift(key, key.duplicate + 1, -1);
}

void TaskOptions::Inserted(const TaskKey& key, const TaskOptionSet& options) {
  if (!entries_.empty()) Shift(key, key.duplicate, 1);
  Set(key, options);
}

void TaskOptions::Write(const TaskKey& key, const TaskOptionSet& options) {
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenKey(kTaskOptionsKey);
  try {
    reg_.WriteString(OptionsValueName(key), OptionsText(options));
  } catch (...) {
    reg_.CloseKey();
    throw;
  }
  reg_.CloseKey();
  if (Entry* entry = Find(key)) {
    entry->options = options;
  } else {
    entries_.push_back(Entry{key, options});
  }
}

void TaskOptions::Erase(const TaskKey& key) {
  DeleteValues(reg_, kTaskOptionsKey, {OptionsValueName(key)});
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].key == key) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

std::optional<std::string> LoadStore(TaskStore& store, TaskOptions& options) {
  std::optional<std::string> failure;
  try {
    failure = store.LoadSettings();
  } catch (const AppError& error) {
    failure = error.what();
  }
  store.CloseStore();
  try {
    options.Load(store);
  } catch (const AppError& error) {
    if (!failure) failure = error.what();
  }
  return failure;
}

}  // namespace velmaro
