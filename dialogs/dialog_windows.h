// The windows of the dialogs as the core sees them: each model has one
// window, which binds its controls to the model's fields.
#pragma once

#include <memory>

#include "platform/shell.h"

namespace velmaro {

class SettingsDialog;
class TaskEditor;

class DialogView {
 public:
  virtual ~DialogView() = default;
  virtual WindowHandle Handle() = 0;
  // Puts the whole model into the controls, and shows or hides the window.
  virtual void Refresh() = 0;
  // Puts only the task list into the controls: a change made from another
  // window must not overwrite what the user is typing in this one.
  virtual void RefreshList() = 0;
};

class DialogWindows {
 public:
  virtual ~DialogWindows() = default;
  // A new window bound to the model, hidden until its first Refresh.
  virtual std::unique_ptr<DialogView> CreateSettingsWindow(SettingsDialog& model) = 0;
  virtual std::unique_ptr<DialogView> CreateEditorWindow(TaskEditor& model) = 0;
};

}  // namespace velmaro
