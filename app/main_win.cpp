// Program entry: a single hidden main window and its message loop.
#include <windows.h>
#include <commctrl.h>

#include "actions/reminder_window_win.h"
#include "app/about_window_win.h"
#include "app/application_win.h"
#include "app/form1_win.h"
#include "app/services_win.h"
#include "dialogs/dialog_windows_win.h"
#include "platform/system_library_win.h"
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

  velmaro::ProgramServices services = velmaro::MakeProgramServices();
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
