#include "dialogs/dialogs.h"

#include <stdexcept>

namespace velmaro {

template <class Model>
Dialogs::Window<Model>& Dialogs::WindowFor(std::vector<Window<Model>>& windows, const Model& model) {
  for (Window<Model>& window : windows) {
    if (window.model.get() == &model) return window;
  }
  throw std::logic_error("a dialog model without its window");
}

void Dialogs::OpenSettings() {
  link.StopEvaluation();
  settings_.push_back({std::make_unique<SettingsDialog>(*this), nullptr});
  Window<SettingsDialog>& window = settings_.back();
  window.view = services.windows.CreateSettingsWindow(*window.model);
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
  editors_.push_back({std::make_unique<TaskEditor>(*this), nullptr});
  Window<TaskEditor>& window = editors_.back();
  window.view = services.windows.CreateEditorWindow(*window.model);
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
