#include "base/text_win.h"

#include <windows.h>

#include <algorithm>

namespace velmaro {

// One conversion call each way: a code page 936 text never has more UTF-16
// units than bytes, and a UTF-16 unit never needs more than two bytes. ASCII
// reads the same in both and needs no call at all: registry value names,
// paths and numbers are mostly ASCII, and the evaluation tick converts a
// value name for every slot every ten seconds.

WideString ToWide(const std::string& text) {
  if (std::all_of(text.begin(), text.end(), [](char c) { return static_cast<unsigned char>(c) < 0x80; })) {
    return WideString(text.begin(), text.end());
  }
  WideString wide(text.size(), L'\0');
  int length = MultiByteToWideChar(kCodePage936, 0, text.data(), static_cast<int>(text.size()), &wide[0],
                                   static_cast<int>(wide.size()));
  wide.resize(static_cast<std::size_t>(length));
  return wide;
}

std::string FromWide(const wchar_t* text, std::size_t size) {
  if (std::all_of(text, text + size, [](wchar_t c) { return c < 0x80; })) return std::string(text, text + size);
  std::string narrow(size * 2, '\0');
  int length = WideCharToMultiByte(kCodePage936, 0, text, static_cast<int>(size), &narrow[0],
                                   static_cast<int>(narrow.size()), nullptr, nullptr);
  narrow.resize(static_cast<std::size_t>(length));
  return narrow;
}

std::string FromWide(const WideString& text) { return FromWide(text.data(), text.size()); }

std::optional<std::string> FromWideExact(const wchar_t* text, std::size_t size) {
  if (std::all_of(text, text + size, [](wchar_t c) { return c < 0x80; })) return std::string(text, text + size);
  std::string narrow(size * 2, '\0');
  BOOL defaulted = FALSE;
  // Without WC_NO_BEST_FIT_CHARS an "é" would quietly become an "e".
  const int length = WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, text, static_cast<int>(size), &narrow[0],
                                         static_cast<int>(narrow.size()), nullptr, &defaulted);
  if (defaulted || (length == 0 && size != 0)) return std::nullopt;
  narrow.resize(static_cast<std::size_t>(length));
  // A lone surrogate or a character the code page folds into another one
  // would come back different.
  if (ToWide(narrow) != WideString(text, size)) return std::nullopt;
  return narrow;
}

std::optional<std::string> StorablePath(const WideString& path) {
  if (auto exact = FromWideExact(path.data(), path.size())) return exact;
  const DWORD needed = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (needed == 0) return std::nullopt;  // no such file, or a path too long
  WideString shortPath(needed, L'\0');
  const DWORD length = GetShortPathNameW(path.c_str(), &shortPath[0], needed);
  if (length == 0 || length >= needed) return std::nullopt;
  return FromWideExact(shortPath.data(), length);
}

std::string SystemErrorText(unsigned long error) {
  wchar_t* text = nullptr;
  const DWORD length = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, error, 0,
      reinterpret_cast<wchar_t*>(&text), 0, nullptr);
  std::string message = "错误 " + std::to_string(error);
  if (length > 0 && text) {
    std::string said = FromWide(text, length);
    while (!said.empty() && (said.back() == '\r' || said.back() == '\n' || said.back() == ' ')) said.pop_back();
    if (!said.empty()) message += "：" + said;
  }
  if (text) LocalFree(text);
  return message;
}

}  // namespace velmaro
