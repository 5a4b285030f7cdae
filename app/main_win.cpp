// Program entry: a single hidden main window and its message loop; or, with
// arguments, one command, handed to the copy that runs or carried out on the
// store alone, and printed to the console it came from.
#include <windows.h>
#include <commctrl.h>

#include "actions/reminder_window_win.h"
#include "app/about_window_win.h"
#include "app/application_win.h"
#include "app/command_args_win.h"
#include "app/command_channel_win.h"
#include "app/form1_win.h"
#include "app/services_win.h"
#include "dialogs/dialog_windows_win.h"
#include "platform/console_win.h"
#include "platform/system_library_win.h"
#include "platform/text_files_win.h"
#include "platform/ui_language_win.h"
#include "scheduler/record_folder.h"
#include "scheduler/run_record.h"
#include "ui/controls_win.h"

namespace {

// The program runs elevated: libraries it loads by name must come from the
// system folder, never from its own folder or the current one.
void RestrictDllSearch() {
  constexpr DWORD kSearchSystem32 = 0x00000800;  // LOAD_LIBRARY_SEARCH_SYSTEM32
  const velmaro::KernelCalls& kernel = velmaro::Kernel();
  if (kernel.SetDefaultDllDirectories) {
    kernel.SetDefaultDllDirectories(kSearchSystem32);
  } else if (kernel.SetDllDirectoryW) {
    kernel.SetDllDirectoryW(L"");  // removes the current folder from the search
  }
}

velmaro::CommandReply CommandLine(const std::vector<velmaro::CommandArg>& args) {
  using namespace velmaro;
  const ParsedCommand parsed = ParseCommandLine(args);
  if (!parsed.command) return BadCommandLineReply(parsed.error);
  const Command& command = *parsed.command;
  if (command.kind == CommandKind::Help) return CommandReply{ExitCode::Done, CommandLineHelp()};
  HWND copy = nullptr;
  if (CopyRuns()) {
    // A copy still starting takes commands in a moment.
    copy = FindRunningCopy();
    if (!copy) copy = WaitForRunningCopy(kStartTimeoutMs);
    if (!copy && CopyRuns()) {
      return CommandReply{ExitCode::StoreFailed, "Velmaro 正在运行，但没有在 " +
                                                     std::to_string(kStartTimeoutMs / 1000) + " 秒内准备好接受命令"};
    }
  }
  if (!copy && command.NeedsTimers()) {
    std::string error;
    copy = StartRunningCopy(kStartTimeoutMs, &error);
    if (!copy) return CommandReply{ExitCode::StoreFailed, error};
  }
  if (copy) return HandOverCommand(copy, WithAbsoluteFile(args, command));
  // None runs: the task commands work on the store alone.
  const std::unique_ptr<RegistryService> registry = MakeSystemRegistry();
  const std::unique_ptr<ClockService> clock = MakeSystemClock();
  Win32TextFiles files;
  Win32TextCodec codec;
  StoreOnlyHost host;
  return GuardedRunCommand(command, CommandServices{*registry, *clock, files, codec}, host);
}

// Errors go to standard error, so that "> file" keeps only what was asked for.
int Print(velmaro::CommandReply reply) {
  using namespace velmaro;
  if (!reply.text.empty() && reply.text.back() != '\n') reply.text += "\r\n";
  PrintToConsole(reply.code == ExitCode::Done ? ConsoleStream::Output : ConsoleStream::Error, reply.text);
  ReleaseConsole();
  return static_cast<int>(reply.code);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();
  velmaro::UseLanguageInForce(*velmaro::MakeSystemRegistry());

  std::vector<velmaro::CommandArg> args;
  std::string error;
  if (!velmaro::ProgramArguments(&args, &error)) return Print(velmaro::BadCommandLineReply(error));
  if (!args.empty()) return Print(CommandLine(args));

  // Two schedulers on one store would run every task twice: one copy per
  // session. The handle is held until the process ends.
  HANDLE instance = CreateMutexW(nullptr, FALSE, velmaro::kInstanceMutexName);
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(instance);
    return 0;
  }

  velmaro::ProgramServices services = velmaro::MakeProgramServices();
  velmaro::UseLanguageInForce(*services.registry);
  velmaro::ClosedRecordFiles records(*services.records, *services.shell);
  velmaro::Win32DialogWindows dialogWindows;

  velmaro::TApplication application;
  if (!application.Create()) return 1;
  // The record's folder gets its rights before anything could be written.
  records.Prepare(velmaro::RunRecord(records, *services.clock).Path());
  velmaro::ReminderWindows reminders(application.Handle());
  velmaro::AboutWindows about(application.Handle());
  velmaro::TForm1 form1(velmaro::AppServices{{*services.shell, *services.session, *services.power, *services.processes,
                                              *services.clock, *services.dialUp, reminders},
                                             *services.registry, *services.sound, *services.files, *services.autoStart,
                                             dialogWindows, about, records, *services.load, *services.wake},
                        application);
  if (services.postponeMinuteMs) form1.Unit().SetPostponeMinute(services.postponeMinuteMs);
  if (!form1.Create()) return 1;

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    if (velmaro::HandleDialogKeys(msg)) continue;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  CloseHandle(instance);
  return static_cast<int>(msg.wParam);
}
