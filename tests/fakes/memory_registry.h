// An in-memory registry with value types, missing values, a journal of
// changes and switches that make a chosen call fail. It knows no code page
// 936: a text value written in one form reads back in the other only for
// ASCII characters, as the tests need it.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace velmaro {

// Registry names compare without regard to ASCII letter case.
struct NoCaseLess {
  bool operator()(const std::string& a, const std::string& b) const;
};

class MemoryRegistry : public RegistryService {
 public:
  using Values = std::map<std::string, RegValue, NoCaseLess>;

  RegKeyHandle CreateKey(RegRoot root, const std::string& path) override;
  RegKeyHandle OpenKey(RegRoot root, const std::string& path) override;
  void CloseKey(RegKeyHandle key) override;
  bool QueryValue(RegKeyHandle key, const std::string& name, RegValue* value) override;
  bool SetValue(RegKeyHandle key, const std::string& name, const RegValue& value) override;
  bool DeleteValue(RegKeyHandle key, const std::string& name) override;
  bool ValueNames(RegKeyHandle key, std::vector<std::string>* names) override;
  bool ListValues(RegKeyHandle key, std::vector<RegNamedValue>* values) override;
  bool ValueCount(RegKeyHandle key, std::uint32_t* count) override;

  // Direct access for arranging and checking, by path without a leading "\".
  Values& Key(RegRoot root, const std::string& path) { return keys_[KeyName(root, path)]; }
  bool HasKey(RegRoot root, const std::string& path) const { return keys_.count(KeyName(root, path)) != 0; }
  // As RegDeleteKey does it: handles open on the key read nothing more.
  void DeleteKey(RegRoot root, const std::string& path) { keys_.erase(KeyName(root, path)); }
  void PutString(RegRoot root, const std::string& path, const std::string& name, const std::string& text);
  void PutDword(RegRoot root, const std::string& path, const std::string& name, std::uint32_t value);

  // Failure switches: the n-th call (counted from 1 since the switch was
  // set) of the kind fails; 0 = never.
  bool failCreate = false;
  int failSetAt = 0;
  int failQueryAt = 0;
  bool failEnum = false;
  bool failCount = false;
  int setCalls = 0;
  int queryCalls = 0;
  int enumCalls = 0;
  // The names each enumeration (of names, or of names and data) has handed
  // out: what it costs on the real registry, one call per value.
  long long namesListed = 0;
  int openKeys = 0;  // handles not yet closed
  int opens = 0;     // keys opened or created, ever

  // A guard for tests of cost: a query or write beyond this many (counted
  // like the switches above) throws CallLimitExceeded, which no code of the
  // program catches, so a runaway loop ends the test instead of hanging it.
  long long callLimit = 0;  // 0 = none
  struct CallLimitExceeded {};

  // "set NAME" / "delete NAME", in order.
  std::vector<std::string> journal;

 private:
  static std::string KeyName(RegRoot root, const std::string& path);
  // A stored value as a read hands it out: texts with their UTF-16 form.
  static RegValue AsRead(const RegValue& stored);
  Values* Lookup(RegKeyHandle key);

  std::map<std::string, Values, NoCaseLess> keys_;
  std::map<RegKeyHandle, std::string> handles_;
  RegKeyHandle nextHandle_ = 1;
};

}  // namespace velmaro
