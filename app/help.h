// The help file and the download page, as the tray menu opens them.
#pragma once

#include "platform/session.h"
#include "platform/shell.h"

namespace velmaro {

extern const char kHelpFileName[];     // "Velmaro.CHM", beside the exe
extern const char kDownloadPageUrl[];  // the program's release page

// "帮助(&H)": the help file beside the exe, opened by the shell as the
// signed-in user with the program registered for it, `owner` being the
// application's window. A missing file or a failing shell shows nothing.
void OpenHelpFile(ShellService& shell, SessionService& session, WindowHandle owner);

// "软件更新(&P)": the release page in the user's web browser, run as that user.
void OpenDownloadPage(ShellService& shell);

}  // namespace velmaro
