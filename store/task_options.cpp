#include "store/task_options.h"

#include "base/calendar.h"
#include "base/error.h"
#include "base/gbk.h"

namespace velmaro {

const char kTaskOptionsKey[] = "\\Software\\Drennik\\Velmaro\\TaskOptions";

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
  return Escape(key.trigger) + "|" + Escape(key.action) + "|" + std::to_string(key.duplicate);
}

std::optional<TaskKey> TaskKeyOf(const std::string& valueName) {
  const std::size_t first = FindBar(valueName, 0);
  if (first == std::string::npos) return std::nullopt;
  const std::size_t second = FindBar(valueName, first + 1);
  if (second == std::string::npos || FindBar(valueName, second + 1) != std::string::npos) return std::nullopt;
  const std::optional<std::string> trigger = Unescape(valueName.substr(0, first));
  const std::optional<std::string> action = Unescape(valueName.substr(first + 1, second - first - 1));
  const std::string place = valueName.substr(second + 1);
  int duplicate = 0;
  if (!trigger || !action || place.empty() || place.size() > 6 || !ReadDigits(place, 0, place.size(), duplicate) ||
      (place.size() > 1 && place[0] == '0')) {
    return std::nullopt;
  }
  return TaskKey{*trigger, *action, duplicate};
}

// The store does not reach into the scheduler; it counts the days with the
// calendar the tick's window counts them with.
std::string LocalMinuteText(std::int64_t minute) {
  const std::int64_t days = FloorDiv(minute, 1440);
  const std::int64_t inDay = minute - days * 1440;
  const CivilDate date = CivilFromDays(days);
  return std::to_string(date.year) + "-" + TwoDigits(static_cast<unsigned>(date.month)) + "-" +
         TwoDigits(static_cast<unsigned>(date.day)) +
         " " + TwoDigits(static_cast<unsigned>(inDay / 60)) + ":" + TwoDigits(static_cast<unsigned>(inDay % 60));
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

void TaskOptions::Load(TaskStore& store) {
  entries_.clear();
  reg_.SelectRoot(RegRoot::LocalMachine);
  if (!reg_.OpenKey(kTaskOptionsKey)) return;
  std::vector<std::string> unreadable;
  for (const RegNamedValue& value : reg_.ListValues()) {
    const std::optional<TaskKey> key = TaskKeyOf(value.name);
    std::optional<TaskOptionSet> options;
    if (key && value.value.type == kRegSz) options = ReadOptionsText(value.value.data);
    if (options) {
      entries_.push_back(Entry{*key, *options});
    } else {
      unreadable.push_back(value.name);
    }
  }
  // Nothing this program wrote: a value that reads as no task's options
  // would otherwise stay for ever.
  for (const std::string& name : unreadable) reg_.DeleteValue(name);
  reg_.CloseKey();
  if (entries_.empty()) return;

  // How many stored tasks share each entry's trigger and action: the entry
  // of the n-th of them lives while there are more than n.
  std::vector<int> stored(entries_.size(), 0);
  try {
    store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
      std::optional<std::string> action;
      for (std::size_t i = 0; i < entries_.size(); ++i) {
        if (entries_[i].key.trigger != trigger) continue;
        if (!action) action = store.ReadAction(slot);
        if (entries_[i].key.action == *action) ++stored[i];
      }
    });
  } catch (const AppError&) {
    store.CloseStore();
    return;  // what cannot be read is not known to be gone
  }
  store.CloseStore();
  for (std::size_t i = entries_.size(); i-- > 0;) {
    if (stored[i] <= entries_[i].key.duplicate) Erase(entries_[i].key);
  }
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
    if (entry.key.duplicate >= from && entry.key.trigger == key.trigger && entry.key.action == key.action) {
      moving.push_back(entry);
    }
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
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenKey(kTaskOptionsKey);
  reg_.DeleteValue(OptionsValueName(key));
  reg_.CloseKey();
  for (std::size_t i = 0; i < entries_.size(); ++i) {
    if (entries_[i].key == key) {
      entries_.erase(entries_.begin() + static_cast<std::ptrdiff_t>(i));
      return;
    }
  }
}

TaskKey KeyOfSlot(TaskStore& store, std::int32_t slot) {
  store.OpenStore();
  TaskKey key{store.ReadTrigger(slot), store.ReadAction(slot), 0};
  store.ForEachTask([&](std::int32_t lower, const std::string& trigger) {
    if (lower < slot && trigger == key.trigger && store.ReadAction(lower) == key.action) ++key.duplicate;
  });
  return key;
}

std::int32_t FindSlot(TaskStore& store, const TaskKey& key) {
  std::int32_t found = 0;
  int place = 0;
  store.ForEachSlot([&](std::int32_t slot) {
    if (store.ReadTrigger(slot) == key.trigger && store.ReadAction(slot) == key.action && place++ == key.duplicate) {
      found = slot;
      return false;
    }
    return true;
  });
  store.CloseStore();
  return found;
}

TaskKey KeyOfNewTask(TaskStore& store, const std::string& trigger, const std::string& action) {
  TaskKey key{trigger, action, 0};
  store.ForEachTask([&](std::int32_t slot, const std::string& text) {
    if (text == trigger && store.ReadAction(slot) == action) ++key.duplicate;
  });
  return key;
}

}  // namespace velmaro
