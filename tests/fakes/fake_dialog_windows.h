// Dialog windows that only count what the core asked of them, each with a
// handle of its own.
#pragma once

#include <memory>
#include <vector>

#include "dialogs/dialog_windows.h"

namespace velmaro {

class FakeDialogView : public DialogView {
 public:
  FakeDialogView(WindowHandle handle, int& released) : handle_(handle), released_(released) {}
  ~FakeDialogView() override { ++released_; }
  WindowHandle Handle() override { return handle_; }
  void Refresh() override { ++refreshes; }
  void RefreshList() override { ++listRefreshes; }

  int refreshes = 0;
  int listRefreshes = 0;

 private:
  WindowHandle handle_;
  int& released_;
};

class FakeDialogWindows : public DialogWindows {
 public:
  std::unique_ptr<DialogView> CreateSettingsWindow(SettingsDialog& model) override {
    settingsModels.push_back(&model);
    return Make(settingsViews);
  }
  std::unique_ptr<DialogView> CreateEditorWindow(TaskEditor& model) override {
    editorModels.push_back(&model);
    return Make(editorViews);
  }

  // Owned by the core; valid until the core releases them.
  std::vector<FakeDialogView*> settingsViews;
  std::vector<SettingsDialog*> settingsModels;
  std::vector<FakeDialogView*> editorViews;
  std::vector<TaskEditor*> editorModels;
  int released = 0;  // views the core has destroyed

 private:
  std::unique_ptr<DialogView> Make(std::vector<FakeDialogView*>& made) {
    auto view = std::make_unique<FakeDialogView>(nextHandle_++, released);
    made.push_back(view.get());
    return view;
  }
  WindowHandle nextHandle_ = 0x5001;
};

}  // namespace velmaro
