// The registry as the program sees it: keys under a predefined root and named
// values. String data crosses this interface as code page 936 bytes; the
// Win32 implementation converts to and from UTF-16 with that code page.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <utility>
#include <vector>

namespace velmaro {

enum class RegRoot : std::uint32_t {
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
};

// Value types as the registry numbers them.
enum : std::uint32_t {
  kRegNone = 0,
  kRegSz = 1,
  kRegExpandSz = 2,
  kRegBinary = 3,
  kRegDword = 4,
};

struct RegValue {
  RegValue() = default;
  RegValue(std::uint32_t valueType, std::string valueData) : type(valueType), data(std::move(valueData)) {}

  std::uint32_t type = kRegNone;
  // REG_SZ / REG_EXPAND_SZ: the text without its terminating zero;
  // REG_DWORD: four little-endian bytes; anything else: the raw bytes.
  std::string data;
  // Text values also as the UTF-16 the registry holds, for texts that may have
  // no code page 936 form (the program's own path). QueryValue fills it for
  // text values; SetValue writes it instead of `data` when `hasUtf16` is set.
  std::u16string utf16;
  bool hasUtf16 = false;
};

// One value of a listing: its name as the registry spells it, and its data.
struct RegNamedValue {
  std::string name;
  RegValue value;
};

using RegKeyHandle = std::uintptr_t;  // 0 = no key

class RegistryService {
 public:
  virtual ~RegistryService() = default;
  // Opens `path` (relative to the root, no leading backslash) with full
  // access, creating it and its missing parents. Returns 0 on failure.
  virtual RegKeyHandle CreateKey(RegRoot root, const std::string& path) = 0;
  // The same for a key that exists; 0 when it does not (or cannot be opened),
  // and nothing is created.
  virtual RegKeyHandle OpenKey(RegRoot root, const std::string& path) = 0;
  virtual void CloseKey(RegKeyHandle key) = 0;
  // False when the value is missing or cannot be read.
  virtual bool QueryValue(RegKeyHandle key, const std::string& name, RegValue* value) = 0;
  virtual bool SetValue(RegKeyHandle key, const std::string& name, const RegValue& value) = 0;
  virtual bool DeleteValue(RegKeyHandle key, const std::string& name) = 0;
  // The names of the key's values, as the registry spells them, in no
  // particular order. False (and `names` unchanged) when the key cannot be
  // enumerated.
  virtual bool ValueNames(RegKeyHandle key, std::vector<std::string>* names) = 0;
  // The key's values with their data, each as QueryValue gives it, in no
  // particular order: one call per value, where listing the names and then
  // querying each costs two. False (and `values` unchanged) when the key
  // cannot be enumerated.
  virtual bool ListValues(RegKeyHandle key, std::vector<RegNamedValue>* values) = 0;
  // How many values the key holds, without listing them. False (and `count`
  // unchanged) when the key cannot be queried.
  virtual bool ValueCount(RegKeyHandle key, std::uint32_t* count) = 0;
};

// The running system's registry (Windows builds only).
std::unique_ptr<RegistryService> MakeSystemRegistry();

}  // namespace velmaro
