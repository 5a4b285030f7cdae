#include "base/gbk.h"

namespace velmaro {

std::size_t GbkLastCharStart(const std::string& text) {
  // Walk forwards: the only reliable way to find character boundaries in GBK,
  // since a trail byte can look like a lead byte.
  std::size_t last = std::string::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos)) last = pos;
  return last;
}

std::string CutToColumns(const std::string& text, std::size_t columns) {
  static const char kEllipsis[] = "\xA1\xAD";  // …
  constexpr std::size_t kEllipsisColumns = 2;
  // Byte lengths equal column counts in code page 936.
  if (text.size() <= columns) return text;
  if (columns < kEllipsisColumns) return std::string();
  std::size_t end = 0;
  for (std::size_t pos = 0; pos < text.size();) {
    const std::size_t next = pos + GbkCharLength(text, pos);
    if (next > columns - kEllipsisColumns) break;
    end = pos = next;
  }
  return text.substr(0, end) + kEllipsis;
}

namespace {

std::size_t CharLength(const std::string& text, std::size_t pos) { return GbkCharLength(text, pos); }
std::size_t CharLength(const std::u16string&, std::size_t) { return 1; }

// Position just after the last path delimiter, or 0 when there is none.
template <class Text>
std::size_t AfterLastDelimiter(const Text& path) {
  std::size_t after = 0;
  for (std::size_t pos = 0; pos < path.size(); pos += CharLength(path, pos)) {
    if (path[pos] == '\\' || path[pos] == ':') after = pos + 1;
  }
  return after;
}

}  // namespace

std::string FileNamePart(const std::string& path) { return path.substr(AfterLastDelimiter(path)); }

std::string DirectoryPart(const std::string& path) { return path.substr(0, AfterLastDelimiter(path)); }

std::u16string FileNamePart(const std::u16string& path) { return path.substr(AfterLastDelimiter(path)); }

}  // namespace velmaro
