// The task store written straight into the memory registry, as an older
// install or an imported .reg file leaves it, and read back the same way:
// for tests that arrange a store before the program reads it and check what
// the program wrote.
#pragma once

#include <cstdint>
#include <stdexcept>
#include <string>

#include "store/task_store.h"
#include "tests/fakes/memory_registry.h"

namespace velmaro {

// The store key as the memory registry names it: without its leading "\".
inline const char* const kStorePath = kStoreKey + 1;

class StoreArranger {
 public:
  explicit StoreArranger(MemoryRegistry& registry) : registry_(registry) {}

  void PutString(const std::string& name, const std::string& text) {
    registry_.PutString(RegRoot::LocalMachine, kStorePath, name, text);
  }
  void PutDword(const std::string& name, std::uint32_t value) {
    registry_.PutDword(RegRoot::LocalMachine, kStorePath, name, value);
  }
  // Slot n's three strings An, Bn, Cn.
  void PutSlot(std::int32_t slot, const std::string& trigger, const std::string& action,
               const std::string& argument) {
    PutString(SlotValueName('A', slot), trigger);
    PutString(SlotValueName('B', slot), action);
    PutString(SlotValueName('C', slot), argument);
  }
  void PutTaskNum(std::uint32_t count) { PutDword(kTaskNumValue, count); }

  MemoryRegistry::Values& Values() { return registry_.Key(RegRoot::LocalMachine, kStorePath); }
  // A value's text, or "(none)" when it is missing.
  std::string Text(const std::string& name) {
    auto found = Values().find(name);
    return found == Values().end() ? "(none)" : found->second.data;
  }
  // A REG_DWORD value's number; a missing value or another type is a failed test.
  std::uint32_t Dword(const std::string& name) { return DwordOf(Values().at(name)); }
  static std::uint32_t DwordOf(const RegValue& value);
  static RegValue DwordValue(std::uint32_t number);

 private:
  MemoryRegistry& registry_;
};

inline std::uint32_t StoreArranger::DwordOf(const RegValue& value) {
  if (value.type != kRegDword || value.data.size() != 4) throw std::runtime_error("not a REG_DWORD");
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
  return bits;
}

inline RegValue StoreArranger::DwordValue(std::uint32_t number) {
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((number >> (8 * i)) & 0xFF);
  return RegValue{kRegDword, data};
}

}  // namespace velmaro
