#include "dialogs/dialogs.h"

#include <algorithm>
#include <utility>

#include "base/error.h"

namespace velmaro {

const char kUnstorableText[] = "中有无法保存的字符：只能保存简体中文（GBK）里有的字符，请修改后再按确定。";
const char kUnstorablePath[] =
    "所选文件的路径中有无法保存的字符（只能保存简体中文 GBK 里有的字符），它也没有短文件名：请把文件改名或移到别的文件夹后再选。";

template <class Model>
Dialogs::Window<Model>& Dialogs::WindowFor(std::vector<Window<Model>>& windows, const Model& model) {
  for (Window<Model>& window : windows) {
    if (window.model.get() == &model) return window;
  }
  throw AppError("A dialog model without its window");
}

template <class Model>
void Dialogs::ReleaseClosed(std::vector<Window<Model>>& windows) {
  windows.erase(std::remove_if(windows.begin(), windows.end(), [](const Window<Model>& w) { return !w.model->visible; }),
                windows.end());
}

void Dialogs::OpenSettings() {
  ReleaseClosed(settings_);
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
  ReleaseClosed(editors_);
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
  for (Window<SettingsDialog>& window : settings_) {
    if (!window.model->visible) continue;  // released at the next opening, never shown again
    if (rewritten) window.model->RemoveRowsOfSlot(slot);
    window.model->rows.push_back(TaskRow{Track(slot), task.trigger, task.action, task.argument});
    window.view->RefreshList();
  }
}

void Dialogs::TaskDeleted(std::int32_t slot) {
  slots_.Deleted(slot);
  for (Window<SettingsDialog>& window : settings_) {
    if (!window.model->visible) continue;
    window.model->DropDeletedRows();
    window.view->RefreshList();
  }
}

void Dialogs::Refuse(const std::string& text) {
  services.shell.ShowMessageBox(text, "提示", kMbOk | kMbIconInformation);
}

void Dialogs::Refresh(SettingsDialog& dialog) { WindowFor(settings_, dialog).view->Refresh(); }
void Dialogs::Refresh(TaskEditor& editor) { WindowFor(editors_, editor).view->Refresh(); }
WindowHandle Dialogs::WindowOf(SettingsDialog& dialog) { return WindowFor(settings_, dialog).view->Handle(); }
WindowHandle Dialogs::WindowOf(TaskEditor& editor) { return WindowFor(editors_, editor).view->Handle(); }

}  // namespace velmaro
