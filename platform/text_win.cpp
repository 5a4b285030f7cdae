#include "platform/text_win.h"

#include <windows.h>

namespace velmaro {

std::wstring ToWide(const std::string& text) {
  if (text.empty()) return std::wstring();
  int length = MultiByteToWideChar(kCodePage936, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(kCodePage936, 0, text.data(), static_cast<int>(text.size()), &wide[0], length);
  return wide;
}

std::string FromWide(const wchar_t* text, std::size_t size) {
  if (size == 0) return std::string();
  int length = WideCharToMultiByte(kCodePage936, 0, text, static_cast<int>(size), nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(kCodePage936, 0, text, static_cast<int>(size), &narrow[0], length, nullptr, nullptr);
  return narrow;
}

std::string FromWide(const std::wstring& text) { return FromWide(text.data(), text.size()); }

}  // namespace velmaro
