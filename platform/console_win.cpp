#include "platform/console_win.h"

#include <windows.h>

#include "base/text_win.h"

namespace velmaro {

namespace {

// WriteConsoleW before Windows 8 goes through a 64 KB buffer shared with
// the console: a longer text in one call fails as a whole.
constexpr DWORD kConsoleChunk = 8192;

enum class Borrowed { NotAsked, Attached, OwnConsole, None };
Borrowed borrowed = Borrowed::NotAsked;

// The console of the process that started this one. A process with a
// console of its own (a test program) is refused with ERROR_ACCESS_DENIED
// and writes to that one.
bool HasConsole() {
  if (borrowed == Borrowed::NotAsked) {
    if (AttachConsole(ATTACH_PARENT_PROCESS)) {
      borrowed = Borrowed::Attached;
    } else {
      borrowed = GetLastError() == ERROR_ACCESS_DENIED ? Borrowed::OwnConsole : Borrowed::None;
    }
  }
  return borrowed == Borrowed::Attached || borrowed == Borrowed::OwnConsole;
}

bool WriteAll(HANDLE handle, const char* bytes, std::size_t size) {
  while (size > 0) {
    const DWORD part = size < (1u << 20) ? static_cast<DWORD>(size) : (1u << 20);
    DWORD written = 0;
    if (!WriteFile(handle, bytes, part, &written, nullptr) || written == 0) return false;
    bytes += written;
    size -= written;
  }
  return true;
}

bool WriteConsoleText(HANDLE console, const WideString& wide) {
  for (std::size_t done = 0; done < wide.size();) {
    DWORD part = wide.size() - done < kConsoleChunk ? static_cast<DWORD>(wide.size() - done) : kConsoleChunk;
    // A surrogate pair is never split between two calls.
    if (part == kConsoleChunk && IS_HIGH_SURROGATE(wide[done + part - 1])) --part;
    DWORD written = 0;
    if (!WriteConsoleW(console, wide.data() + done, part, &written, nullptr) || written == 0) return false;
    done += written;
  }
  return true;
}

// The bytes a file or a pipe gets: those of the console's code page.
std::string InCodePage(const std::string& text, UINT codePage) {
  if (codePage == kCodePage936) return text;
  const WideString wide = ToWide(text);
  if (wide.empty()) return std::string();
  const int size = WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr,
                                       nullptr);
  if (size <= 0) return std::string();
  std::string bytes(static_cast<std::size_t>(size), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), &bytes[0], size, nullptr, nullptr);
  return bytes;
}

}  // namespace

bool PrintToConsole(ConsoleStream stream, const std::string& text) {
  if (text.empty()) return true;
  HANDLE handle = GetStdHandle(stream == ConsoleStream::Output ? STD_OUTPUT_HANDLE : STD_ERROR_HANDLE);
  DWORD mode = 0;
  if (handle && handle != INVALID_HANDLE_VALUE) {
    const DWORD type = GetFileType(handle);
    // A character device is a console or the NUL device: only the console
    // has a mode.
    if (type == FILE_TYPE_CHAR && GetConsoleMode(handle, &mode)) return WriteConsoleText(handle, ToWide(text));
    if (type == FILE_TYPE_DISK || type == FILE_TYPE_PIPE || type == FILE_TYPE_CHAR) {
      const UINT codePage = HasConsole() ? GetConsoleOutputCP() : 0;
      const std::string bytes = InCodePage(text, codePage ? codePage : GetOEMCP());
      return WriteAll(handle, bytes.data(), bytes.size());
    }
  }
  if (!HasConsole()) return false;
  HANDLE console = CreateFileW(L"CONOUT$", GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                               OPEN_EXISTING, 0, nullptr);
  if (console == INVALID_HANDLE_VALUE) return false;
  const bool written = WriteConsoleText(console, ToWide(text));
  CloseHandle(console);
  return written;
}

void ReleaseConsole() {
  if (borrowed == Borrowed::Attached) FreeConsole();
  borrowed = Borrowed::NotAsked;
}

}  // namespace velmaro
