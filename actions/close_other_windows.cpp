#include "actions/close_other_windows.h"

#include <algorithm>
#include <vector>

namespace velmaro {

namespace {

constexpr std::uint32_t kWsExToolWindow = 0x80;

}  // namespace

bool ShouldAskToClose(const WindowFacts& window, WindowHandle desktop, std::uint32_t ownProcessId) {
  if (!window.visible && !window.iconic) return false;
  if (window.owner != 0 && window.owner != desktop) return false;
  if (window.exStyle & kWsExToolWindow) return false;
  if (window.processId == ownProcessId) return false;
  return window.titleLength > 0;
}

void CloseOtherWindows(ProcessService& windows, WindowHandle mainWindow) {
  const WindowHandle desktop = windows.DesktopWindow();
  const std::uint32_t ownProcessId = windows.WindowProcessId(mainWindow);
  // The desktop's window passes every check above, and WM_CLOSE to it raises
  // the system's shut-down dialog in the middle of the stand-by countdown.
  const std::vector<WindowHandle> shell = windows.ShellWindows();
  for (const WindowFacts& window : windows.TopLevelWindows()) {
    if (std::find(shell.begin(), shell.end(), window.handle) != shell.end()) continue;
    if (ShouldAskToClose(window, desktop, ownProcessId)) windows.PostClose(window.handle);
  }
}

}  // namespace velmaro
