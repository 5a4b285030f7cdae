// Asks the other programs to close before the computer stands by or
// hibernates: WM_CLOSE to each top-level window a user would call a program's
// main window.
#pragma once

#include <cstdint>

#include "platform/processes.h"

namespace velmaro {

// Whether `window` is asked to close: shown or minimised, owned by nobody or
// by the desktop, no tool window, of another process than `ownProcessId`,
// and with a title.
bool ShouldAskToClose(const WindowFacts& window, WindowHandle desktop, std::uint32_t ownProcessId);

// Posts WM_CLOSE to every such window; the windows of the process of
// `mainWindow` and the shell's own windows are left alone. Does not wait for
// anything to close.
void CloseOtherWindows(ProcessService& windows, WindowHandle mainWindow);

}  // namespace velmaro
