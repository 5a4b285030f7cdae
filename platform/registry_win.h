#pragma once

#include "platform/registry.h"

namespace velmaro {

// The registry through the wide API; string data converted with code page 936.
class Win32Registry : public RegistryService {
 public:
  RegKeyHandle CreateKey(RegRoot root, const std::string& path) override;
  RegKeyHandle OpenKey(RegRoot root, const std::string& path) override;
  void CloseKey(RegKeyHandle key) override;
  bool QueryValue(RegKeyHandle key, const std::string& name, RegValue* value) override;
  bool SetValue(RegKeyHandle key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(RegKeyHandle key, const std::string& name) override;
  bool ValueNames(RegKeyHandle key, std::vector<std::string>* names) override;
  bool ListValues(RegKeyHandle key, std::vector<RegNamedValue>* values) override;
  bool ValueCount(RegKeyHandle key, std::uint32_t* count) override;
};

}  // namespace velmaro
