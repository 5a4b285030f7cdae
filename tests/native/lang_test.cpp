#include <gtest/gtest.h>

#include <string>

#include "lang/language.h"
#include "lang/texts.h"
#include "tests/fakes/memory_registry.h"
#include "store/task_store.h"

namespace velmaro {
namespace {

TEST(Language, DisplayLanguageChoosesTheTableNotTheRegionalFormat) {
  struct Case {
    const char* name;
    Language expected;
  };
  const Case cases[] = {
      {"zh-CN", Language::Simplified},      {"zh-SG", Language::Simplified},  {"zh", Language::Simplified},
      {"zh-Hans-HK", Language::Simplified}, {"zh_CN", Language::Simplified},  {"zh-TW", Language::Traditional},
      {"zh-HK", Language::Traditional},     {"zh-MO", Language::Traditional}, {"zh-Hant", Language::Traditional},
      {"ZH-tw", Language::Traditional},     {"zh_TW", Language::Traditional}, {"en-US", Language::English},
      {"ja-JP", Language::English},         {"de", Language::English},        {"", Language::English},
      {"zhx-TW", Language::English},
  };
  for (const Case& c : cases) EXPECT_EQ(LanguageOfUiName(c.name), c.expected) << c.name;

  const std::pair<std::uint16_t, Language> ids[] = {
      {0x0804, Language::Simplified},  {0x1004, Language::Simplified},  {0x0404, Language::Traditional},
      {0x0C04, Language::Traditional}, {0x1404, Language::Traditional}, {0x7C04, Language::Traditional},
      {0x0409, Language::English},     {0x0411, Language::English},     {0x0004, Language::Simplified},
  };
  for (const auto& [id, expected] : ids) EXPECT_EQ(LanguageOfLangId(id), expected) << std::hex << id;
}

// The choice is kept beside the settings, and what a later version may
// write there is no choice: the system's language holds.
TEST(Language, TheUsersChoiceIsKeptAndOverridesTheSystems) {
  MemoryRegistry registry;
  EXPECT_EQ(StoredLanguage(registry), std::nullopt);
  EXPECT_EQ(ChooseLanguage(StoredLanguage(registry), Language::Traditional), Language::Traditional);

  for (Language language : {Language::Simplified, Language::English, Language::Traditional}) {
    ASSERT_TRUE(StoreLanguage(registry, language));
    EXPECT_EQ(StoredLanguage(registry), language);
    EXPECT_EQ(ChooseLanguage(StoredLanguage(registry), Language::English), language);
  }
  ASSERT_TRUE(StoreLanguage(registry, std::nullopt));
  EXPECT_EQ(StoredLanguage(registry), std::nullopt);
  ASSERT_TRUE(StoreLanguage(registry, std::nullopt));  // nothing to remove is no failure

  const RegKeyHandle key = registry.CreateKey(RegRoot::LocalMachine, kStoreKey + 1);
  for (const char* stored : {"fr", "zh-Hant", " en", "EN", "Zh-tw"}) {
    registry.SetValue(key, kLanguageValue, RegValue(kRegSz, stored));
    const std::optional<Language> read = StoredLanguage(registry);
    EXPECT_EQ(read, LanguageOfSetting(stored)) << stored;
  }
  EXPECT_EQ(LanguageOfSetting("EN"), Language::English);
  EXPECT_EQ(LanguageOfSetting("fr"), std::nullopt);
  registry.SetValue(key, kLanguageValue, RegValue(kRegDword, std::string("\1\0\0\0", 4)));
  EXPECT_EQ(StoredLanguage(registry), std::nullopt);
  registry.CloseKey(key);
}

TEST(Texts, FormatFillsPlaceholdersInTheOrderTheLanguageNeeds) {
  EXPECT_EQ(FormatText("%2 before %1", {"a", "b"}), "b before a");
  EXPECT_EQ(FormatText("%1%% done, %3", {"80"}), "80% done, ");
  EXPECT_EQ(FormatText("50% off %", {}), "50% off %");
  EXPECT_EQ(FormatText("任务%1：%2", {"3", "关机"}), "任务3：关机");
}

// A text left out of a translation, or copied over untranslated, is what
// the table check and these catch: English windows show on systems with no
// Chinese font, and Traditional ones are read by users of Taiwan and Hong
// Kong, who would not write these Simplified characters.
TEST(Texts, EveryLanguageHasEveryTextInItsOwnScript) {
  const std::string simplifiedOnly[] = {"这", "设", "关", "启", "时", "运", "记", "录", "计", "电", "脑", "开",
                                        "动", "务", "执", "项", "钟", "间", "选", "择", "确", "认", "错", "误",
                                        "长", "们", "么", "没", "请", "输", "数", "个", "为", "从", "东"};
  for (std::size_t i = 0; i < kTextCount; ++i) {
    const auto text = static_cast<Text>(i);
    const std::string simplified = TextIn(Language::Simplified, text);
    const std::string english = TextIn(Language::English, text);
    const std::string traditional = TextIn(Language::Traditional, text);
    EXPECT_EQ(english.empty(), simplified.empty()) << "text " << i << ": " << simplified;
    EXPECT_EQ(traditional.empty(), simplified.empty()) << "text " << i << ": " << simplified;
    for (std::size_t at = 0; at < english.size(); ++at) {
      const auto byte = static_cast<unsigned char>(english[at]);
      if (byte < 0x80) continue;
      // The one double-byte character English texts use: the ellipsis.
      EXPECT_EQ(english.substr(at, 2), "…") << "text " << i << ": " << english;
      ++at;
    }
    if (text == Text::FormFontFace) continue;
    for (const std::string& character : simplifiedOnly) {
      for (std::size_t at = 0; at + 1 < traditional.size(); ++at) {
        if (static_cast<unsigned char>(traditional[at]) < 0x80) continue;
        EXPECT_NE(traditional.substr(at, 2), character) << "text " << i << ": " << traditional;
        ++at;
      }
    }
  }
}

TEST(Texts, TheTextsFollowTheLanguageInForce) {
  const Language before = CurrentLanguage();
  SetLanguage(Language::English);
  EXPECT_STREQ(Tr(Text::MenuSettings), "&Settings");
  SetLanguage(Language::Traditional);
  EXPECT_STREQ(Tr(Text::MenuSettings), "設定(&S)");
  SetLanguage(Language::Simplified);
  EXPECT_STREQ(Tr(Text::MenuSettings), "设置(&S)");
  SetLanguage(static_cast<Language>(7));
  EXPECT_EQ(CurrentLanguage(), Language::Simplified);
  SetLanguage(before);
}

}  // namespace
}  // namespace velmaro
