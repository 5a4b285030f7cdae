// ASCII-only helpers for the texts a person types where English words and
// numbers are expected (command-line switches, the task file's words and
// settings, the dialogs' number fields). A code page 936 text passes through
// them unharmed: no byte of a double-byte character is an ASCII letter or
// digit that could match.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace velmaro {

// Whether `text` is `lowerWord` (lower-case ASCII), its letters in any case.
inline bool SameAsciiWord(const std::string& text, const char* lowerWord) {
  std::size_t i = 0;
  for (; i < text.size() && lowerWord[i] != '\0'; ++i) {
    const char c = text[i] >= 'A' && text[i] <= 'Z' ? static_cast<char>(text[i] - 'A' + 'a') : text[i];
    if (c != lowerWord[i]) return false;
  }
  return i == text.size() && lowerWord[i] == '\0';
}

// The value of a text of decimal digits only, 0 to `max`; nothing for an
// empty text, any other character, or a larger value. It stops as soon as
// the value passes `max`, so no number of digits overflows.
inline std::optional<std::int32_t> BoundedDigits(const std::string& text, std::int32_t max) {
  if (text.empty()) return std::nullopt;
  std::int64_t value = 0;
  for (char c : text) {
    if (c < '0' || c > '9') return std::nullopt;
    value = value * 10 + (c - '0');
    if (value > max) return std::nullopt;
  }
  return static_cast<std::int32_t>(value);
}

}  // namespace velmaro
