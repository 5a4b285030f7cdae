// The language of the windows under each display language Wine takes from
// the locale it runs in: C.UTF-8 is English, zh_CN Simplified (code page
// 936), zh_TW Traditional (code page 950). ctest runs this program once per
// locale, naming in VELMARO_EXPECT_LANGUAGE what that locale must give.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <memory>
#include <string>

#include "lang/language.h"
#include "platform/registry.h"
#include "platform/ui_language_win.h"
#include "store/task_store.h"

namespace velmaro {
namespace {

struct Expected {
  Language language;
  unsigned codePage;
};

Expected ExpectedHere() {
  const char* named = std::getenv("VELMARO_EXPECT_LANGUAGE");
  const std::string name = named ? named : "";
  if (name == "zh-CN") return {Language::Simplified, 936};
  if (name == "zh-TW") return {Language::Traditional, 950};
  return {Language::English, 1252};
}

// Keeps the store's Language value as it was before the test.
class StoredLanguageKept {
 public:
  StoredLanguageKept() : registry_(MakeSystemRegistry()), saved_(StoredLanguage(*registry_)) {}
  ~StoredLanguageKept() { StoreLanguage(*registry_, saved_); }
  RegistryService& Registry() { return *registry_; }

 private:
  std::unique_ptr<RegistryService> registry_;
  std::optional<Language> saved_;
};

TEST(UiLanguage, TheDisplayLanguageChoosesTheWindowsLanguage) {
  const Expected expected = ExpectedHere();
  ASSERT_EQ(GetACP(), expected.codePage) << "this locale's code page is not the one its lane names";
  EXPECT_EQ(SystemLanguage(), expected.language);

  StoredLanguageKept kept;
  ASSERT_TRUE(StoreLanguage(kept.Registry(), std::nullopt));
  EXPECT_EQ(UseLanguageInForce(kept.Registry()), expected.language);
  EXPECT_EQ(CurrentLanguage(), expected.language);
}

// The setting outweighs the system, whichever the system's language is, and
// a value the program does not know leaves the system's.
TEST(UiLanguage, TheSettingOverridesTheDisplayLanguage) {
  StoredLanguageKept kept;
  for (Language chosen : {Language::Simplified, Language::English, Language::Traditional}) {
    ASSERT_TRUE(StoreLanguage(kept.Registry(), chosen));
    EXPECT_EQ(UseLanguageInForce(kept.Registry()), chosen);
  }
  const RegKeyHandle key = kept.Registry().CreateKey(RegRoot::LocalMachine, kStoreKey + 1);
  ASSERT_NE(key, 0u);
  kept.Registry().SetValue(key, kLanguageValue, RegValue(kRegSz, "tlh"));
  kept.Registry().CloseKey(key);
  EXPECT_EQ(UseLanguageInForce(kept.Registry()), ExpectedHere().language);
}

}  // namespace
}  // namespace velmaro
