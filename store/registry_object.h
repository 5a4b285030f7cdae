// The store object `Reg`: a root, at most one open key (the current key), and
// typed reads and writes that fail with the texts the user sees.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velmaro {

class RegistryObject {
 public:
  explicit RegistryObject(RegistryService& service) : service_(service) {}
  ~RegistryObject() { CloseKey(); }
  RegistryObject(const RegistryObject&) = delete;
  RegistryObject& operator=(const RegistryObject&) = delete;

  // Choosing a different root closes the current key.
  void SelectRoot(RegRoot root);
  // Opens `path` (absolute when it starts with "\"), creating it if missing.
  // On success it becomes the current key; on failure no key is current.
  bool OpenKey(const std::string& path);
  // The same for a key that exists: reading never creates one.
  bool OpenExistingKey(const std::string& path);
  void CloseKey();

  bool ValueExists(const std::string& name);
  // The value as the registry holds it; false when it is missing, cannot be
  // read or no key is open.
  bool QueryValue(const std::string& name, RegValue* value);
  // A missing value (or no open key) reads as the empty text.
  std::string ReadString(const std::string& name);
  std::int32_t ReadInteger(const std::string& name);
  void WriteString(const std::string& name, const std::string& text);
  // The same for texts that may have no code page 936 form (a program path),
  // exactly as the registry holds them.
  std::u16string ReadUtf16(const std::string& name);
  void WriteUtf16(const std::string& name, const std::u16string& text);
  void WriteInteger(const std::string& name, std::int32_t value);
  bool DeleteValue(const std::string& name);
  // The names of the current key's values; none when no key is open. Fails
  // when the key cannot be enumerated.
  std::vector<std::string> ValueNames();
  // The current key's values with their data; none when no key is open.
  // Fails when the key cannot be enumerated.
  std::vector<RegNamedValue> ListValues();
  // A listed value's text, failing as ReadString(name) does for another type.
  static std::string TextOf(const std::string& name, const RegValue& value);
  // How many values the current key holds; 0 when no key is open. Fails
  // when the key cannot be queried.
  std::uint32_t ValueCount();

 private:
  RegistryService& service_;
  RegRoot root_ = RegRoot::CurrentUser;
  RegKeyHandle key_ = 0;
};

}  // namespace velmaro
