// The conversion between UTF-8 and code page 936 over glibc's iconv, which
// refuses what the system's tables refuse: bytes that are no UTF-8, and
// characters code page 936 has not. From code page 936, a byte that starts
// no character becomes U+FFFD, as the system's conversion makes it.
#pragma once

#include <iconv.h>

#include <cerrno>
#include <optional>
#include <string>

#include "platform/text_files.h"

namespace velmaro {

class FakeTextCodec : public TextCodec {
 public:
  std::optional<std::string> Utf8ToGbk(const std::string& utf8) override {
    ++utf8ToGbkCalls;
    return Convert("UTF-8", "CP936", utf8, false);
  }
  std::string GbkToUtf8(const std::string& gbk) override { return *Convert("CP936", "UTF-8", gbk, true); }

  int utf8ToGbkCalls = 0;

 private:
  static std::optional<std::string> Convert(const char* from, const char* to, const std::string& text, bool replace) {
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return std::nullopt;
    std::string out;
    char buffer[256];
    char* in = const_cast<char*>(text.data());
    std::size_t inLeft = text.size();
    bool ok = true;
    while (inLeft > 0) {
      char* outPtr = buffer;
      std::size_t outLeft = sizeof buffer;
      const std::size_t done = iconv(cd, &in, &inLeft, &outPtr, &outLeft);
      out.append(buffer, sizeof buffer - outLeft);
      if (done != static_cast<std::size_t>(-1)) continue;
      if (errno == E2BIG) continue;
      // EILSEQ, or EINVAL for a character cut short at the end.
      if (!replace) {
        ok = false;
        break;
      }
      out += "\xEF\xBF\xBD";
      ++in;
      --inLeft;
    }
    iconv_close(cd);
    if (!ok) return std::nullopt;
    return out;
  }
};

}  // namespace velmaro
