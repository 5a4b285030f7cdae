// Program entry: a single hidden main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include "actions/reminder_window_win.h"
#include "app/about_window_win.h"
#include "app/application_win.h"
#include "app/form1_win.h"
#include "base/gbk.h"
#include "dialogs/dialog_windows_win.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/dialup.h"
#include "platform/file_dialog.h"
#include "platform/power.h"
#include "platform/processes.h"
#include "platform/record_file.h"
#include "platform/registry.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/sound.h"
#include "platform/system_load.h"
#include "platform/system_library_win.h"
#include "platform/wake.h"
#include "scheduler/record_folder.h"
#include "scheduler/run_record.h"
#include "tests/e2e/doubles/power_recording.h"
#include "tests/e2e/doubles/shell_recording.h"
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

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
  RestrictDllSearch();

  // Two schedulers on one store would run every task twice: one copy per
  // session. The handle is held until the process ends.
  HANDLE instance = CreateMutexW(nullptr, FALSE, L"Local\\Drennik.Velmaro");
  if (GetLastError() == ERROR_ALREADY_EXISTS) {
    CloseHandle(instance);
    return 0;
  }

  std::unique_ptr<velmaro::RegistryService> registry = velmaro::MakeSystemRegistry();
  std::unique_ptr<velmaro::ShellService> systemShell = velmaro::MakeSystemShell();
  std::unique_ptr<velmaro::SessionService> session = velmaro::MakeSystemSession();
#ifdef VELMARO_RECORDING_POWER
  // The end-to-end build: power calls are written to a log beside the exe
  // instead of made, and so are the tray icon's changes, which are made too.
  const std::string folder = velmaro::DirectoryPart(session->ExecutablePath());
  velmaro::RecordingPower power(folder + "power-calls.log");
  velmaro::RecordingTrayShell shell(*systemShell, folder + "tray-calls.log");
#else
  velmaro::ShellService& shell = *systemShell;
  std::unique_ptr<velmaro::PowerService> systemPower = velmaro::MakeSystemPower();
  velmaro::PowerService& power = *systemPower;
#endif
  std::unique_ptr<velmaro::ProcessService> processes = velmaro::MakeSystemProcesses();
  std::unique_ptr<velmaro::ClockService> clock = velmaro::MakeSystemClock();
  std::unique_ptr<velmaro::DialUpService> dialUp = velmaro::MakeSystemDialUp();
  std::unique_ptr<velmaro::SoundService> sound = velmaro::MakeSystemSound();
  std::unique_ptr<velmaro::FileDialogService> files = velmaro::MakeSystemFileDialog();
  std::unique_ptr<velmaro::AutoStartService> autoStart = velmaro::MakeSystemAutoStart();
  std::unique_ptr<velmaro::RecordFileService> systemRecords = velmaro::MakeSystemRecordFiles();
  velmaro::ClosedRecordFiles records(*systemRecords, shell);
  std::unique_ptr<velmaro::SystemLoadService> load = velmaro::MakeSystemLoad();
  std::unique_ptr<velmaro::WakeService> wake = velmaro::MakeSystemWake();
  velmaro::Win32DialogWindows dialogWindows;

  velmaro::TApplication application;
  if (!application.Create()) return 1;
  // The record's folder gets its rights before anything could be written.
  records.Prepare(velmaro::RunRecord(records, *clock).Path());
  velmaro::ReminderWindows reminders(application.Handle());
  velmaro::AboutWindows about(application.Handle());
  velmaro::TForm1 form1(velmaro::AppServices{*registry, shell, *session, power, *processes, *clock, *dialUp, reminders,
                                             *sound, *files, *autoStart, dialogWindows, about, records, *load,
                                             *wake},
                        application);
#ifdef VELMARO_RECORDING_POWER
  form1.Unit().SetPostponeMinute(1000);  // a postponement's minute is a second
#endif
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
