#include "lang/language.h"

#include "base/ascii.h"
#include "platform/registry.h"
#include "store/task_store.h"

namespace velmaro {

const char kLanguageValue[] = "Language";

namespace {

struct StoredWord {
  Language language;
  const char* word;
  const char* lowerWord;
};
constexpr StoredWord kStoredLanguages[] = {{Language::Simplified, "zh-CN", "zh-cn"},
                                               {Language::English, "en", "en"},
                                               {Language::Traditional, "zh-TW", "zh-tw"}};

// Whether one of the name's parts ("zh", "Hant", "TW"), with '-' or '_'
// between them, is `part` (lower case).
bool HasPart(const std::string& name, const char* part) {
  std::size_t start = 0;
  while (start <= name.size()) {
    std::size_t end = name.find_first_of("-_", start);
    if (end == std::string::npos) end = name.size();
    if (SameAsciiWord(name.substr(start, end - start), part)) return true;
    start = end + 1;
  }
  return false;
}

}  // namespace

Language LanguageOfUiName(const std::string& name) {
  const std::size_t end = name.find_first_of("-_");
  if (!SameAsciiWord(name.substr(0, end), "zh")) return Language::English;
  // The script, where the name gives one, outweighs the region.
  if (HasPart(name, "hans")) return Language::Simplified;
  for (const char* part : {"hant", "tw", "hk", "mo"}) {
    if (HasPart(name, part)) return Language::Traditional;
  }
  return Language::Simplified;
}

Language LanguageOfLangId(std::uint16_t langId) {
  constexpr std::uint16_t kChinese = 0x04;  // LANG_CHINESE
  if ((langId & 0x3FF) != kChinese) return Language::English;
  switch (langId >> 10) {
    case 0x01:  // SUBLANG_CHINESE_TRADITIONAL (Taiwan)
    case 0x03:  // SUBLANG_CHINESE_HONGKONG
    case 0x05:  // SUBLANG_CHINESE_MACAU
    case 0x1F:  // zh-Hant, the neutral Traditional
      return Language::Traditional;
    default:
      return Language::Simplified;
  }
}

std::optional<Language> LanguageOfSetting(const std::string& stored) {
  for (const StoredWord& row : kStoredLanguages) {
    if (SameAsciiWord(stored, row.lowerWord)) return row.language;
  }
  return std::nullopt;
}

std::string SettingOfLanguage(std::optional<Language> language) {
  if (!language) return "";
  for (const StoredWord& row : kStoredLanguages) {
    if (row.language == *language) return row.word;
  }
  return "";
}

// kStoreKey begins with the backslash of the root.
std::optional<Language> StoredLanguage(RegistryService& registry) {
  const RegKeyHandle key = registry.OpenKey(RegRoot::LocalMachine, kStoreKey + 1);
  if (key == 0) return std::nullopt;
  RegValue value;
  const bool read = registry.QueryValue(key, kLanguageValue, &value);
  registry.CloseKey(key);
  if (!read || (value.type != kRegSz && value.type != kRegExpandSz)) return std::nullopt;
  return LanguageOfSetting(value.data);
}

bool StoreLanguage(RegistryService& registry, std::optional<Language> language) {
  const RegKeyHandle key = registry.CreateKey(RegRoot::LocalMachine, kStoreKey + 1);
  if (key == 0) return false;
  RegValue left;
  const bool kept = language ? registry.SetValue(key, kLanguageValue, RegValue(kRegSz, SettingOfLanguage(language)))
                             : registry.DeleteValue(key, kLanguageValue) || !registry.QueryValue(key, kLanguageValue, &left);
  registry.CloseKey(key);
  return kept;
}

}  // namespace velmaro
