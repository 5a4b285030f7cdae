// Whole text files, by a path as the user gave it (UTF-16, never narrowed:
// a path outside code page 936 still names its file), and the conversion
// between UTF-8 and code page 936 that the exported task file needs. The
// Win32 implementation converts with the system's tables; tests use iconv's.
#pragma once

#include <cstddef>
#include <optional>
#include <string>

namespace velmaro {

class TextFileService {
 public:
  virtual ~TextFileService() = default;
  struct Read {
    bool ok = false;
    bool tooLarge = false;  // larger than the limit: nothing was read
    std::string bytes;
    std::string error;      // the system's message, code page 936
  };
  // The file's bytes, when it holds at most `limit` of them.
  virtual Read ReadFile(const std::u16string& path, std::size_t limit) = 0;
  // Writes `bytes` as the whole file, replacing one that is there only once
  // all of them are written. The system's message when it could not.
  virtual std::optional<std::string> WriteFile(const std::u16string& path, const std::string& bytes) = 0;
  // The path as a message shows it, code page 936 (a character outside it
  // becomes "?").
  virtual std::string PathText(const std::u16string& path) = 0;
};

class TextCodec {
 public:
  virtual ~TextCodec() = default;
  // None when `utf8` is no valid UTF-8, or holds a character code page 936 has not.
  virtual std::optional<std::string> Utf8ToGbk(const std::string& utf8) = 0;
  virtual std::string GbkToUtf8(const std::string& gbk) = 0;
};

}  // namespace velmaro
