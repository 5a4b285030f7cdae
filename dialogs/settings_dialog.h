// The settings dialog TForm3: the task list with add, modify and delete, and
// the four options of the task store, saved only by OK.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "dialogs/slot_tracker.h"

namespace velmaro {

class Dialogs;

// The countdown length in minutes as the dialog shows it: general decimal
// form with at most 15 significant digits and the user's decimal separator
// (60 s "1", 90 s "1.5", 100 s "1.66666666666667").
std::string MinutesText(std::int32_t seconds, const std::string& decimalSeparator);

// The countdown field read back: a decimal number of minutes (the user's
// separator or "."), times 60, rounded half to even. Throws AppError
// "'<text>' is not a valid floating point value" for anything else and for
// seconds outside signed 32 bits.
std::int32_t CountdownSeconds(const std::string& text, const std::string& decimalSeparator);

// What the countdown field (Edit5) takes when typed or pasted: digits, "."
// and backspace.
bool CountdownFieldAccepts(char32_t character);

// The choices of the warning ahead, in minutes; 0 is no warning.
extern const std::int32_t kTiqianChoices[5];  // 0, 1, 5, 10, 15
// "不提醒", "提前 5 分钟": how ComboBox1 shows a number of minutes.
std::string TiqianText(std::int32_t minutes);

// One row of ListView1; its first column shows the slot number.
struct TaskRow {
  SlotRef slot;
  std::string trigger;
  std::string action;
  std::string argument;
};

class SettingsDialog {
 public:
  explicit SettingsDialog(Dialogs& dialogs) : dialogs_(dialogs) {}
  SettingsDialog(const SettingsDialog&) = delete;
  SettingsDialog& operator=(const SettingsDialog&) = delete;

  Dialogs& Owner() { return dialogs_; }

  // The controls, as the window shows them.
  std::vector<TaskRow> rows;             // ListView1
  std::optional<std::size_t> selected;   // its one selected row
  std::string Edit5;                     // countdown length in minutes
  std::string Edit8;                     // warning sound file
  bool CheckBox2 = false;                // start with Windows
  bool CheckBox5 = false;                // close all programs before stand-by
  std::int32_t ComboBox1 = 5;            // minutes of warning ahead
  bool visible = false;
  // The text fields whose text has no code page 936 form (set by the window,
  // which keeps the text as typed): OK refuses to store them.
  std::vector<std::string SettingsDialog::*> unstorable;

  // Reads the task list and the options from the store.
  void Fill();
  void Button1Click();  // OK: saves the options and closes
  void Button2Click() { Close(); }  // cancel
  void Button3Click();  // choose the sound
  void Button4Click();  // add
  void Button5Click();  // modify
  void Button6Click();  // delete
  // Hides the dialog, whichever way it is closed, and resumes the evaluation tick.
  void Close();

  // Rows of tasks deleted meanwhile go; the others keep their places.
  void DropDeletedRows();
  void RemoveRowsOfSlot(std::int32_t slot);

 private:
  template <class Predicate>
  void RemoveRowsIf(Predicate remove);

  Dialogs& dialogs_;
};

}  // namespace velmaro
