// Byte-level helpers for code page 936 (GBK) texts. A double-byte character
// starts with a lead byte 0x81..0xFE; its second byte may be any of
// 0x40..0xFE, including the ASCII values of "\" (0x5C), ":" (0x3A) and "|".
#pragma once

#include <cstddef>
#include <string>

namespace velmaro {

inline bool IsGbkLeadByte(unsigned char byte) { return byte >= 0x81 && byte <= 0xFE; }

// Length in bytes of the character that starts at `pos` (1 or 2; 1 for a
// lead byte with nothing after it).
inline std::size_t GbkCharLength(const std::string& text, std::size_t pos) {
  return IsGbkLeadByte(static_cast<unsigned char>(text[pos])) && pos + 1 < text.size() ? 2 : 1;
}

// Byte position of the start of the last character, or npos for an empty text.
std::size_t GbkLastCharStart(const std::string& text);

// `text` cut to at most `columns` columns, counting a single-byte character
// as one column and a double-byte one as two (as wide as they show), with
// "…" (two columns, within the limit) in place of what was cut. Cut only
// between characters; a text that fits is returned as it is.
std::string CutToColumns(const std::string& text, std::size_t columns);

// Path delimiters are "\" and ":"; a 0x5C or 0x3A byte that is the second
// byte of a double-byte character is no delimiter.
// The text after the last delimiter, or the whole text when there is none.
std::string FileNamePart(const std::string& path);
// The text up to and including the last delimiter ("" when there is none).
std::string DirectoryPart(const std::string& path);
// The same cut of a UTF-16 text, such as a process's executable entry. In
// UTF-16 no unit of another character can equal a delimiter.
std::u16string FileNamePart(const std::u16string& path);

// The last two decimal digits of `value`, with a leading zero: "05".
inline std::string TwoDigits(unsigned value) {
  return std::string{static_cast<char>('0' + value / 10 % 10), static_cast<char>('0' + value % 10)};
}

}  // namespace velmaro
