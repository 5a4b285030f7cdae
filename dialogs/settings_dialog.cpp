#include "dialogs/settings_dialog.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "dialogs/dialogs.h"
#include "dialogs/task_editor.h"
#include "platform/error.h"
#include "platform/gbk.h"

namespace velmaro {

namespace {

const char kErrorCaption[] = "错误";

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

std::size_t DigitsFrom(const std::string& text, std::size_t pos) {
  std::size_t end = pos;
  while (end < text.size() && IsDigit(text[end])) ++end;
  return end - pos;
}

bool StartsAt(const std::string& text, std::size_t pos, const std::string& part) {
  return !part.empty() && text.compare(pos, part.size(), part) == 0;
}

}  // namespace

std::string MinutesText(std::int32_t seconds, const std::string& decimalSeparator) {
  char buffer[40];
  std::snprintf(buffer, sizeof buffer, "%.15g", seconds / 60.0);
  std::string text = buffer;
  const std::size_t point = text.find('.');
  if (point != std::string::npos && !decimalSeparator.empty()) text.replace(point, 1, decimalSeparator);
  return text;
}

std::int32_t CountdownSeconds(const std::string& text, const std::string& decimalSeparator) {
  const AppError failure(QuotedMessage("", text, " is not a valid floating point value"));
  std::size_t pos = text.find_first_not_of(' ');
  const std::size_t end = text.find_last_not_of(' ') + 1;
  if (pos == std::string::npos) throw failure;
  std::string number;  // sign, digits, "." and digits: what strtod reads in any locale
  if (text[pos] == '+' || text[pos] == '-') number += text[pos++];
  const std::size_t whole = DigitsFrom(text, pos);
  number += text.substr(pos, whole) + ".";
  pos += whole;
  std::size_t fraction = 0;
  if (pos < end && (StartsAt(text, pos, decimalSeparator) || text[pos] == '.')) {
    pos += StartsAt(text, pos, decimalSeparator) ? decimalSeparator.size() : 1;
    fraction = DigitsFrom(text, pos);
    number += text.substr(pos, fraction);
    pos += fraction;
  }
  if (pos != end || whole + fraction == 0) throw failure;
  // nearbyint rounds in the default mode, to nearest with halves to even.
  const double seconds = std::nearbyint(std::strtod(number.c_str(), nullptr) * 60.0);
  if (!(seconds >= -2147483648.0 && seconds <= 2147483647.0)) throw failure;
  return static_cast<std::int32_t>(seconds);
}

bool CountdownFieldAccepts(char32_t character) { return DigitFieldAccepts(character) || character == U'.'; }

void SettingsDialog::Fill() {
  TaskStore& store = dialogs_.store;
  rows.clear();
  selected.reset();
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    rows.push_back(TaskRow{dialogs_.Track(slot), trigger, store.ReadAction(slot), store.ReadArgument(slot)});
  });
  Edit5 = MinutesText(store.ReadIntegerSetting("tishi"), dialogs_.services.clock.DecimalSeparator());
  CheckBox5 = store.ReadIntegerSetting("shutapp") != 0;
  Edit8 = dialogs_.settings.SoundPath;
  CheckBox2 = store.StartWithWindows(dialogs_.services.autoStart.ExecutablePath());
}

void SettingsDialog::Button1Click() {
  Settings& settings = dialogs_.settings;
  TaskStore& store = dialogs_.store;
  settings.Tishi = Edit5.empty() ? 60 : CountdownSeconds(Edit5, dialogs_.services.clock.DecimalSeparator());
  dialogs_.link.SetCountdownMax(settings.Tishi);
  store.WriteIntegerSetting("tishi", settings.Tishi);
  if (Edit8 != settings.SoundPath) {
    settings.SoundPath = Edit8;
    store.WriteStringSetting("soundpath", settings.SoundPath);
  }
  settings.ShutApp = CheckBox5 ? 1 : 0;
  store.WriteIntegerSetting("shutapp", settings.ShutApp);

  // Windows Vista and later skip the Run value of a program that asks for
  // administrator rights; the logon task starts it there.
  AutoStartService& autoStart = dialogs_.services.autoStart;
  const std::u16string exePath = autoStart.ExecutablePath();
  store.SetStartWithWindows(CheckBox2, exePath);
  if (autoStart.HasLogonTasks()) {
    if (CheckBox2) {
      autoStart.RegisterLogonTask(exePath);
    } else {
      autoStart.DeleteLogonTask();
    }
  }
  Close();
}

void SettingsDialog::Button3Click() {
  OpenFileRequest request;
  request.title = "声音提示选择";
  request.filter = "wav文件(*.wav)|*.wav";
  request.initialDirectory = DirectoryPart(dialogs_.services.session.ExecutablePath());
  if (auto path = dialogs_.services.files.OpenFile(dialogs_.WindowOf(*this), request)) Edit8 = *path;
}

void SettingsDialog::Button4Click() {
  TaskEditor& editor = dialogs_.OpenEditor();
  const ClockSnapshot today = dialogs_.services.clock.LocalTime();
  editor.DateTimePicker1 = CalendarDate{today.wYear, today.wMonth, today.wDay};
  dialogs_.Refresh(editor);
}

void SettingsDialog::Button5Click() {
  if (!selected) {
    dialogs_.services.shell.ShowMessageBox("请选择要修改的任务", kErrorCaption, kMbOk | kMbIconError);
    return;
  }
  const SlotRef slot = rows[*selected].slot;
  TaskEditor& editor = dialogs_.OpenEditor();
  try {
    editor.FillFrom(dialogs_.store.ReadSlot(*slot));
  } catch (...) {
    dialogs_.Refresh(editor);  // filled as far as it got
    throw;
  }
  editor.Modifies(slot);
  dialogs_.Refresh(editor);
}

void SettingsDialog::Button6Click() {
  if (!selected) {
    dialogs_.services.shell.ShowMessageBox("请选择要删除的任务", kErrorCaption, kMbOk | kMbIconError);
    return;
  }
  const std::int32_t slot = *rows[*selected].slot;
  const std::int32_t before = dialogs_.settings.LastTaskNum;
  dialogs_.store.DeleteSlot(slot);
  // A number the store did not hold deleted nothing, and nothing may move.
  if (dialogs_.settings.LastTaskNum != before) dialogs_.TaskDeleted(slot);
}

void SettingsDialog::Close() {
  visible = false;
  dialogs_.link.ResumeEvaluation();
}

template <class Predicate>
void SettingsDialog::RemoveRowsIf(Predicate remove) {
  std::vector<TaskRow> kept;
  std::optional<std::size_t> keptSelection;
  for (std::size_t i = 0; i < rows.size(); ++i) {
    if (remove(rows[i])) continue;
    if (selected == i) keptSelection = kept.size();
    kept.push_back(std::move(rows[i]));
  }
  rows = std::move(kept);
  selected = keptSelection;
}

void SettingsDialog::DropDeletedRows() {
  RemoveRowsIf([](const TaskRow& row) { return *row.slot == 0; });
}

void SettingsDialog::RemoveRowsOfSlot(std::int32_t slot) {
  RemoveRowsIf([slot](const TaskRow& row) { return *row.slot == slot; });
}

}  // namespace velmaro
