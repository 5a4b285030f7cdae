#include "dialogs/dialog_windows_win.h"

#include "dialogs/settings_dialog_win.h"
#include "dialogs/task_editor_win.h"

namespace velmaro {

std::unique_ptr<DialogView> Win32DialogWindows::CreateSettingsWindow(SettingsDialog& model) {
  return std::make_unique<TForm3>(model);
}

std::unique_ptr<DialogView> Win32DialogWindows::CreateEditorWindow(TaskEditor& model) {
  return std::make_unique<TForm5>(model);
}

}  // namespace velmaro
