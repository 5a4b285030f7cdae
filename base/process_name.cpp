#include "base/process_name.h"

#include "base/gbk.h"

namespace velmaro {

std::u16string FoldAsciiUpper(std::u16string text) {
  for (char16_t& c : text) {
    if (c >= u'a' && c <= u'z') c = static_cast<char16_t>(c - u'a' + u'A');
  }
  return text;
}

std::u16string FoldedFileName(const std::u16string& exeFile) { return FoldAsciiUpper(FileNamePart(exeFile)); }

}  // namespace velmaro
