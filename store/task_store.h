// The task store: four settings and the task slots under one registry key,
// plus the Run value that starts the program with Windows.
//
// Slot n is three strings: An the trigger text, Bn the action name, Cn the
// action argument. Slots 1..TaskNum exist; one with an empty An is skipped by
// every reader but keeps its number.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "store/registry_object.h"

namespace velmaro {

extern const char kStoreKey[];  // \Software\Drennik\Velmaro under HKEY_LOCAL_MACHINE
extern const char kRunKey[];    // \Software\Microsoft\Windows\CurrentVersion\Run
extern const char kRunValue[];  // Zedevi
// The value names of the settings, as the store key holds them.
extern const char kShutAppValue[];    // shutapp
extern const char kSoundPathValue[];  // soundpath
extern const char kTishiValue[];      // tishi
extern const char kTaskNumValue[];    // TaskNum
extern const char kTiqianValue[];     // tiqian: minutes of warning ahead; older installs never read it

// The process-wide working copies of the settings; after start-up they are
// authoritative and every change is written through to the store.
struct Settings {
  std::int32_t ShutApp = 0;
  std::string SoundPath;
  std::int32_t Tishi = 60;
  std::int32_t LastTaskNum = 0;
  // Minutes before a countdown task's minute that the tray warns of it, and
  // again 1 minute before; 0: no warning.
  std::int32_t Tiqian = kDefaultTiqian;
  static constexpr std::int32_t kDefaultTiqian = 5;
  static constexpr std::int32_t kMaxTiqian = 60;
};

struct TaskSlot {
  std::string trigger;
  std::string action;
  std::string argument;
};

// "A12", "B3": the letter and the slot number in decimal.
std::string SlotValueName(char letter, std::int32_t slot);
// The slot number a value name gives when its letter is one of `letters`
// (capitals; the name's letter case does not count), or 0 when it names no
// slot: "A0", "A01", "A+1", "A2147483648" and "TaskNum" name none.
std::int32_t SlotNumberOf(const std::string& name, const char* letters);

// The first line of the box that names the settings start-up could not load.
extern const char kSettingsDefaultedHeader[];

class TaskStore {
 public:
  TaskStore(RegistryObject& reg, Settings& settings) : reg_(reg), settings_(settings) {}

  // Reads each setting that exists and writes the default of each one that
  // does not; existing values are never replaced. Each setting is loaded on
  // its own: one that cannot be read or written keeps its default for this
  // run, and the returned text names every such setting for one error box.
  // A negative countdown length counts as 0.
  std::optional<std::string> LoadSettings();

  // Calls visit(n) for the slot numbers a reader walks, ascending, with the
  // store key open for reading, until visit returns false (then returns false). Every
  // number 1..LastTaskNum is walked when LastTaskNum is no more than the
  // key's value count; above that, only those whose trigger value exists,
  // found among the value names, so a TaskNum far above the slots stored
  // (2^31-1, say) costs no more than they do. Fails when the key can be
  // neither counted nor listed.
  template <class Visit>
  bool ForEachSlot(Visit visit) {
    OpenStoreToRead();
    const std::int32_t last = settings_.LastTaskNum;
    if (last <= 0) return true;
    if (static_cast<std::uint32_t>(last) <= reg_.ValueCount()) {
      for (std::int32_t slot = 1; slot <= last; ++slot) {
        if (!visit(slot)) return false;
      }
      return true;
    }
    for (std::int32_t slot : TriggerSlots()) {
      if (!visit(slot)) return false;
    }
    return true;
  }
  // Calls visit(n, trigger) for each slot walked with a non-empty trigger
  // text, with the store key left open so the visitor can read the slot's
  // other values with ReadAction/ReadArgument.
  template <class Visit>
  void ForEachTask(Visit visit) {
    ForEachSlot([&](std::int32_t slot) {
      std::string trigger = ReadTrigger(slot);
      if (!trigger.empty()) visit(slot, trigger);
      return true;
    });
  }
  // Single values of a slot, read from the key that is open (OpenStore).
  std::string ReadTrigger(std::int32_t slot) { return reg_.ReadString(SlotValueName('A', slot)); }
  std::string ReadAction(std::int32_t slot) { return reg_.ReadString(SlotValueName('B', slot)); }
  std::string ReadArgument(std::int32_t slot) { return reg_.ReadString(SlotValueName('C', slot)); }
  std::int32_t LastTaskNum() const { return settings_.LastTaskNum; }

  // Selects HKEY_LOCAL_MACHINE and opens the task store key, creating it if
  // missing; every operation that writes starts this way.
  void OpenStore();
  // The same for reading: a store key that is missing (deleted while the
  // program runs) reads as empty and is not made anew.
  void OpenStoreToRead();
  void CloseStore() { reg_.CloseKey(); }

  TaskSlot ReadSlot(std::int32_t slot);
  // Raises LastTaskNum by one, stores it as TaskNum and returns the new slot
  // number. The new slot lies above every slot that holds a value, so a
  // TaskNum that is negative, unreadable or below the stored slots never
  // hands out a slot in use.
  std::int32_t AllocateSlot();
  // The same for `count` slots at once (at least 1), above every slot that
  // holds a value; returns the first of them. Throws AppError when fewer
  // than `count` slot numbers are left.
  std::int32_t AllocateSlots(std::int32_t count);
  // Stores `count` (0 or more) as TaskNum, then removes every slot value
  // above it, those above the old TaskNum too, so that the slots
  // 1..TaskNum are all there are, as an older install reads them.
  void DropSlotsAbove(std::int32_t count);
  void WriteSlot(std::int32_t slot, const TaskSlot& task);
  // Moves every slot above `slot` down by one, removes the top slot's values
  // and lowers TaskNum, as an older install's Delete does, reading each value
  // once and writing only the values that change. A slot number
  // outside 1..LastTaskNum changes nothing.
  void DeleteSlot(std::int32_t slot);

  // The settings as stored, for the settings dialog, which reads and writes
  // the store and not only the copies. The copies stay as they are.
  std::int32_t ReadTishi() { return ReadIntegerSetting(kTishiValue); }
  std::int32_t ReadShutApp() { return ReadIntegerSetting(kShutAppValue); }
  void WriteTishi(std::int32_t seconds) { WriteIntegerSetting(kTishiValue, seconds); }
  void WriteShutApp(std::int32_t shutApp) { WriteIntegerSetting(kShutAppValue, shutApp); }
  void WriteTiqian(std::int32_t minutes) { WriteIntegerSetting(kTiqianValue, minutes); }
  void WriteSoundPath(const std::string& path);

  // On when the Run value holds exactly `exePath`, character for character.
  // The path is UTF-16, as the system reports it: a folder name with no code
  // page 936 form must still start the program.
  bool StartWithWindows(const std::u16string& exePath);
  // Removes the Run value, then writes it again when `on`.
  void SetStartWithWindows(bool on, const std::u16string& exePath);

 private:
  void OpenRunKey();
  std::int32_t ReadIntegerSetting(const char* name);
  void WriteIntegerSetting(const char* name, std::int32_t value);
  // The slots 1..LastTaskNum whose trigger value exists, ascending, from the
  // key that is open.
  std::vector<std::int32_t> TriggerSlots();
  // The slot numbers named by the open key's values of the given letters
  // ("A", "ABC"), ascending and each once.
  std::vector<std::int32_t> SlotsNamed(const char* letters);

  RegistryObject& reg_;
  Settings& settings_;
};

}  // namespace velmaro
