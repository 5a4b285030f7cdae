#include "platform/ui_language_win.h"

#include <windows.h>

#include <vector>

#include "base/text_win.h"
#include "lang/language.h"
#include "platform/system_library_win.h"

namespace velmaro {

Language SystemLanguage() {
  constexpr DWORD kLanguageNames = 0x8;  // MUI_LANGUAGE_NAME
  const KernelCalls& kernel = Kernel();
  if (kernel.GetUserPreferredUILanguages) {
    ULONG count = 0;
    ULONG size = 0;
    if (kernel.GetUserPreferredUILanguages(kLanguageNames, &count, nullptr, &size) && size > 1 && size < 4096) {
      std::vector<wchar_t> names(size);
      if (kernel.GetUserPreferredUILanguages(kLanguageNames, &count, names.data(), &size) && names[0] != L'\0') {
        return LanguageOfUiName(FromWide(names.data(), wcsnlen(names.data(), names.size())));
      }
    }
  }
  return LanguageOfLangId(GetUserDefaultUILanguage());
}

Language UseLanguageInForce(RegistryService& registry) {
  const Language language = ChooseLanguage(StoredLanguage(registry), SystemLanguage());
  SetLanguage(language);
  return language;
}

}  // namespace velmaro
