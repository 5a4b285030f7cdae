#include "dialogs/dialogs.h"

#include <utility>

#include "platform/error.h"

namespace velmaro {

template <class Model>
Dialogs::Window<Model>& Dialogs::WindowFor(std::vector<Window<Model>>& windows, const Model& model) {
  for (Window<Model>& window : windows) {
    if (window.model.get() == &model) return window;
  }
  throw AppError("A dialog model without its window");
}

void Dialogs::OpenSettings() {
  link.StopEvaluation();
  auto model = std::make_unique<SettingsDialog>(*this);
  std::unique_ptr<DialogView> view = services.windows.CreateSettingsWindow(*model);
  settings_.push_back({std::move(model), std::move(view)});
  Window<SettingsDialog>& window = settings_.back();
  SettingsDialog& dialog = *window.model;
  dialog.visible = true;
  window.view->Refresh();
  try {
    dialog.Fill();
  } catch (...) {
    window.view->Refresh();  // shown as far as it was filled
    throw;
  }
  window.view->Refresh();
}

TaskEditor& Dialogs::OpenEditor() {
  auto model = std::make_unique<TaskEditor>(*this);
  std::unique_ptr<DialogView> view = services.windows.CreateEditorWindow(*model);
  editors_.push_back({std::move(model), std::move(view)});
  Window<TaskEditor>& window = editors_.back();
  TaskEditor& editor = *window.model;
  editor.FormCreate();
  editor.visible = true;
  window.view->Refresh();
  return editor;
}

void Dialogs::TaskStored(std::int32_t slot, const TaskSlot& task, bool rewritten) {
  if (settings_.empty()) return;
  Window<SettingsDialog>& latest = settings_.back();
  if (rewritten) latest.model->RemoveRowsOfSlot(slot);
  latest.model->rows.push_back(TaskRow{Track(slot), task.trigger, task.action, task.argument});
  latest.view->RefreshList();
}

void Dialogs::TaskDeleted(std::int32_t slot) {
  slots_.Deleted(slot);
  for (Window<SettingsDialog>& window : settings_) {
    window.model->DropDeletedRows();
    window.view->RefreshList();
  }
}

void Dialogs::Refresh(SettingsDialog& dialog) { WindowFor(settings_, dialog).view->Refresh(); }
void Dialogs::Refresh(TaskEditor& editor) { WindowFor(editors_, editor).view->Refresh(); }
WindowHandle Dialogs::WindowOf(SettingsDialog& dialog) { return WindowFor(settings_, dialog).view->Handle(); }
WindowHandle Dialogs::WindowOf(TaskEditor& editor) { return WindowFor(editors_, editor).view->Handle(); }

}  // namespace velmaro
