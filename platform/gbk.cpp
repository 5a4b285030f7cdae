#include "platform/gbk.h"

namespace velmaro {

std::size_t GbkLastCharStart(const std::string& text) {
  // Walk forwards: the only reliable way to find character boundaries in GBK,
  // since a trail byte can look like a lead byte.
  std::size_t last = std::string::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos)) last = pos;
  return last;
}

namespace {

// Position just after the last path delimiter, or 0 when there is none.
std::size_t AfterLastDelimiter(const std::string& path) {
  std::size_t after = 0;
  for (std::size_t pos = 0; pos < path.size(); pos += GbkCharLength(path, pos)) {
    if (path[pos] == '\\' || path[pos] == ':') after = pos + 1;
  }
  return after;
}

}  // namespace

std::string FileNamePart(const std::string& path) { return path.substr(AfterLastDelimiter(path)); }

std::string DirectoryPart(const std::string& path) { return path.substr(0, AfterLastDelimiter(path)); }

}  // namespace velmaro
