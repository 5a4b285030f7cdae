// The task editor window TForm5, bound to a TaskEditor: a sizeable window
// with the trigger kinds, the action name and its argument.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "dialogs/dialog_windows.h"
#include "dialogs/task_editor.h"
#include "ui/base_window_win.h"
#include "ui/controls_win.h"

namespace velmaro {

class TForm5 : public BaseWindow<TForm5>, public DialogView {
 public:
  explicit TForm5(TaskEditor& model);
  ~TForm5() override;

  WindowHandle Handle() override { return reinterpret_cast<WindowHandle>(BaseWindow::Handle()); }
  void Refresh() override;
  void RefreshList() override {}

  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);

 private:
  // Controls into the model, and the model into the controls.
  void Pull();
  void Push();
  void Run(void (TaskEditor::*handler)());
  void OnCommand(int id, int code);
  // The group keeps one tab stop whatever is checked: on the checked kind,
  // else on the first. The buttons themselves drop it when unchecked.
  void SyncRadioTabStops();

  TaskEditor& model_;
  DialogFocus focus_;
  HWND tooltip_ = nullptr;
  std::vector<std::string> shownItems_;     // ComboBox6's items as last put in
  std::vector<std::string> shownPrograms_;  // ComboBox7's
  std::string shownHint_;
  bool reading_ = false;  // the readings' timer runs
};

}  // namespace velmaro
