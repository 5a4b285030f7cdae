// The hand-over of a command line to the copy of the program that runs. The
// command's own process (the sender) finds the running copy's main window,
// sends it the arguments with WM_COPYDATA and waits; the running copy
// carries the command out and sends the reply's text back to the sender's
// reply window, a message-only window, before it answers with the exit code.
//
// Only the system's own rule decides who may send: a process of the same
// rights. The running copy opens no message to lower rights (it never
// calls ChangeWindowMessageFilter for WM_COPYDATA), so a program a standard
// user runs cannot command the elevated copy.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>
#include <vector>

#include "app/command_args_win.h"
#include "app/commands.h"
#include "base/text_win.h"

namespace velmaro {

class TForm1;

// One copy per session: the mutex the running copy holds while it lives.
extern const wchar_t kInstanceMutexName[];

// WM_COPYDATA's dwData of the two messages: the arguments, and the reply.
constexpr ULONG_PTR kCommandArgsTag = 0x56434D41;   // "VCMA"
constexpr ULONG_PTR kCommandReplyTag = 0x56434D52;  // "VCMR"

// Every argument after the program's name, each followed by a NUL: the
// command line's own bound and a file made absolute beside it.
constexpr std::size_t kMaxPayloadUnits = 4 * (kMaxArgUnits + 1);
// A list of the tasks of a large store fits many times over.
constexpr std::size_t kMaxReplyBytes = std::size_t{1} << 22;

// How long a sender waits for the running copy to answer, for a copy it
// started to be up, and the running copy for the sender to take the reply.
constexpr DWORD kAnswerTimeoutMs = 30000;
constexpr DWORD kStartTimeoutMs = 15000;
constexpr DWORD kReplyTimeoutMs = 5000;

// The payload: false when an argument holds a NUL or the whole is too long.
bool EncodeCommandArgs(const std::vector<CommandArg>& args, WideString* payload);
// False for anything a sender of ours could not have sent: no argument, too
// many or too long, an odd byte count, a last unit that is not a NUL.
bool DecodeCommandArgs(const void* data, std::size_t bytes, std::vector<CommandArg>* args);

// What the running copy does with the arguments handed to it. It must not throw.
class CommandExecutor {
 public:
  virtual ~CommandExecutor() = default;
  virtual CommandReply Execute(const std::vector<CommandArg>& args) = 0;
};

// A wrong command line's reply: what is wrong, and where the usage is.
CommandReply BadCommandLineReply(const std::string& error);

// RunCommand with its failures caught: a store or file failure that aborts
// it becomes a reply of ExitCode::StoreFailed with its text.
CommandReply GuardedRunCommand(const Command& command, const CommandServices& services, CommandHost& host);

// The running copy's executor: parses, then runs the command on its host.
class HostedCommands : public CommandExecutor {
 public:
  HostedCommands(const CommandServices& services, CommandHost& host) : services_(services), host_(host) {}
  CommandReply Execute(const std::vector<CommandArg>& args) override;

 private:
  CommandServices services_;
  CommandHost& host_;
};

// The running copy's side. OpenCommandChannel marks its main window as the
// one to send to (other programs' windows share its class name, and its
// title changes with each countdown); CloseCommandChannel takes the mark
// away before the window goes.
void OpenCommandChannel(HWND window);
void CloseCommandChannel(HWND window);
// Handles a WM_COPYDATA: 0 when it is none of ours or is malformed, and then
// nothing was run; otherwise the command's exit code + 1, its reply's text
// sent to the reply window (wParam) first.
LRESULT ReceiveCommand(HWND receiver, WPARAM wParam, LPARAM lParam, CommandExecutor& executor);

// The sender's side.
// Whether a copy of the program runs in this session (it may still be starting).
bool CopyRuns();
// The running copy's main window, once it takes commands; null when none does.
HWND FindRunningCopy();
// Polls for that window for up to `timeoutMs`: null when it did not come,
// or when no copy runs any more.
HWND WaitForRunningCopy(DWORD timeoutMs);
// Starts the program without arguments, as the tray copy, and waits for it
// to take commands; null with a code page 936 text when it did not.
HWND StartRunningCopy(DWORD timeoutMs, std::string* error);
// The running copy has another current folder: the command's file is sent
// as a full path. The arguments as they were where it has no file.
std::vector<CommandArg> WithAbsoluteFile(const std::vector<CommandArg>& args, const Command& command);
// Hands the arguments to the running copy and waits for its reply; a copy
// that does not answer in `timeoutMs`, or refuses, ends in ExitCode::StoreFailed.
CommandReply HandOverCommand(HWND runningCopy, const std::vector<CommandArg>& args,
                             DWORD timeoutMs = kAnswerTimeoutMs);

}  // namespace velmaro
