#include "platform/error_box.h"

#include "platform/gbk.h"

namespace velmaro {

const char kAppTitle[] = "Velmaro";

std::string ErrorBoxText(const std::string& failure) {
  const std::size_t last = GbkLastCharStart(failure);
  if (last != std::string::npos && static_cast<unsigned char>(failure[last]) > '.') return failure + ".";
  return failure;
}

void ShowErrorBox(ShellService& shell, const std::string& failure) {
  shell.ShowMessageBox(ErrorBoxText(failure), kAppTitle, kMbOk | kMbIconError);
}

}  // namespace velmaro
