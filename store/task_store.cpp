#include "store/task_store.h"

#include <algorithm>
#include <array>
#include <cctype>
#include <cstring>
#include <limits>
#include <map>

#include "base/error.h"

namespace velmaro {

const char kStoreKey[] = "\\Software\\Drennik\\Velmaro";
const char kRunKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Zedevi";
const char kShutAppValue[] = "shutapp";
const char kSoundPathValue[] = "soundpath";
const char kTishiValue[] = "tishi";
const char kTaskNumValue[] = "TaskNum";
const char kTiqianValue[] = "tiqian";

namespace {

constexpr char kSlotLetters[] = "ABC";

}  // namespace

const char kSettingsDefaultedHeader[] = "以下设置本次使用默认值：";

std::string SlotValueName(char letter, std::int32_t slot) { return std::string(1, letter) + std::to_string(slot); }

std::int32_t SlotNumberOf(const std::string& name, const char* letters) {
  // Value names are compared without letter case, as the registry does.
  if (name.size() < 2 || name.size() > 11) return 0;
  const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(name[0])));
  if (std::strchr(letters, letter) == nullptr || letter == '\0') return 0;
  if (name[1] == '0') return 0;  // "A01" is no slot's name
  std::int64_t number = 0;
  for (std::size_t i = 1; i < name.size(); ++i) {
    if (name[i] < '0' || name[i] > '9') return 0;
    number = number * 10 + (name[i] - '0');
  }
  return number <= std::numeric_limits<std::int32_t>::max() ? static_cast<std::int32_t>(number) : 0;
}

void TaskStore::OpenStore() {
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenKey(kStoreKey);
}

void TaskStore::OpenStoreToRead() {
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenExistingKey(kStoreKey);
}

void TaskStore::OpenRunKey() {
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenKey(kRunKey);
}

std::optional<std::string> TaskStore::LoadSettings() {
  OpenStore();
  settings_ = Settings();

  std::vector<std::string> failures;
  // A read that fails leaves the copy at its default: the read throws before
  // the copy is assigned.
  auto load = [&failures](const auto& step) {
    try {
      step();
    } catch (const AppError& error) {
      failures.push_back(error.what());
    }
  };
  auto loadInteger = [this, &load](const char* name, std::int32_t& copy) {
    load([&] {
      if (reg_.ValueExists(name)) {
        copy = reg_.ReadInteger(name);
      } else {
        reg_.WriteInteger(name, copy);
      }
    });
  };
  loadInteger(kShutAppValue, settings_.ShutApp);
  load([this] {
    if (reg_.ValueExists(kSoundPathValue)) {
      settings_.SoundPath = reg_.ReadString(kSoundPathValue);
    } else {
      reg_.WriteString(kSoundPathValue, settings_.SoundPath);
    }
  });
  loadInteger(kTishiValue, settings_.Tishi);
  loadInteger(kTaskNumValue, settings_.LastTaskNum);
  // A countdown cannot last less than nothing; 0x80000000 meant as a long
  // countdown reads as negative too. The stored value stays as it is.
  if (settings_.Tishi < 0) settings_.Tishi = 0;
  // Added after the others: a store without it is not given one, and a value
  // out of range warns as a store without it does.
  load([this] {
    if (!reg_.ValueExists(kTiqianValue)) return;
    const std::int32_t minutes = reg_.ReadInteger(kTiqianValue);
    if (minutes >= 0 && minutes <= Settings::kMaxTiqian) settings_.Tiqian = minutes;
  });

  if (failures.empty()) return std::nullopt;
  std::string report = kSettingsDefaultedHeader;
  for (const std::string& failure : failures) report += "\n" + failure;
  return report;
}

std::vector<std::int32_t> TaskStore::TriggerSlots() {
  std::vector<std::int32_t> slots = SlotsNamed("A");
  const std::int32_t last = settings_.LastTaskNum;
  slots.erase(std::upper_bound(slots.begin(), slots.end(), last), slots.end());
  return slots;
}

std::vector<std::int32_t> TaskStore::SlotsNamed(const char* letters) {
  std::vector<std::int32_t> slots;
  for (const std::string& name : reg_.ValueNames()) {
    const std::int32_t slot = SlotNumberOf(name, letters);
    if (slot > 0) slots.push_back(slot);
  }
  std::sort(slots.begin(), slots.end());
  slots.erase(std::unique(slots.begin(), slots.end()), slots.end());
  return slots;
}

TaskSlot TaskStore::ReadSlot(std::int32_t slot) {
  OpenStore();
  TaskSlot task;
  task.trigger = reg_.ReadString(SlotValueName('A', slot));
  task.action = reg_.ReadString(SlotValueName('B', slot));
  task.argument = reg_.ReadString(SlotValueName('C', slot));
  return task;
}

std::int32_t TaskStore::AllocateSlot() { return AllocateSlots(1); }

std::int32_t TaskStore::AllocateSlots(std::int32_t count) {
  if (count < 1) throw AppError("No task slot asked for");
  OpenStore();
  const std::vector<std::int32_t> used = SlotsNamed("ABC");
  const std::int32_t highest = std::max<std::int32_t>({settings_.LastTaskNum, used.empty() ? 0 : used.back(), 0});
  if (highest > std::numeric_limits<std::int32_t>::max() - count) {
    throw AppError("No task slot is left above 'TaskNum'");
  }
  // The copy follows the store only once the store has the new number, so a
  // failed write leaves the two in step.
  const std::int32_t top = highest + count;
  reg_.WriteInteger(kTaskNumValue, top);
  settings_.LastTaskNum = top;
  return highest + 1;
}

void TaskStore::DropSlotsAbove(std::int32_t count) {
  OpenStore();
  const std::vector<std::string> names = reg_.ValueNames();
  reg_.WriteInteger(kTaskNumValue, count);
  settings_.LastTaskNum = count;
  for (const std::string& name : names) {
    if (SlotNumberOf(name, kSlotLetters) > count) reg_.DeleteValue(name);
  }
}

void TaskStore::WriteSlot(std::int32_t slot, const TaskSlot& task) {
  OpenStore();
  reg_.WriteString(SlotValueName('A', slot), task.trigger);
  reg_.WriteString(SlotValueName('B', slot), task.action);
  reg_.WriteString(SlotValueName('C', slot), task.argument);
}

namespace {

// Whether `onto` already is what moving `from` (none: the empty text) down
// onto it writes. The UTF-16 forms count too: texts with no code page 936
// form read as question marks, like the question marks themselves. Two such
// texts that are the same stay as they are, where an older install writes
// the question marks it read; either way both programs read those back.
bool AlreadyHolds(const RegValue& onto, const std::string& text, const RegValue* from) {
  return onto.type == kRegSz && onto.data == text && onto.utf16 == (from ? from->utf16 : std::u16string());
}

}  // namespace

void TaskStore::DeleteSlot(std::int32_t slot) {
  const std::int32_t last = settings_.LastTaskNum;
  if (slot < 1 || slot > last) return;
  OpenStore();
  // The values of the slots from `slot` up, A, B and C by slot number, each
  // read once: by name where the key holds at least as many values as there
  // are names to read, so values above TaskNum cost nothing; else from one
  // listing, so a TaskNum far above the stored slots costs no more than they
  // do.
  std::vector<RegNamedValue> listed;
  const std::uint64_t names = 3 * (static_cast<std::uint64_t>(last) - static_cast<std::uint64_t>(slot) + 1);
  if (names <= reg_.ValueCount()) {
    for (std::int32_t n = slot; n <= last; ++n) {
      for (std::size_t letter = 0; letter < 3; ++letter) {
        RegNamedValue value{SlotValueName(kSlotLetters[letter], n), RegValue()};
        if (reg_.QueryValue(value.name, &value.value)) listed.push_back(std::move(value));
      }
    }
  } else {
    listed = reg_.ListValues();
  }
  std::map<std::int32_t, std::array<const RegValue*, 3>> slots;
  for (const RegNamedValue& value : listed) {
    const std::int32_t n = SlotNumberOf(value.name, kSlotLetters);
    if (n < slot || n > last) continue;
    const char letter = static_cast<char>(std::toupper(static_cast<unsigned char>(value.name[0])));
    slots[n][static_cast<std::size_t>(letter - 'A')] = &value.value;
  }
  auto stored = [&slots](std::int32_t n, std::size_t letter) -> const RegValue* {
    const auto found = slots.find(n);
    return found == slots.end() ? nullptr : found->second[letter];
  };
  // Every slot above `slot` moves down by one, slot number by slot number
  // upward, as an older install's Delete moves them, so a write that fails
  // leaves what theirs would: the slots below moved, the rest as they were.
  // Only the slot numbers next to a stored slot can change: where neither a
  // slot nor the one above it holds a value there is nothing to move. A value
  // that already holds the text moving onto it (neighbours often share an
  // action or an argument) is not written again.
  std::int32_t moved = slot - 1;  // the slot numbers up to this one are done
  auto moveOnto = [&](std::int32_t to) {
    if (to <= moved || to >= last) return;
    moved = to;
    for (std::size_t letter = 0; letter < 3; ++letter) {
      const RegValue* from = stored(to + 1, letter);
      const RegValue* onto = stored(to, letter);
      if (!from && !onto) continue;
      const std::string text = from ? RegistryObject::TextOf(SlotValueName(kSlotLetters[letter], to + 1), *from) : "";
      if (onto && AlreadyHolds(*onto, text, from)) continue;
      reg_.WriteString(SlotValueName(kSlotLetters[letter], to), text);
    }
  };
  for (const auto& entry : slots) {
    moveOnto(entry.first - 1);
    moveOnto(entry.first);
  }
  for (std::size_t letter = 0; letter < 3; ++letter) {
    if (stored(last, letter)) reg_.DeleteValue(SlotValueName(kSlotLetters[letter], last));
  }
  reg_.WriteInteger(kTaskNumValue, last - 1);
  settings_.LastTaskNum = last - 1;
}

std::int32_t TaskStore::ReadIntegerSetting(const char* name) {
  OpenStore();
  return reg_.ReadInteger(name);
}

void TaskStore::WriteIntegerSetting(const char* name, std::int32_t value) {
  OpenStore();
  reg_.WriteInteger(name, value);
}

void TaskStore::WriteSoundPath(const std::string& path) {
  OpenStore();
  reg_.WriteString(kSoundPathValue, path);
}

bool TaskStore::StartWithWindows(const std::u16string& exePath) {
  OpenRunKey();
  bool on = reg_.ValueExists(kRunValue) && reg_.ReadUtf16(kRunValue) == exePath;
  reg_.CloseKey();
  return on;
}

void TaskStore::SetStartWithWindows(bool on, const std::u16string& exePath) {
  OpenRunKey();
  if (reg_.ValueExists(kRunValue)) reg_.DeleteValue(kRunValue);
  if (on) reg_.WriteUtf16(kRunValue, exePath);
  reg_.CloseKey();
}

}  // namespace velmaro
