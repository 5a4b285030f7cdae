// Conversion between the program's code page 936 texts and the UTF-16 of the
// wide Windows APIs. The code page is always named, never the system's ANSI
// code page, so the stored bytes are the same on every system locale.
#pragma once

#include <string>

namespace velmaro {

constexpr unsigned kCodePage936 = 936;

std::wstring ToWide(const std::string& text);
std::string FromWide(const std::wstring& text);
std::string FromWide(const wchar_t* text, std::size_t length);

}  // namespace velmaro
