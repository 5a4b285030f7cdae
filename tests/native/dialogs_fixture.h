// The settings dialogs and task editors as models over the in-memory store,
// with every service faked: the fixture of the dialog tests.
#pragma once

#include "dialogs/dialogs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "base/error.h"
#include "tests/fakes/fake_autostart.h"
#include "tests/fakes/fake_clock.h"
#include "tests/fakes/fake_dialog_windows.h"
#include "tests/fakes/fake_file_dialog.h"
#include "tests/fakes/fake_processes.h"
#include "tests/fakes/fake_session.h"
#include "tests/fakes/fake_shell.h"
#include "tests/fakes/fake_system_load.h"
#include "tests/fakes/memory_registry.h"
#include "tests/fakes/store_arranger.h"

namespace velmaro {

const char kRunPath[] = "Software\\Microsoft\\Windows\\CurrentVersion\\Run";
constexpr RegRoot kHklm = RegRoot::LocalMachine;
constexpr std::uint32_t kInfoBox = kMbOk | kMbIconInformation;
constexpr std::uint32_t kErrorBox = kMbOk | kMbIconError;

class FakeLink : public MainWindowLink {
 public:
  void StopEvaluation() override { calls.push_back("stop"); }
  void ResumeEvaluation() override { calls.push_back("resume"); }
  void SetCountdownMax(std::int32_t tishi) override { calls.push_back("max " + std::to_string(tishi)); }
  std::vector<std::string> calls;
};

class DialogsTest : public ::testing::Test {
 protected:
  MemoryRegistry registry;
  RegistryObject reg{registry};
  Settings settings;
  TaskStore store{reg, settings};
  FakeShell shell;
  FakeClock clock;
  FakeSession session;
  FakeFileDialog files;
  FakeAutoStart autoStart;
  FakeDialogWindows windows;
  FakeLink link;
  FakeProcesses processes;
  FakeSystemLoad load;
  Dialogs dialogs{DialogServices{shell, clock, session, files, autoStart, windows, processes, &load}, store, settings, link};
  StoreArranger stored{registry};

  // Tasks "t1".."tN", each with its action "a<n>" and argument "c<n>".
  void PutTasks(int count) {
    for (int n = 1; n <= count; ++n) PutTask(n, "每天" + std::to_string(n) + "时0分", "a" + std::to_string(n));
    stored.PutTaskNum(static_cast<std::uint32_t>(count));
  }
  void PutTask(int n, const std::string& trigger, const std::string& action, const std::string& argument = "") {
    stored.PutSlot(n, trigger, action, argument.empty() ? "c" + std::to_string(n) : argument);
  }
  SettingsDialog& Open() {
    store.LoadSettings();
    dialogs.OpenSettings();
    registry.journal.clear();
    return *dialogs.Form3();
  }
  std::string Stored(const std::string& name) { return stored.Text(name); }
  std::uint32_t StoredDword(const std::string& name) { return stored.Dword(name); }
  // "slot|trigger|action" for each row, top to bottom.
  static std::vector<std::string> Rows(const SettingsDialog& dialog) {
    std::vector<std::string> shown;
    for (const TaskRow& row : dialog.rows) shown.push_back(std::to_string(*row.slot) + "|" + row.trigger + "|" + row.action);
    return shown;
  }
  static void Select(SettingsDialog& dialog, const std::string& slotText) {
    dialog.selected.reset();
    for (std::size_t i = 0; i < dialog.rows.size(); ++i) {
      if (std::to_string(*dialog.rows[i].slot) == slotText) dialog.selected = i;
    }
  }
  TaskEditor& Modify(SettingsDialog& dialog, const std::string& slotText) {
    Select(dialog, slotText);
    dialog.Button5Click();
    return *dialogs.Form5();
  }
  // What the handler boundary shows in the general error box, or "" when the handler ran through.
  std::string Boundary(const std::function<void()>& handler) {
    const std::size_t before = shell.boxes.size();
    dialogs.Handle(handler);
    return shell.boxes.size() > before ? shell.boxes.back().text : "";
  }
};

}  // namespace velmaro
