#pragma once

#include "dialogs/dialog_windows.h"

namespace velmaro {

// The Win32 windows TForm3 and TForm5.
class Win32DialogWindows : public DialogWindows {
 public:
  std::unique_ptr<DialogView> CreateSettingsWindow(SettingsDialog& model) override;
  std::unique_ptr<DialogView> CreateEditorWindow(TaskEditor& model) override;
};

}  // namespace velmaro
