#include "store/task_store.h"

#include <limits>

#include "platform/error.h"

namespace velmaro {

const char kStoreKey[] = "\\Software\\Drennik\\Velmaro";
const char kRunKey[] = "\\Software\\Microsoft\\Windows\\CurrentVersion\\Run";
const char kRunValue[] = "Zedevi";

std::string SlotValueName(char letter, std::int32_t slot) { return std::string(1, letter) + std::to_string(slot); }

void TaskStore::OpenStore() {
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenKey(kStoreKey);
}

void TaskStore::OpenRunKey() {
  reg_.SelectRoot(RegRoot::LocalMachine);
  reg_.OpenKey(kRunKey);
}

void TaskStore::LoadSettings() {
  OpenStore();
  settings_ = Settings();

  auto loadInteger = [this](const char* name, std::int32_t& copy) {
    if (reg_.ValueExists(name)) {
      copy = reg_.ReadInteger(name);
    } else {
      reg_.WriteInteger(name, copy);
    }
  };
  loadInteger("shutapp", settings_.ShutApp);
  if (reg_.ValueExists("soundpath")) {
    settings_.SoundPath = reg_.ReadString("soundpath");
  } else {
    reg_.WriteString("soundpath", settings_.SoundPath);
  }
  loadInteger("tishi", settings_.Tishi);
  loadInteger("TaskNum", settings_.LastTaskNum);
}

TaskSlot TaskStore::ReadSlot(std::int32_t slot) {
  OpenStore();
  TaskSlot task;
  task.trigger = reg_.ReadString(SlotValueName('A', slot));
  task.action = reg_.ReadString(SlotValueName('B', slot));
  task.argument = reg_.ReadString(SlotValueName('C', slot));
  return task;
}

std::int32_t TaskStore::AllocateSlot() {
  OpenStore();
  if (settings_.LastTaskNum == std::numeric_limits<std::int32_t>::max()) {
    throw AppError("No task slot is left above 'TaskNum'");
  }
  // The copy follows the store only once the store has the new number, so a
  // failed write leaves the two in step.
  const std::int32_t slot = settings_.LastTaskNum < 0 ? 1 : settings_.LastTaskNum + 1;
  reg_.WriteInteger("TaskNum", slot);
  settings_.LastTaskNum = slot;
  return slot;
}

void TaskStore::WriteSlot(std::int32_t slot, const TaskSlot& task) {
  OpenStore();
  reg_.WriteString(SlotValueName('A', slot), task.trigger);
  reg_.WriteString(SlotValueName('B', slot), task.action);
  reg_.WriteString(SlotValueName('C', slot), task.argument);
}

void TaskStore::DeleteSlot(std::int32_t slot) {
  const std::int32_t last = settings_.LastTaskNum;
  if (slot < 1 || slot > last) return;
  OpenStore();
  for (std::int64_t n = std::int64_t{slot} + 1; n <= last; ++n) {
    const auto from = static_cast<std::int32_t>(n);
    for (char letter : {'A', 'B', 'C'}) {
      reg_.WriteString(SlotValueName(letter, from - 1), reg_.ReadString(SlotValueName(letter, from)));
    }
  }
  for (char letter : {'A', 'B', 'C'}) reg_.DeleteValue(SlotValueName(letter, last));
  reg_.WriteInteger("TaskNum", last - 1);
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

void TaskStore::WriteStringSetting(const char* name, const std::string& text) {
  OpenStore();
  reg_.WriteString(name, text);
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
