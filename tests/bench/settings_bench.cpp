// The settings dialog at 2 000 stored tasks: opening it (the list filled
// from the store and shown) and one Delete (the store moves every slot above
// down, every open list follows). Built twice: natively against the
// in-memory registry with windows that only count, and for Windows against
// the real registry and the real windows (run under Wine), where the figures
// that matter come from. Each figure is the best of a few rounds; a fresh
// store is written before each round.
//
// Prints one line per figure, last: "bench <name> <value> <unit>".
#include <algorithm>
#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialogs.h"
#include "tests/bench/bench_support.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#ifndef _WIN32
#include "tests/fakes/fake_processes.h"
#endif

#ifdef _WIN32
#include "dialogs/dialog_windows_win.h"
#else
#include "tests/fakes/fake_dialog_windows.h"
#endif

namespace velmaro {
namespace {

constexpr int kTasks = 2000;

using Registry = BenchRegistry;
#ifdef _WIN32
using Windows = Win32DialogWindows;
#else
using Windows = FakeDialogWindows;
#endif

class NoLink : public MainWindowLink {
 public:
  void StopEvaluation() override {}
  void ResumeEvaluation() override {}
  void SetCountdownMax(std::int32_t) override {}
};

void Pump() {
#ifdef _WIN32
  MSG msg;
  while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
#endif
}

}  // namespace
}  // namespace velmaro

int main() {
  using namespace velmaro;
  double bestOpen = 1e9, bestDelete = 1e9;
  for (int round = 0; round < 5; ++round) {
    Registry registry;
    FillStore(registry, kTasks);
    RegistryObject reg(registry);
    Settings settings;
    TaskStore store(reg, settings);
    store.LoadSettings();
    FakeShell shell;
    FakeClock clock;
    FakeSession session;
    FakeFileDialog files;
    FakeAutoStart autoStart;
    Windows windows;
    NoLink link;
#ifdef _WIN32
    std::unique_ptr<ProcessService> processes = MakeSystemProcesses();
#else
    std::unique_ptr<ProcessService> processes = std::make_unique<FakeProcesses>();
#endif
    Dialogs dialogs{DialogServices{shell, clock, session, files, autoStart, windows, *processes}, store, settings,
                    link};
    // A second dialog, opened and closed before, as a user who opens the
    // settings twice leaves behind.
    dialogs.OpenSettings();
    dialogs.Form3()->Button2Click();
    Pump();

    const double open = 1000 * SecondsPerCall([&] {
      dialogs.OpenSettings();
      Pump();
    }, 1);
    SettingsDialog& dialog = *dialogs.Form3();
    dialog.selected = 0;  // slot 1: every other slot moves down
    const double deleted = 1000 * SecondsPerCall([&] {
      dialog.Button6Click();
      Pump();
    }, 1);
    if (dialog.rows.size() != kTasks - 1 || settings.LastTaskNum != kTasks - 1) {
      std::fprintf(stderr, "the delete did not happen: the measurement is void\n");
      return 1;
    }
    std::printf("round %d: open %.1f ms, delete %.1f ms\n", round, open, deleted);
    bestOpen = std::min(bestOpen, open);
    bestDelete = std::min(bestDelete, deleted);
  }
  std::printf("bench settings_open_%d_ms%s %.1f ms\n", kTasks, kBenchSuffix, bestOpen);
  std::printf("bench settings_delete_%d_ms%s %.1f ms\n", kTasks, kBenchSuffix, bestDelete);
  return 0;
}
