#include "lang/texts.h"

namespace velmaro {
namespace {

// The three tables, and the lists of names that only the checks below read.
#define T(name, text) Text::name,
constexpr Text kEnglishNames[] = {
#include "lang/en.inc"
};
constexpr Text kTraditionalNames[] = {
#include "lang/zh_TW.inc"
};
#undef T

#define T(name, text) text,
constexpr const char* kSimplified[] = {
#include "lang/zh_CN.inc"
};
constexpr const char* kEnglish[] = {
#include "lang/en.inc"
};
constexpr const char* kTraditional[] = {
#include "lang/zh_TW.inc"
};
#undef T

template <std::size_t N>
constexpr bool InTableOrder(const Text (&names)[N]) {
  if (N != kTextCount) return false;
  for (std::size_t i = 0; i < N; ++i) {
    if (static_cast<std::size_t>(names[i]) != i) return false;
  }
  return true;
}
static_assert(InTableOrder(kEnglishNames), "lang/en.inc must list the names of lang/zh_CN.inc, in its order");
static_assert(InTableOrder(kTraditionalNames), "lang/zh_TW.inc must list the names of lang/zh_CN.inc, in its order");

// How often each placeholder %1..%9 occurs. '%' and the digits are never the
// second byte of a code page 936 character, so the bytes can be read one by one.
struct Placeholders {
  int count[10] = {};
};
constexpr Placeholders PlaceholdersOf(const char* text) {
  Placeholders found;
  for (std::size_t i = 0; text[i] != '\0'; ++i) {
    if (text[i] != '%') continue;
    if (text[i + 1] == '%') {
      ++i;
    } else if (text[i + 1] >= '1' && text[i + 1] <= '9') {
      ++found.count[text[i + 1] - '0'];
      ++i;
    }
  }
  return found;
}
constexpr bool SamePlaceholders(const char* a, const char* b) {
  const Placeholders left = PlaceholdersOf(a);
  const Placeholders right = PlaceholdersOf(b);
  for (int digit = 1; digit <= 9; ++digit) {
    if ((left.count[digit] == 0) != (right.count[digit] == 0)) return false;
  }
  return true;
}
template <std::size_t N>
constexpr bool PlaceholdersAgree(const char* const (&table)[N]) {
  for (std::size_t i = 0; i < N && i < kTextCount; ++i) {
    if (!SamePlaceholders(kSimplified[i], table[i])) return false;
  }
  return true;
}
static_assert(PlaceholdersAgree(kEnglish), "an English text has other placeholders than its Simplified one");
static_assert(PlaceholdersAgree(kTraditional), "a Traditional text has other placeholders than its Simplified one");

const char* const* const kTables[kLanguageCount] = {kSimplified, kEnglish, kTraditional};

Language g_language = Language::Simplified;

}  // namespace

void SetLanguage(Language language) {
  if (static_cast<std::size_t>(language) < kLanguageCount) g_language = language;
}

Language CurrentLanguage() { return g_language; }

const char* TextIn(Language language, Text text) {
  const auto index = static_cast<std::size_t>(text);
  const auto table = static_cast<std::size_t>(language);
  if (index >= kTextCount || table >= kLanguageCount) return "";
  return kTables[table][index];
}

const char* Tr(Text text) { return TextIn(g_language, text); }

std::string FormatText(const char* text, std::initializer_list<std::string> values) {
  std::string out;
  for (std::size_t i = 0; text[i] != '\0'; ++i) {
    const char c = text[i];
    if (c == '%' && text[i + 1] == '%') {
      out += '%';
      ++i;
    } else if (c == '%' && text[i + 1] >= '1' && text[i + 1] <= '9') {
      const auto n = static_cast<std::size_t>(text[i + 1] - '1');
      if (n < values.size()) out += values.begin()[n];
      ++i;
    } else {
      out += c;
    }
  }
  return out;
}

std::string Format(Text text, std::initializer_list<std::string> values) { return FormatText(Tr(text), values); }

}  // namespace velmaro
