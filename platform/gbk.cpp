#include "platform/gbk.h"

namespace velmaro {

std::size_t GbkLastCharStart(const std::string& text) {
  // Walk forwards: the only reliable way to find character boundaries in GBK,
  // since a trail byte can look like a lead byte.
  std::size_t last = std::string::npos;
  for (std::size_t pos = 0; pos < text.size(); pos += GbkCharLength(text, pos)) last = pos;
  return last;
}

}  // namespace velmaro
