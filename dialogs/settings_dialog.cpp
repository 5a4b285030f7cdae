#include "dialogs/settings_dialog.h"

#include <algorithm>
#include <string>

#include "base/error.h"
#include "base/gbk.h"
#include "dialogs/dialogs.h"
#include "dialogs/task_editor.h"

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
  // seconds / 60 as "%.15g" writes it, worked out on the integers: at most 15
  // significant digits, the last one rounded, no trailing zeros. A number of
  // minutes k / 60 either ends within two decimals or repeats a 3 or a 6, so
  // the rounding never meets a tie, and no such number needs an exponent.
  const bool negative = seconds < 0;
  const std::uint64_t magnitude =
      negative ? 0 - static_cast<std::uint64_t>(std::int64_t{seconds}) : static_cast<std::uint64_t>(seconds);
  const std::uint64_t whole = magnitude / 60;
  std::uint64_t remainder = magnitude % 60;
  std::string digits = whole ? std::to_string(whole) : "";
  std::size_t point = digits.size();  // where the whole minutes end among the digits
  std::size_t significant = digits.size();
  while (remainder != 0 && significant < 16) {  // one digit past the 15 kept, to round by
    remainder *= 10;
    digits += static_cast<char>('0' + remainder / 60);
    remainder %= 60;
    if (significant > 0 || digits.back() != '0') ++significant;
  }
  if (significant == 16) {
    const bool up = digits.back() >= '5';
    digits.pop_back();
    for (std::size_t i = digits.size(); up && i-- > 0;) {
      if (digits[i] != '9') {
        ++digits[i];
        break;
      }
      digits[i] = '0';
      if (i == 0) {  // 9.99... becomes 10.0...
        digits.insert(0, "1");
        ++point;
      }
    }
  }
  const std::string wholeText = digits.substr(0, point);
  std::string fraction = digits.substr(point);
  while (!fraction.empty() && fraction.back() == '0') fraction.pop_back();
  std::string text = negative && (!wholeText.empty() || !fraction.empty()) ? "-" : "";
  text += wholeText.empty() ? "0" : wholeText;
  if (!fraction.empty()) text += (decimalSeparator.empty() ? "." : decimalSeparator) + fraction;
  return text;
}

std::int32_t CountdownSeconds(const std::string& text, const std::string& decimalSeparator) {
  const AppError failure(QuotedMessage("", text, " is not a valid floating point value"));
  std::size_t pos = text.find_first_not_of(' ');
  const std::size_t end = text.find_last_not_of(' ') + 1;
  if (pos == std::string::npos) throw failure;
  const bool negative = text[pos] == '-';
  if (text[pos] == '+' || text[pos] == '-') ++pos;
  const std::size_t wholeLength = DigitsFrom(text, pos);
  std::string whole = text.substr(pos, wholeLength);
  pos += wholeLength;
  std::string fraction;
  if (pos < end && (StartsAt(text, pos, decimalSeparator) || text[pos] == '.')) {
    pos += StartsAt(text, pos, decimalSeparator) ? decimalSeparator.size() : 1;
    fraction = text.substr(pos, DigitsFrom(text, pos));
    pos += fraction.size();
  }
  if (pos != end || whole.size() + fraction.size() == 0) throw failure;

  // Minutes times 60, exactly: the whole minutes, then the fraction's digits
  // times 60, whose carry is whole seconds and whose digits are the part of a
  // second left, rounded to the nearest second with halves to the even one.
  whole.erase(0, std::min(whole.find_first_not_of('0'), whole.size()));
  if (whole.size() > 9) throw failure;  // far past what 32 bits of seconds hold
  std::uint64_t total = 0;
  for (char digit : whole) total = total * 10 + static_cast<unsigned>(digit - '0');
  total *= 60;
  unsigned carry = 0;
  for (std::size_t i = fraction.size(); i-- > 0;) {
    const unsigned product = static_cast<unsigned>(fraction[i] - '0') * 60 + carry;
    fraction[i] = static_cast<char>('0' + product % 10);
    carry = product / 10;
  }
  total += carry;
  const bool pastHalf = !fraction.empty() && (fraction[0] > '5' || (fraction[0] == '5' &&
                                              fraction.find_first_not_of('0', 1) != std::string::npos));
  const bool half = !fraction.empty() && fraction[0] == '5' && !pastHalf;
  if (pastHalf || (half && total % 2 == 1)) ++total;
  if (total > (negative ? 0x80000000ull : 0x7FFFFFFFull)) throw failure;
  return static_cast<std::int32_t>(negative ? -static_cast<std::int64_t>(total) : static_cast<std::int64_t>(total));
}

bool CountdownFieldAccepts(char32_t character) { return DigitFieldAccepts(character) || character == U'.'; }

const std::int32_t kTiqianChoices[5] = {0, 1, 5, 10, 15};

std::string TiqianText(std::int32_t minutes) {
  return minutes <= 0 ? "不提醒" : "提前 " + std::to_string(minutes) + " 分钟";
}

void SettingsDialog::Fill() {
  TaskStore& store = dialogs_.store;
  rows.clear();
  selected.reset();
  store.ForEachTask([&](std::int32_t slot, const std::string& trigger) {
    rows.push_back(TaskRow{dialogs_.Track(slot), trigger, store.ReadAction(slot), store.ReadArgument(slot)});
  });
  // A stored negative length counts as no countdown, as at start-up.
  Edit5 = MinutesText(std::max<std::int32_t>(store.ReadTishi(), 0),
                      dialogs_.services.clock.DecimalSeparator());
  CheckBox5 = store.ReadShutApp() != 0;
  Edit8 = dialogs_.settings.SoundPath;
  ComboBox1 = dialogs_.settings.Tiqian;
  CheckBox2 = store.StartWithWindows(dialogs_.services.autoStart.ExecutablePath());
}

void SettingsDialog::Button1Click() {
  Settings& settings = dialogs_.settings;
  TaskStore& store = dialogs_.store;
  if (std::find(unstorable.begin(), unstorable.end(), &SettingsDialog::Edit8) != unstorable.end()) {
    dialogs_.Refuse(std::string("“关机前声音提示”") + kUnstorableText);
    return;
  }
  settings.Tishi = Edit5.empty() ? 60 : CountdownSeconds(Edit5, dialogs_.services.clock.DecimalSeparator());
  dialogs_.link.SetCountdownMax(settings.Tishi);
  store.WriteTishi(settings.Tishi);
  if (Edit8 != settings.SoundPath) {
    settings.SoundPath = Edit8;
    store.WriteSoundPath(settings.SoundPath);
  }
  settings.ShutApp = CheckBox5 ? 1 : 0;
  store.WriteShutApp(settings.ShutApp);
  if (ComboBox1 >= 0 && ComboBox1 <= Settings::kMaxTiqian) {
    settings.Tiqian = ComboBox1;
    store.WriteTiqian(settings.Tiqian);
  }

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
  const std::optional<ChosenFile> file = dialogs_.services.files.OpenFile(dialogs_.WindowOf(*this), request);
  if (!file) return;
  if (!file->storable) {
    dialogs_.Refuse(kUnstorablePath);
    return;
  }
  Edit8 = file->path;
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
    const TaskSlot task = dialogs_.store.ReadSlot(*slot);
    // A text that does not convert still names the task to repair: OK
    // rewrites it rather than adding a copy beside the broken one.
    editor.Modifies(slot);
    if (dialogs_.options && dialogs_.options->Any()) {
      const TaskOptionSet options = dialogs_.options->Of(KeyOfSlot(dialogs_.store, *slot));
      editor.CheckBox1 = options.wake;
      editor.CheckBox2 = options.catchUp;
    }
    editor.FillFrom(task);
  } catch (...) {
    dialogs_.Refresh(editor);
    throw;
  }
  dialogs_.Refresh(editor);
}

void SettingsDialog::Button6Click() {
  if (!selected) {
    dialogs_.services.shell.ShowMessageBox("请选择要删除的任务", kErrorCaption, kMbOk | kMbIconError);
    return;
  }
  const std::int32_t slot = *rows[*selected].slot;
  const std::int32_t before = dialogs_.settings.LastTaskNum;
  std::optional<TaskKey> key;
  if (dialogs_.options && dialogs_.options->Any() && slot >= 1 && slot <= before) key = KeyOfSlot(dialogs_.store, slot);
  dialogs_.store.DeleteSlot(slot);
  if (key) dialogs_.options->Removed(*key);
  // A number the store did not hold deleted nothing, and nothing may move.
  if (dialogs_.settings.LastTaskNum != before) dialogs_.TaskDeleted(slot);
}

void SettingsDialog::Close() {
  if (!visible) return;  // each dialog resumes the evaluation it stopped, once
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
