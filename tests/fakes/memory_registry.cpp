#include "tests/fakes/memory_registry.h"

#include <algorithm>
#include <cctype>

namespace velmaro {

bool NoCaseLess::operator()(const std::string& a, const std::string& b) const {
  return std::lexicographical_compare(a.begin(), a.end(), b.begin(), b.end(), [](char x, char y) {
    return std::toupper(static_cast<unsigned char>(x)) < std::toupper(static_cast<unsigned char>(y));
  });
}

std::string MemoryRegistry::KeyName(RegRoot root, const std::string& path) {
  return std::to_string(static_cast<std::uint32_t>(root)) + "\\" + path;
}

MemoryRegistry::Values* MemoryRegistry::Lookup(RegKeyHandle key) {
  auto handle = handles_.find(key);
  if (handle == handles_.end()) return nullptr;
  auto found = keys_.find(handle->second);  // a key deleted under an open handle stays deleted
  return found == keys_.end() ? nullptr : &found->second;
}

RegKeyHandle MemoryRegistry::CreateKey(RegRoot root, const std::string& path) {
  if (failCreate) return 0;
  keys_[KeyName(root, path)];
  handles_[nextHandle_] = KeyName(root, path);
  ++openKeys;
  ++opens;
  return nextHandle_++;
}

RegKeyHandle MemoryRegistry::OpenKey(RegRoot root, const std::string& path) {
  if (failCreate || !keys_.count(KeyName(root, path))) return 0;
  handles_[nextHandle_] = KeyName(root, path);
  ++openKeys;
  ++opens;
  return nextHandle_++;
}

void MemoryRegistry::CloseKey(RegKeyHandle key) {
  if (handles_.erase(key)) --openKeys;
}

bool MemoryRegistry::QueryValue(RegKeyHandle key, const std::string& name, RegValue* value) {
  if (++queryCalls == failQueryAt) return false;
  if (callLimit > 0 && queryCalls + setCalls > callLimit) throw CallLimitExceeded{};
  Values* values = Lookup(key);
  if (!values) return false;
  auto found = values->find(name);
  if (found == values->end()) return false;
  *value = AsRead(found->second);
  return true;
}

RegValue MemoryRegistry::AsRead(const RegValue& stored) {
  RegValue value = stored;
  if ((value.type == kRegSz || value.type == kRegExpandSz) && !value.hasUtf16) {
    value.utf16.assign(value.data.begin(), value.data.end());
    value.hasUtf16 = true;
  }
  return value;
}

bool MemoryRegistry::SetValue(RegKeyHandle key, const std::string& name, const RegValue& value) {
  if (++setCalls == failSetAt) return false;
  if (callLimit > 0 && queryCalls + setCalls > callLimit) throw CallLimitExceeded{};
  Values* values = Lookup(key);
  if (!values) return false;
  RegValue stored = value;
  if (stored.hasUtf16) {
    stored.data.clear();
    for (char16_t unit : stored.utf16) stored.data += unit < 0x80 ? static_cast<char>(unit) : '?';
  }
  (*values)[name] = stored;
  journal.push_back("set " + name);
  return true;
}

bool MemoryRegistry::DeleteValue(RegKeyHandle key, const std::string& name) {
  Values* values = Lookup(key);
  if (!values || !values->erase(name)) return false;
  journal.push_back("delete " + name);
  return true;
}

bool MemoryRegistry::ValueNames(RegKeyHandle key, std::vector<std::string>* names) {
  ++enumCalls;
  Values* values = Lookup(key);
  if (failEnum || !values) return false;
  // The map's order is by name without letter case ("A1", "A10", "A2"), not
  // by slot number, and a name keeps the spelling it was written with: the
  // registry promises neither order nor case.
  names->clear();
  for (const auto& value : *values) names->push_back(value.first);
  namesListed += static_cast<long long>(names->size());
  return true;
}

bool MemoryRegistry::ListValues(RegKeyHandle key, std::vector<RegNamedValue>* values) {
  ++enumCalls;
  Values* stored = Lookup(key);
  if (failEnum || !stored) return false;
  // In the map's order, as ValueNames hands them out: no slot order.
  values->clear();
  for (const auto& value : *stored) values->push_back({value.first, AsRead(value.second)});
  namesListed += static_cast<long long>(values->size());
  return true;
}

bool MemoryRegistry::ValueCount(RegKeyHandle key, std::uint32_t* count) {
  Values* values = Lookup(key);
  if (failCount || !values) return false;
  *count = static_cast<std::uint32_t>(values->size());
  return true;
}

void MemoryRegistry::PutString(RegRoot root, const std::string& path, const std::string& name,
                               const std::string& text) {
  Key(root, path)[name] = RegValue{kRegSz, text};
}

void MemoryRegistry::PutDword(RegRoot root, const std::string& path, const std::string& name, std::uint32_t value) {
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((value >> (8 * i)) & 0xFF);
  Key(root, path)[name] = RegValue{kRegDword, data};
}

}  // namespace velmaro
