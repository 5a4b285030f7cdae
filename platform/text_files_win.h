// Whole text files and the UTF-8 conversion of the task file, with the
// system's own tables.
#pragma once

#include <cstddef>
#include <memory>

#include "base/text_win.h"
#include "platform/text_files.h"

namespace velmaro {

// The largest text either way through the codec: beyond it a count of
// UTF-16 units or of bytes would no longer fit the int the system's
// conversions take.
constexpr std::size_t kMaxCodecBytes = std::size_t{256} << 20;

class Win32TextFiles : public TextFileService {
 public:
  Read ReadFile(const std::u16string& path, std::size_t limit) override;
  // Written to "<path>.tmp" first and moved over the file only once all of
  // it is on the disk, so a full disk or a cut power leaves the old file as it was.
  std::optional<std::string> WriteFile(const std::u16string& path, const std::string& bytes) override;
  std::string PathText(const std::u16string& path) override;
};

class Win32TextCodec : public TextCodec {
 public:
  std::optional<std::string> Utf8ToGbk(const std::string& utf8) override;
  // Throws AppError for a text above kMaxCodecBytes.
  std::string GbkToUtf8(const std::string& gbk) override;
};

// A command line's UTF-16 as the wide API takes it, and back.
WideString WideOf(const std::u16string& text);
std::u16string U16Of(const wchar_t* text, std::size_t length);

}  // namespace velmaro
