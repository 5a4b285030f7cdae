// Whole text files kept in a map by their UTF-16 path, with failure switches,
// and a code page 936 codec over glibc's iconv, so that a test's texts are
// really converted both ways, as the system's tables convert them.
#pragma once

#include <iconv.h>

#include <cerrno>
#include <cstddef>
#include <map>
#include <optional>
#include <string>
#include <vector>

#include "platform/text_files.h"

namespace velmaro {

// Converts `in` from one iconv encoding to another. A character the target
// has not, or a byte sequence the source does not form, makes the whole
// conversion fail when `replaceWith` is null; otherwise it becomes that text
// and the source is passed over by `skip` bytes.
inline std::optional<std::string> IconvConvert(const char* to, const char* from, const std::string& in,
                                               const char* replaceWith = nullptr, std::size_t skip = 1) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
  std::string out;
  std::vector<char> buffer(in.size() * 4 + 16);
  char* source = const_cast<char*>(in.data());
  std::size_t sourceLeft = in.size();
  bool failed = false;
  while (sourceLeft > 0) {
    char* target = buffer.data();
    std::size_t targetLeft = buffer.size();
    const std::size_t result = iconv(cd, &source, &sourceLeft, &target, &targetLeft);
    out.append(buffer.data(), static_cast<std::size_t>(target - buffer.data()));
    if (result != static_cast<std::size_t>(-1)) {
      // glibc counts characters it converted to something else: no exact form.
      if (result > 0 && !replaceWith) failed = true;
      break;
    }
    if (errno == E2BIG) continue;
    if (!replaceWith) {
      failed = true;
      break;
    }
    out += replaceWith;
    const std::size_t passed = skip < sourceLeft ? skip : sourceLeft;
    source += passed;
    sourceLeft -= passed;
  }
  iconv_close(cd);
  if (failed) return std::nullopt;
  return out;
}

class IconvCodec : public TextCodec {
 public:
  std::optional<std::string> Utf8ToGbk(const std::string& utf8) override {
    return IconvConvert("GBK", "UTF-8", utf8);
  }
  // A byte that starts no code page 936 character becomes "?", as the
  // system's conversion turns it into a replacement character rather than fail.
  std::string GbkToUtf8(const std::string& gbk) override { return *IconvConvert("UTF-8", "GBK", gbk, "?", 1); }
};

// UTF-16 (the host's order) as a message shows it: code page 936, "?" for the rest.
inline std::string Utf16ToGbkShown(const std::u16string& text) {
  const std::string bytes(reinterpret_cast<const char*>(text.data()), text.size() * sizeof(char16_t));
  return *IconvConvert("GBK", "UTF-16LE", bytes, "?", 2);
}

class FakeTextFiles : public TextFileService {
 public:
  std::map<std::u16string, std::string> files;
  // Failure switches, with the system's messages they give.
  bool failRead = false;
  bool failWrite = false;
  std::string readError = "拒绝访问。";
  std::string writeError = "磁盘空间不足。";
  std::vector<std::u16string> writes;  // every path written, in order

  Read ReadFile(const std::u16string& path, std::size_t limit) override {
    Read read;
    const auto found = files.find(path);
    if (failRead) {
      read.error = readError;
    } else if (found == files.end()) {
      read.error = "系统找不到指定的文件。";
    } else if (found->second.size() > limit) {
      read.tooLarge = true;
    } else {
      read.ok = true;
      read.bytes = found->second;
    }
    return read;
  }
  std::optional<std::string> WriteFile(const std::u16string& path, const std::string& bytes) override {
    writes.push_back(path);
    if (failWrite) return writeError;  // the file that was there stays as it was
    files[path] = bytes;
    return std::nullopt;
  }
  std::string PathText(const std::u16string& path) override { return Utf16ToGbkShown(path); }
};

}  // namespace velmaro
