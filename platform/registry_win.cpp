#include "platform/registry_win.h"

#include <windows.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "base/text_win.h"

namespace velmaro {

namespace {

HKEY ToHkey(RegKeyHandle key) { return reinterpret_cast<HKEY>(key); }

bool IsText(DWORD type) { return type == REG_SZ || type == REG_EXPAND_SZ; }

// The registry's own limit on a value name, in characters.
constexpr std::size_t kMaxValueNameChars = 16383;

// Data as the registry handed it out, `size` bytes, into the form the core
// reads: texts without their terminating zeros, converted with code page 936
// and kept as UTF-16 too.
void StoreData(DWORD type, const BYTE* data, DWORD size, RegValue* value) {
  value->type = type;
  if (IsText(type)) {
    const auto* text = reinterpret_cast<const wchar_t*>(data);
    std::size_t length = size / sizeof(wchar_t);
    while (length > 0 && text[length - 1] == L'\0') --length;
    value->data = FromWide(text, length);
    value->utf16.assign(reinterpret_cast<const char16_t*>(text), length);
    value->hasUtf16 = true;
  } else {
    value->data.assign(reinterpret_cast<const char*>(data), size);
    value->utf16.clear();
    value->hasUtf16 = false;
  }
}

}  // namespace

RegKeyHandle Win32Registry::CreateKey(RegRoot root, const std::string& path) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), ToWide(path).c_str(), 0,
                                nullptr, REG_OPTION_NON_VOLATILE, KEY_ALL_ACCESS, nullptr, &key, nullptr);
  return status == ERROR_SUCCESS ? reinterpret_cast<RegKeyHandle>(key) : 0;
}

RegKeyHandle Win32Registry::OpenKey(RegRoot root, const std::string& path) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(reinterpret_cast<HKEY>(static_cast<ULONG_PTR>(root)), ToWide(path).c_str(), 0,
                              KEY_ALL_ACCESS, &key);
  return status == ERROR_SUCCESS ? reinterpret_cast<RegKeyHandle>(key) : 0;
}

void Win32Registry::CloseKey(RegKeyHandle key) { RegCloseKey(ToHkey(key)); }

bool Win32Registry::QueryValue(RegKeyHandle key, const std::string& name, RegValue* value) {
  const WideString wideName = ToWide(name);
  // One call for the common short value; the evaluation tick reads every
  // slot this way every ten seconds. A longer one (or one that grew since)
  // is asked for again with the size the registry reported.
  BYTE shortData[512];
  std::vector<BYTE> longData;
  BYTE* data = shortData;
  DWORD type = 0;
  DWORD size = sizeof shortData;
  LONG status = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &type, data, &size);
  while (status == ERROR_MORE_DATA) {
    longData.resize(size + sizeof(wchar_t));
    data = longData.data();
    size = static_cast<DWORD>(longData.size());
    status = RegQueryValueExW(ToHkey(key), wideName.c_str(), nullptr, &type, data, &size);
  }
  if (status != ERROR_SUCCESS) return false;
  StoreData(type, data, size, value);
  return true;
}

bool Win32Registry::SetValue(RegKeyHandle key, const std::string& name, const RegValue& value) {
  WideString text;
  const BYTE* bytes = reinterpret_cast<const BYTE*>(value.data.data());
  DWORD size = static_cast<DWORD>(value.data.size());
  if (IsText(value.type)) {
    text = value.hasUtf16 ? WideString(value.utf16.begin(), value.utf16.end()) : ToWide(value.data);
    bytes = reinterpret_cast<const BYTE*>(text.c_str());
    size = static_cast<DWORD>((text.size() + 1) * sizeof(wchar_t));  // with the terminating zero
  }
  return RegSetValueExW(ToHkey(key), ToWide(name).c_str(), 0, value.type, bytes, size) == ERROR_SUCCESS;
}

bool Win32Registry::DeleteValue(RegKeyHandle key, const std::string& name) {
  return RegDeleteValueW(ToHkey(key), ToWide(name).c_str()) == ERROR_SUCCESS;
}

bool Win32Registry::ValueNames(RegKeyHandle key, std::vector<std::string>* names) {
  DWORD count = 0;
  DWORD longestName = 0;
  if (RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<std::string> found;
  found.reserve(count);
  // Room for the longest name the key reported and its zero; a name that grew
  // since is asked for again with a larger buffer.
  std::vector<wchar_t> buffer(static_cast<std::size_t>(longestName) + 1);
  auto enumerate = [&](DWORD index, DWORD* length) {
    *length = static_cast<DWORD>(buffer.size());
    return RegEnumValueW(ToHkey(key), index, buffer.data(), length, nullptr, nullptr, nullptr, nullptr);
  };
  for (DWORD index = 0;; ++index) {
    DWORD length = 0;
    LONG status = enumerate(index, &length);
    if (status == ERROR_MORE_DATA && buffer.size() < kMaxValueNameChars + 1) {
      buffer.resize(kMaxValueNameChars + 1);
      status = enumerate(index, &length);
    }
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return false;
    found.push_back(FromWide(buffer.data(), length));
  }
  names->swap(found);
  return true;
}

bool Win32Registry::ListValues(RegKeyHandle key, std::vector<RegNamedValue>* values) {
  DWORD count = 0;
  DWORD longestName = 0;
  DWORD longestData = 0;
  if (RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &count, &longestName,
                       &longestData, nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  std::vector<RegNamedValue> found;
  found.reserve(count);
  // Room for the longest name and data the key reported; a value that grew
  // since is asked for again with the name's limit and the size reported.
  std::vector<wchar_t> name(static_cast<std::size_t>(longestName) + 1);
  std::vector<BYTE> data(static_cast<std::size_t>(longestData) + sizeof(wchar_t));
  for (DWORD index = 0;; ++index) {
    DWORD nameLength = 0;
    DWORD type = 0;
    DWORD size = 0;
    LONG status = ERROR_MORE_DATA;
    while (status == ERROR_MORE_DATA) {
      nameLength = static_cast<DWORD>(name.size());
      size = static_cast<DWORD>(data.size());
      status = RegEnumValueW(ToHkey(key), index, name.data(), &nameLength, nullptr, &type, data.data(), &size);
      if (status != ERROR_MORE_DATA) break;
      // Either may have been too short; each grows, so the loop ends.
      name.resize(kMaxValueNameChars + 1);
      data.resize(std::max<std::size_t>(static_cast<std::size_t>(size) + sizeof(wchar_t), data.size() * 2));
    }
    if (status == ERROR_NO_MORE_ITEMS) break;
    if (status != ERROR_SUCCESS) return false;
    RegNamedValue value;
    value.name = FromWide(name.data(), nameLength);
    StoreData(type, data.data(), size, &value.value);
    found.push_back(std::move(value));
  }
  values->swap(found);
  return true;
}

bool Win32Registry::ValueCount(RegKeyHandle key, std::uint32_t* count) {
  DWORD values = 0;
  if (RegQueryInfoKeyW(ToHkey(key), nullptr, nullptr, nullptr, nullptr, nullptr, nullptr, &values, nullptr, nullptr,
                       nullptr, nullptr) != ERROR_SUCCESS) {
    return false;
  }
  *count = values;
  return true;
}

std::unique_ptr<RegistryService> MakeSystemRegistry() { return std::make_unique<Win32Registry>(); }

}  // namespace velmaro
