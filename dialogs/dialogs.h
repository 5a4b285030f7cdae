// What the settings dialogs and the task editors share: the services, the
// store and its copies, the main window, the windows of every dialog opened
// so far, and the slot numbers that follow deletions.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "dialogs/dialog_windows.h"
#include "dialogs/main_window_link.h"
#include "dialogs/settings_dialog.h"
#include "dialogs/slot_tracker.h"
#include "dialogs/task_editor.h"
#include "platform/autostart.h"
#include "platform/clock.h"
#include "platform/error_box.h"
#include "platform/file_dialog.h"
#include "platform/processes.h"
#include "platform/session.h"
#include "platform/shell.h"
#include "platform/system_load.h"
#include "store/task_options.h"
#include "store/task_store.h"

namespace velmaro {

// The refusals of a text that has no code page 936 form, which the store
// would hold as "?": typed (after the field's name in quotes) and browsed.
extern const char kUnstorableText[];
extern const char kUnstorablePath[];

struct DialogServices {
  ShellService& shell;
  ClockService& clock;
  SessionService& session;
  FileDialogService& files;
  AutoStartService& autoStart;
  DialogWindows& windows;
  ProcessService& processes;  // the running programs the editor offers
  SystemLoadService* load = nullptr;  // what the editor shows the computer doing now; none shows nothing
};

class Dialogs {
 public:
  Dialogs(const DialogServices& services, TaskStore& store, Settings& settings, MainWindowLink& link)
      : services(services), store(store), settings(settings), link(link) {}
  Dialogs(const Dialogs&) = delete;
  Dialogs& operator=(const Dialogs&) = delete;

  // `n4Click`: the evaluation tick stops and a new settings dialog shows,
  // filled from the store.
  void OpenSettings();
  // A new task editor, shown empty (Add and Modify fill it afterwards).
  TaskEditor& OpenEditor();

  // The most recently created ones; null before the first.
  SettingsDialog* Form3() const { return settings_.empty() ? nullptr : settings_.back().model.get(); }
  TaskEditor* Form5() const { return editors_.empty() ? nullptr : editors_.back().model.get(); }

  // An editor stored `task` in `slot`: every open settings dialog lists it at
  // the end, in place of the row it had when it was rewritten.
  void TaskStored(std::int32_t slot, const TaskSlot& task, bool rewritten);
  // Slot `slot` was deleted: every open list and every editor follows.
  void TaskDeleted(std::int32_t slot);
  // Input that cannot be taken: a message under "提示", and nothing changes.
  void Refuse(const std::string& text);
  SlotRef Track(std::int32_t slot) { return slots_.Track(slot); }

  // Puts a model's state into its window.
  void Refresh(SettingsDialog& dialog);
  void Refresh(TaskEditor& editor);
  WindowHandle WindowOf(SettingsDialog& dialog);
  WindowHandle WindowOf(TaskEditor& editor);

  // The handler boundary of every dialog window: nothing runs once the
  // program is closing, and a failure shows in the general error box.
  template <class Handler>
  void Handle(Handler&& handler) {
    if (!closed_) Guarded(services.shell, handler);
  }
  // The program is closing and the store is about to go.
  void Close() { closed_ = true; }

  const DialogServices services;
  TaskStore& store;
  Settings& settings;
  MainWindowLink& link;
  // The tasks' wake and catch-up options; none where the program keeps none.
  TaskOptions* options = nullptr;

 private:
  template <class Model>
  struct Window {
    std::unique_ptr<Model> model;
    std::unique_ptr<DialogView> view;  // destroyed first: it points at the model
  };
  template <class Model>
  static Window<Model>& WindowFor(std::vector<Window<Model>>& windows, const Model& model);
  // Closed dialogs and editors go when the next of their kind opens: never
  // inside a handler of their own, and never piling up over months of use.
  template <class Model>
  static void ReleaseClosed(std::vector<Window<Model>>& windows);

  std::vector<Window<SettingsDialog>> settings_;
  std::vector<Window<TaskEditor>> editors_;
  SlotTracker slots_;
  bool closed_ = false;
};

}  // namespace velmaro
