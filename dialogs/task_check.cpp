#include "dialogs/task_check.h"

#include "actions/action_table.h"
#include "base/error.h"
#include "dialogs/task_editor.h"

namespace velmaro {

namespace {

// "甲、乙或丙": the words a message offers, from the tables that define them,
// so that a new kind or action is offered the day it is added.
class ChoiceList {
 public:
  void Add(const char* word) {
    if (!last_.empty()) text_ += (text_.empty() ? "" : "、") + last_;
    last_ = word;
  }
  std::string Text() const { return text_.empty() ? last_ : text_ + "或" + last_; }

 private:
  std::string text_;
  std::string last_;
};

std::string KindPrefixes() {
  ChoiceList list;
  for (const TriggerShape& shape : kTriggerShapes) list.Add(shape.prefix);
  return list.Text();
}

std::string CalendarKinds() {
  ChoiceList list;
  for (std::size_t k = 0; k < kTriggerKindCount; ++k) {
    if (IsCalendarKind(KindAt(k))) list.Add(kTriggerShapes[k].prefix);
  }
  return list.Text();
}

std::string ActionNames(bool harmlessLateOnly) {
  ChoiceList list;
  for (std::size_t i = 0; i < kActionCount; ++i) {
    if (!harmlessLateOnly || kActionTable[i].harmlessLate) list.Add(kActionTable[i].name);
  }
  return list.Text();
}

// A control character is nothing the editor's one-line fields can hold, and
// a line break would split the task's line in a task file or a listing.
bool HasControlCharacter(const std::string& text) {
  for (char c : text) {
    if (static_cast<unsigned char>(c) < 0x20 && c != '\t') return true;
  }
  return false;
}

// The text the editor stores for what `controls` hold; Sunday is written as
// the editor's weekday list offers it, "7", where the stored text has it so,
// though it fills the list with the scanner's "0".
bool StoredAsComposed(const std::string& trigger, TriggerControls controls, ClockService& clock, std::string* composed) {
  *composed = controls.ComposeTriggerText(clock);
  if (*composed == trigger) return true;
  if (controls.checked != TriggerKind::Weekly || controls.ComboBox1 != "0") return false;
  controls.ComboBox1 = "7";
  return controls.ComposeTriggerText(clock) == trigger;
}

}  // namespace

std::string TaskRefusal(const TaskSlot& task, const TaskOptionSet& options, ClockService& clock) {
  const struct {
    const std::string& text;
    const char* name;
  } texts[] = {{task.trigger, "触发时间"}, {task.action, "任务类型"}, {task.argument, "参数"}};
  for (const auto& field : texts) {
    if (HasControlCharacter(field.text)) return "“" + std::string(field.name) + "”中有控制字符（如换行），无法保存";
  }

  // The editor, filled from a trigger text it cannot place, has no kind
  // checked and would ask for one; a task given as text is told what it lacks.
  if (task.trigger.empty()) return "请填写触发时间，如每天8时0分";
  const std::optional<ParsedTrigger> parsed = ParseTrigger(task.trigger);
  if (!parsed) return QuotedMessage("", task.trigger, "不是触发时间：应以") + KindPrefixes() + "开头";

  // What Modify and then OK would make of it: the fill converts every field
  // and fails as the tick would, then OK refuses what it cannot store.
  TriggerControls controls;
  try {
    controls.Fill(task.trigger, *parsed, clock);
  } catch (const AppError& error) {
    return error.what();
  }
  const std::string refusal = controls.FieldRefusal(clock);
  if (!refusal.empty()) return refusal;
  // A text the editor would store otherwise ("每天08时05分", a date in
  // another format) reads back differently in the next Modify, or not at
  // all where the date format differs: only the editor's form is stored.
  std::string composed;
  if (!StoredAsComposed(task.trigger, controls, clock, &composed)) {
    return QuotedMessage("", task.trigger, "应写作") + QuotedMessage("", composed);
  }

  // The editor stores any action name and greys the options a task cannot
  // have; what is not typed in is refused instead of stored to do nothing.
  if (!FindAction(task.action)) return QuotedMessage("", task.action, "不是任务类型：应是") + ActionNames(false);
  if (options.wake && !MayWake(parsed->kind)) return "“唤醒计算机运行”只能用于" + CalendarKinds() + "的任务";
  if (options.catchUp && !MayWake(parsed->kind)) return "“错过后补做”只能用于" + CalendarKinds() + "的任务";
  if (options.catchUp && !MayCatchUp(parsed->kind, task.action)) {
    return "“错过后补做”只能用于" + ActionNames(true) + "：别的任务晚做会出人意料";
  }
  return "";
}

}  // namespace velmaro
