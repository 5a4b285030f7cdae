#include "store/registry_object.h"

#include "base/error.h"

namespace velmaro {

namespace {

AppError InvalidType(const std::string& name) { return AppError(QuotedMessage("Invalid data type for ", name)); }
AppError GetFailed(const std::string& name) { return AppError(QuotedMessage("Failed to get data for ", name)); }
AppError SetFailed(const std::string& name) { return AppError(QuotedMessage("Failed to set data for ", name)); }

const std::string& Text(const std::string& name, const RegValue& value) {
  if (value.type != kRegSz && value.type != kRegExpandSz) throw InvalidType(name);
  return value.data;
}

}  // namespace

void RegistryObject::SelectRoot(RegRoot root) {
  if (root != root_) CloseKey();
  root_ = root;
}

bool RegistryObject::OpenKey(const std::string& path) {
  std::string relative = !path.empty() && path[0] == '\\' ? path.substr(1) : path;
  RegKeyHandle key = service_.CreateKey(root_, relative);
  // A failed open leaves no key current rather than the previous one, so the
  // reads and writes that follow fail instead of landing in the wrong key.
  CloseKey();
  key_ = key;
  return key != 0;
}

bool RegistryObject::OpenExistingKey(const std::string& path) {
  RegKeyHandle key = service_.OpenKey(root_, !path.empty() && path[0] == '\\' ? path.substr(1) : path);
  CloseKey();
  key_ = key;
  return key != 0;
}

void RegistryObject::CloseKey() {
  if (key_) service_.CloseKey(key_);
  key_ = 0;
}

bool RegistryObject::ValueExists(const std::string& name) {
  RegValue value;
  return key_ && service_.QueryValue(key_, name, &value);
}

bool RegistryObject::QueryValue(const std::string& name, RegValue* value) {
  return key_ && service_.QueryValue(key_, name, value);
}

std::string RegistryObject::ReadString(const std::string& name) {
  RegValue value;
  if (!key_ || !service_.QueryValue(key_, name, &value)) return std::string();
  return Text(name, value);
}

std::u16string RegistryObject::ReadUtf16(const std::string& name) {
  RegValue value;
  if (!key_ || !service_.QueryValue(key_, name, &value)) return std::u16string();
  if ((value.type != kRegSz && value.type != kRegExpandSz) || !value.hasUtf16) throw InvalidType(name);
  return value.utf16;
}

std::int32_t RegistryObject::ReadInteger(const std::string& name) {
  RegValue value;
  if (!key_ || !service_.QueryValue(key_, name, &value)) throw GetFailed(name);
  if (value.type != kRegDword || value.data.size() != 4) throw InvalidType(name);
  std::uint32_t bits = 0;
  for (int i = 3; i >= 0; --i) bits = (bits << 8) | static_cast<unsigned char>(value.data[static_cast<std::size_t>(i)]);
  return static_cast<std::int32_t>(bits);  // two's complement, as stored
}

void RegistryObject::WriteString(const std::string& name, const std::string& text) {
  if (!key_ || !service_.SetValue(key_, name, RegValue{kRegSz, text})) throw SetFailed(name);
}

void RegistryObject::WriteUtf16(const std::string& name, const std::u16string& text) {
  RegValue value{kRegSz, std::string()};
  value.utf16 = text;
  value.hasUtf16 = true;
  if (!key_ || !service_.SetValue(key_, name, value)) throw SetFailed(name);
}

void RegistryObject::WriteInteger(const std::string& name, std::int32_t value) {
  std::uint32_t bits = static_cast<std::uint32_t>(value);
  std::string data(4, '\0');
  for (std::size_t i = 0; i < 4; ++i) data[i] = static_cast<char>((bits >> (8 * i)) & 0xFF);
  if (!key_ || !service_.SetValue(key_, name, RegValue{kRegDword, data})) throw SetFailed(name);
}

bool RegistryObject::DeleteValue(const std::string& name) { return key_ && service_.DeleteValue(key_, name); }

std::vector<std::string> RegistryObject::ValueNames() {
  std::vector<std::string> names;
  if (key_ && !service_.ValueNames(key_, &names)) throw AppError("Failed to get the names of the values");
  return names;
}

std::vector<RegNamedValue> RegistryObject::ListValues() {
  std::vector<RegNamedValue> values;
  if (key_ && !service_.ListValues(key_, &values)) throw AppError("Failed to get the values");
  return values;
}

std::string RegistryObject::TextOf(const std::string& name, const RegValue& value) { return Text(name, value); }

std::uint32_t RegistryObject::ValueCount() {
  std::uint32_t count = 0;
  if (key_ && !service_.ValueCount(key_, &count)) throw AppError("Failed to get the number of the values");
  return count;
}

}  // namespace velmaro
