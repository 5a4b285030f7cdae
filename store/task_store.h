// The task store: four settings and the task slots under one registry key,
// plus the Run value that starts the program with Windows.
//
// Slot n is three strings: An the trigger text, Bn the action name, Cn the
// action argument. Slots 1..TaskNum exist; one with an empty An is skipped by
// every reader but keeps its number.
#pragma once

#include <cstdint>
#include <string>

#include "store/registry_object.h"

namespace velmaro {

extern const char kStoreKey[];  // \Software\Drennik\Velmaro under HKEY_LOCAL_MACHINE
extern const char kRunKey[];    // \Software\Microsoft\Windows\CurrentVersion\Run
extern const char kRunValue[];  // Zedevi

// The process-wide working copies of the settings; after start-up they are
// authoritative and every change is written through to the store.
struct Settings {
  std::int32_t ShutApp = 0;
  std::string SoundPath;
  std::int32_t Tishi = 60;
  std::int32_t LastTaskNum = 0;
};

struct TaskSlot {
  std::string trigger;
  std::string action;
  std::string argument;
};

// "A12", "B3": the letter and the slot number in decimal.
std::string SlotValueName(char letter, std::int32_t slot);

class TaskStore {
 public:
  TaskStore(RegistryObject& reg, Settings& settings) : reg_(reg), settings_(settings) {}

  // Reads each setting that exists and writes the default of each one that
  // does not; existing values are never replaced.
  void LoadSettings();

  // Calls visit(n, trigger) for each slot 1..LastTaskNum with a non-empty
  // trigger text, in ascending order, with the store key left open so the
  // visitor can read the slot's other values with ReadAction/ReadArgument.
  template <class Visit>
  void ForEachTask(Visit visit) {
    OpenStore();
    const std::int32_t last = settings_.LastTaskNum;
    // A 64-bit counter, so a TaskNum of 2^31-1 ends the loop instead of overflowing.
    for (std::int64_t n = 1; n <= last; ++n) {
      const auto slot = static_cast<std::int32_t>(n);
      std::string trigger = ReadTrigger(slot);
      if (!trigger.empty()) visit(slot, trigger);
    }
  }
  // Single values of a slot, read from the key that is open (OpenStore).
  std::string ReadTrigger(std::int32_t slot) { return reg_.ReadString(SlotValueName('A', slot)); }
  std::string ReadAction(std::int32_t slot) { return reg_.ReadString(SlotValueName('B', slot)); }
  std::string ReadArgument(std::int32_t slot) { return reg_.ReadString(SlotValueName('C', slot)); }
  std::int32_t LastTaskNum() const { return settings_.LastTaskNum; }

  // Selects HKEY_LOCAL_MACHINE and opens the task store key, creating it if
  // missing; every operation starts this way.
  void OpenStore();
  void CloseStore() { reg_.CloseKey(); }

  TaskSlot ReadSlot(std::int32_t slot);
  // Raises LastTaskNum by one, stores it as TaskNum and returns the new slot number.
  std::int32_t AllocateSlot();
  void WriteSlot(std::int32_t slot, const TaskSlot& task);
  // Moves every slot above `slot` down by one, removes the top slot's values
  // and lowers TaskNum. A slot number outside 1..LastTaskNum changes nothing.
  void DeleteSlot(std::int32_t slot);

  // The settings by value name ("tishi", "shutapp", "soundpath"), for the
  // settings dialog, which reads and writes the store and not only the copies.
  std::int32_t ReadIntegerSetting(const char* name);
  void WriteIntegerSetting(const char* name, std::int32_t value);
  void WriteStringSetting(const char* name, const std::string& text);

  // On when the Run value holds exactly `exePath`, character for character.
  // The path is UTF-16, as the system reports it: a folder name with no code
  // page 936 form must still start the program.
  bool StartWithWindows(const std::u16string& exePath);
  // Removes the Run value, then writes it again when `on`.
  void SetStartWithWindows(bool on, const std::u16string& exePath);

 private:
  void OpenRunKey();

  RegistryObject& reg_;
  Settings& settings_;
};

}  // namespace velmaro
