// Conversion between the program's code page 936 texts and the UTF-16 of the
// wide Windows APIs. The code page is always named, never the system's ANSI
// code page, so the stored bytes are the same on every system locale.
#pragma once

#include <optional>
#include <string>

namespace velmaro {

constexpr unsigned kCodePage936 = 936;

std::wstring ToWide(const std::string& text);
std::string FromWide(const std::wstring& text);
std::string FromWide(const wchar_t* text, std::size_t length);

// The code page 936 form of a text, or nothing where a character has none:
// FromWide would put "?" (or a look-alike) in its place without a word.
std::optional<std::string> FromWideExact(const wchar_t* text, std::size_t length);
// The same for the path of an existing file or folder, falling back to its
// short 8.3 form, which names the same file in ASCII where the system made one.
std::optional<std::string> StorablePath(const std::wstring& path);

}  // namespace velmaro
