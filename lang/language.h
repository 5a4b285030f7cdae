// Which language the windows speak: the user's choice in the settings, or
// else the system's display language. The regional format plays no part: an
// English Windows set to Chinese dates still shows English windows.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "lang/texts.h"

namespace velmaro {

// "Language", in the store key, beside the settings; older installs ignore
// it. Absent or empty: follow the system.
extern const char kLanguageValue[];

// The language a display language's name gives, in the form Windows names
// it ("zh-TW", "zh-Hant-HK", "en-US", "zh_CN"): zh-TW, zh-HK, zh-MO and any
// Hant name give Traditional, any other zh (and any Hans name) Simplified,
// and every other language English.
Language LanguageOfUiName(const std::string& name);
// The same for a LANGID, as Windows XP gives it (GetUserDefaultUILanguage).
Language LanguageOfLangId(std::uint16_t langId);

// The stored choice: "zh-CN", "en" or "zh-TW"; anything else, including a
// value a later version may write, is no choice (follow the system).
std::optional<Language> LanguageOfSetting(const std::string& stored);
// The stored word of a choice ("" for none).
std::string SettingOfLanguage(std::optional<Language> language);

// The language in force: the user's choice where there is one.
inline Language ChooseLanguage(std::optional<Language> chosen, Language system) { return chosen ? *chosen : system; }

class RegistryService;
// The choice kept in the store; none when the key or the value is missing or
// cannot be read.
std::optional<Language> StoredLanguage(RegistryService& registry);
// Keeps the choice (none: removes the value). False when the store refused.
bool StoreLanguage(RegistryService& registry, std::optional<Language> language);

}  // namespace velmaro
