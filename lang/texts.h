// What a person reads, in the language of the user interface. Every text
// is a row of lang/zh_CN.inc, and lang/en.inc and lang/zh_TW.inc hold the
// same names in the same order; the build refuses a table that lacks a
// text, has one more, or whose placeholders differ from the Simplified
// table's. Texts are code page 936 bytes like every other text of the core,
// so they reach the windows through the same conversion as stored texts.
//
// "%1" to "%9" in a text are filled in by Format, in any order a language
// needs; "%%" is a percent sign. Stored words (trigger texts, action names,
// value names) are no texts: they are the store's format and never change
// with the language (lang/stored_words.h shows them).
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace velmaro {

enum class Text : std::uint16_t {
#define T(name, text) name,
#include "lang/zh_CN.inc"
#undef T
};

#define T(name, text) +1
constexpr std::size_t kTextCount = 0
#include "lang/zh_CN.inc"
    ;
#undef T

enum class Language : std::uint8_t { Simplified, English, Traditional };
constexpr std::size_t kLanguageCount = 3;

// The language of the windows opened from now on, and of the texts looked up.
void SetLanguage(Language language);
Language CurrentLanguage();

// The text in the current language, or in `language`.
const char* Tr(Text text);
const char* TextIn(Language language, Text text);

// `text` with "%1".. replaced by `values` (a placeholder with no value stays
// empty) and "%%" by "%".
std::string Format(Text text, std::initializer_list<std::string> values);
std::string FormatText(const char* text, std::initializer_list<std::string> values);

}  // namespace velmaro
