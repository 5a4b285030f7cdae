#include "app/help.h"

#include "base/gbk.h"

namespace velmaro {

const char kHelpFileName[] = "Velmaro.CHM";
const char kDownloadPageUrl[] = "https://www.drennik.com/velmaro/download/";

void OpenHelpFile(ShellService& shell, SessionService& session, WindowHandle owner) {
  // No verb: the file's default action, which for a help file is to show it.
  shell.ExecuteAsUser(owner, nullptr, DirectoryPart(session.ExecutablePath()) + kHelpFileName, "", "", kSwShowNormal);
}

void OpenDownloadPage(ShellService& shell) {
  shell.ExecuteAsUser(0, "open", kDownloadPageUrl, nullptr, nullptr, kSwShowNormal);
}

}  // namespace velmaro
