#include "platform/text_files_win.h"

#include <windows.h>

#include "base/error.h"
#include "lang/texts.h"

namespace velmaro {

static_assert(sizeof(wchar_t) == sizeof(char16_t), "the wide API's units are UTF-16's");

namespace {

// One ReadFile or WriteFile call moves at most this much, well within a DWORD.
constexpr DWORD kChunk = 1u << 20;

// A path cut at an inner NUL would name another file than the one given.
bool HasNul(const std::u16string& path) { return path.find(u'\0') != std::u16string::npos; }

}  // namespace

WideString WideOf(const std::u16string& text) { return WideString(text.begin(), text.end()); }

std::u16string U16Of(const wchar_t* text, std::size_t length) { return std::u16string(text, text + length); }

TextFileService::Read Win32TextFiles::ReadFile(const std::u16string& path, std::size_t limit) {
  Read result;
  if (HasNul(path)) {
    result.error = SystemErrorText(ERROR_INVALID_NAME);
    return result;
  }
  HANDLE file = CreateFileW(WideOf(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    result.error = SystemErrorText(GetLastError());
    return result;
  }
  LARGE_INTEGER size = {};
  DWORD error = GetFileSizeEx(file, &size) ? 0 : GetLastError();
  if (!error && static_cast<unsigned long long>(size.QuadPart) > limit) {
    result.tooLarge = true;
  } else if (!error) {
    result.bytes.reserve(static_cast<std::size_t>(size.QuadPart));
    // The file may grow while it is read: the limit holds for what is read,
    // not only for the size it had.
    std::string chunk(limit < kChunk ? limit + 1 : kChunk, '\0');
    for (;;) {
      DWORD read = 0;
      if (!::ReadFile(file, &chunk[0], static_cast<DWORD>(chunk.size()), &read, nullptr)) {
        error = GetLastError();
        break;
      }
      if (read == 0) break;
      if (read > limit - result.bytes.size()) {
        result.tooLarge = true;
        break;
      }
      result.bytes.append(chunk, 0, read);
    }
  }
  CloseHandle(file);
  if (error) {
    result.error = SystemErrorText(error);
  } else {
    result.ok = !result.tooLarge;
  }
  if (!result.ok) result.bytes.clear();
  return result;
}

std::optional<std::string> Win32TextFiles::WriteFile(const std::u16string& path, const std::string& bytes) {
  if (HasNul(path)) return SystemErrorText(ERROR_INVALID_NAME);
  const WideString target = WideOf(path);
  const WideString temporary = target + L".tmp";
  HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) return SystemErrorText(GetLastError());
  DWORD error = 0;
  for (std::size_t done = 0; done < bytes.size() && !error;) {
    const DWORD part = bytes.size() - done < kChunk ? static_cast<DWORD>(bytes.size() - done) : kChunk;
    DWORD written = 0;
    if (!::WriteFile(file, bytes.data() + done, part, &written, nullptr)) {
      error = GetLastError();
    } else if (written == 0) {
      error = ERROR_WRITE_FAULT;  // no progress and no error: never loop on it
    }
    done += written;
  }
  // The move must not put a file in place whose bytes are still in the cache.
  if (!error && !FlushFileBuffers(file)) error = GetLastError();
  CloseHandle(file);
  if (!error && !MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    error = GetLastError();
  }
  if (!error) return std::nullopt;
  DeleteFileW(temporary.c_str());
  return SystemErrorText(error);
}

std::string Win32TextFiles::PathText(const std::u16string& path) {
  const WideString wide = WideOf(path);
  if (wide.empty()) return std::string();
  if (wide.size() > kMaxCodecBytes / 2) return "?";
  std::string text(wide.size() * 2, '\0');
  // No best fit: a "é" shown as "e" would name another file than the one meant.
  const int length = WideCharToMultiByte(kCodePage936, WC_NO_BEST_FIT_CHARS, wide.data(), static_cast<int>(wide.size()),
                                         &text[0], static_cast<int>(text.size()), nullptr, nullptr);
  text.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return text;
}

std::optional<std::string> Win32TextCodec::Utf8ToGbk(const std::string& utf8) {
  if (utf8.empty()) return std::string();
  if (utf8.size() > kMaxCodecBytes) return std::nullopt;
  const int size = static_cast<int>(utf8.size());
  const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, nullptr, 0);
  if (units <= 0) return std::nullopt;
  WideString wide(static_cast<std::size_t>(units), L'\0');
  if (MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, utf8.data(), size, &wide[0], units) != units) {
    return std::nullopt;
  }
  // Refuses a character code page 936 has not, and a lone surrogate that
  // an older system let through the UTF-8 check.
  return FromWideExact(wide.data(), wide.size());
}

std::string Win32TextCodec::GbkToUtf8(const std::string& gbk) {
  if (gbk.empty()) return std::string();
  if (gbk.size() > kMaxCodecBytes) throw AppError(Tr(Text::TextTooLongForUtf8));
  const WideString wide = ToWide(gbk);
  // Three bytes at most for each UTF-16 unit, so within an int by the bound above.
  std::string utf8(wide.size() * 3, '\0');
  const int length = WideCharToMultiByte(CP_UTF8, 0, wide.data(), static_cast<int>(wide.size()), &utf8[0],
                                         static_cast<int>(utf8.size()), nullptr, nullptr);
  utf8.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
  return utf8;
}

}  // namespace velmaro
