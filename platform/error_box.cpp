#include "platform/error_box.h"

#include "base/gbk.h"

namespace velmaro {

const char kAppTitle[] = "Velmaro";

std::string ErrorBoxText(const std::string& failure) {
  // Quoted values are cut where the text is made; this bounds any other
  // text, so the box stays within the screen and its button in reach.
  const std::string text = CutToColumns(failure, kErrorBoxColumns);
  const std::size_t last = GbkLastCharStart(text);
  if (last != std::string::npos && static_cast<unsigned char>(text[last]) > '.') return text + ".";
  return text;
}

void ShowErrorBox(ShellService& shell, const std::string& failure) {
  shell.ShowMessageBox(ErrorBoxText(failure), kAppTitle, kMbOk | kMbIconError);
}

}  // namespace velmaro
