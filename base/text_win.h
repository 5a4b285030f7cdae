// Conversion between the program's code page 936 texts and the UTF-16 of the
// wide Windows APIs. The code page is always named, never the system's ANSI
// code page, so the stored bytes are the same on every system locale.
#pragma once

#include <memory>
#include <optional>
#include <string>

namespace velmaro {

// The program's allocator for wide texts: the standard one under a name of
// its own, so that WideString is a type of its own (see there).
template <class T>
struct WideAllocator : std::allocator<T> {
  using value_type = T;
  WideAllocator() = default;
  template <class U>
  WideAllocator(const WideAllocator<U>&) {}
  template <class U>
  struct rebind {
    using other = WideAllocator<U>;
  };
};
template <class T, class U>
bool operator==(const WideAllocator<T>&, const WideAllocator<U>&) {
  return true;
}
template <class T, class U>
bool operator!=(const WideAllocator<T>&, const WideAllocator<U>&) {
  return false;
}

// The UTF-16 texts of the wide Windows APIs. Not std::wstring: the C++
// library ships that type ready-made, and using it links all of its members
// into the exe (about 30 KB), where this one brings only those in use.
using WideString = std::basic_string<wchar_t, std::char_traits<wchar_t>, WideAllocator<wchar_t>>;

constexpr unsigned kCodePage936 = 936;

WideString ToWide(const std::string& text);
std::string FromWide(const WideString& text);
std::string FromWide(const wchar_t* text, std::size_t length);

// The code page 936 form of a text, or nothing where a character has none:
// FromWide would put "?" (or a look-alike) in its place without a word.
std::optional<std::string> FromWideExact(const wchar_t* text, std::size_t length);
// The same for the path of an existing file or folder, falling back to its
// short 8.3 form, which names the same file in ASCII where the system made one.
std::optional<std::string> StorablePath(const WideString& path);

// The system's own text for an error code, led by its number, so that a
// record line says why in the user's language and can still be looked up.
std::string SystemErrorText(unsigned long error);

}  // namespace velmaro
