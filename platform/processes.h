// Processes and top-level windows: what closing a program, running the junk
// cleanup batch and asking other programs to close need from the system.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace velmaro {

struct ProcessEntry {
  std::uint32_t id = 0;
  // A bare file name on NT, a full path on some systems; UTF-16 as the system
  // reports it, since code page 936 has no form for many names.
  std::u16string exeFile;
};

// What the system tells about one top-level window, read once per window.
struct WindowFacts {
  WindowHandle handle = 0;
  bool visible = false;
  bool iconic = false;
  WindowHandle owner = 0;  // GWL_HWNDPARENT
  std::uint32_t exStyle = 0;
  std::uint32_t processId = 0;
  int titleLength = 0;  // what reading the title into a 256-character buffer returned
};

enum class RunOutcome { NotStarted, Finished, StillRunning };

class ProcessService {
 public:
  virtual ~ProcessService() = default;
  // A snapshot of the running processes; empty when the system offers none.
  virtual std::vector<ProcessEntry> Processes() = 0;
  // Opens the process for termination and ends it with exit code 0; failures pass silently.
  virtual void Terminate(std::uint32_t processId) = 0;
  // A code page 936 text as the system spells names, in UTF-16; empty when
  // `text` is no valid code page 936.
  virtual std::u16string SystemName(const std::string& text) = 0;
  // A system name in code page 936; empty when it has no exact form there.
  virtual std::string CodePageName(const std::u16string& name) = 0;
  // Full path of cmd.exe in the system folder. The program runs elevated, so
  // the interpreter must never be found first in its own folder or the current one.
  virtual std::string CommandInterpreterPath() = 0;
  // Starts `commandLine` with its window hidden at idle priority and waits
  // until it ends or `timeoutMs` has passed. A process still running then is
  // not stopped; it is kept in mind until it ends.
  virtual RunOutcome RunHidden(const std::string& commandLine, std::uint32_t timeoutMs) = 0;
  // Whether the last process that RunHidden stopped waiting for still runs.
  virtual bool HiddenRunStillRunning() = 0;
  // Creates `path` (or empties it) as UTF-16 text: only its byte-order mark,
  // so that a program appending UTF-16 output to it writes a text that any
  // editor reads. False when the file cannot be written.
  virtual bool StartUnicodeText(const std::string& path) = 0;

  // Every top-level window, in the system's order.
  virtual std::vector<WindowFacts> TopLevelWindows() = 0;
  virtual WindowHandle DesktopWindow() = 0;
  // The shell's own top-level windows: the desktop's window (GetShellWindow,
  // "Program Manager") and every taskbar; empty without a shell.
  virtual std::vector<WindowHandle> ShellWindows() = 0;
  virtual std::uint32_t WindowProcessId(WindowHandle window) = 0;
  // Posts WM_CLOSE with wParam and lParam 0; does not wait.
  virtual void PostClose(WindowHandle window) = 0;
};

// The running system's processes and windows (Windows builds only).
std::unique_ptr<ProcessService> MakeSystemProcesses();

}  // namespace velmaro
