// The task editor TForm5: one task's trigger kind and fields, action name and
// argument. Its OK composes the trigger text, stores the task and adds its
// row to the task list of the most recent settings dialog.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "dialogs/slot_tracker.h"
#include "platform/clock.h"
#include "scheduler/conditions.h"
#include "store/field_convert.h"
#include "store/task_options.h"
#include "store/task_store.h"
#include "store/trigger_text.h"

namespace velmaro {

class Dialogs;

struct TimeOfDay {
  int hour = 0;
  int minute = 0;
  int second = 0;
  bool operator==(const TimeOfDay& other) const {
    return hour == other.hour && minute == other.minute && second == other.second;
  }
};

// What the digit-only fields (Edit1, Edit3, Edit4) take when typed or pasted:
// digits and backspace.
bool DigitFieldAccepts(char32_t character);

// "开机时间:" + hours "时" minutes "分" seconds "秒" from the millisecond count.
std::string UptimeCaption(std::uint32_t tickCount);

// How often an open editor reads the network and the processor.
constexpr std::uint32_t kReadingsMs = 2000;

// The texts of those readings over one interval.
std::string NetworkReading(const LoadRates& rates, bool connected);
std::string ProcessorReading(const LoadRates& rates);

// The hint of the idle minutes field (Edit1).
extern const char kIdleMinutesHint[];

// True for a text of digits whose value fits a signed 32-bit field, which is
// how the evaluation tick reads every number of a trigger text.
bool FitsNumberField(const std::string& digits);

// The controls of the trigger kinds, and what the editor makes of them: the
// fields a stored trigger text fills in, what OK refuses of them, and the
// text OK composes. A task given as its stored texts rather than typed in
// (task_check.h) goes through these same steps, so the two never disagree.
struct TriggerControls {
  // `checked` is the one radio button of the kinds that is checked, if any. The kinds' fields are
  // shown by the members their row of VELMARO_TRIGGER_KINDS names.
  std::optional<TriggerKind> checked;
  std::string Edit1;  // idle minutes
  CalendarDate DateTimePicker1{2009, 1, 19};
  TimeOfDay DateTimePicker2, DateTimePicker3, DateTimePicker4, DateTimePicker5, DateTimePicker6;
  std::string ComboBox1 = "1";  // weekday
  std::string ComboBox2 = "1";  // day of the month
  std::string ComboBox3 = "1";  // month
  std::string ComboBox4 = "1";  // day
  std::string Edit3, Edit4;     // hours and minutes after start-up
  // The condition kinds: minutes and KB/s of a quiet network, minutes and
  // percent of a quiet processor, the name of the program that is to end.
  std::string Edit5 = "10", Edit6 = "50";
  std::string Edit7 = "10", Edit8 = "10";
  std::string ComboBox7;

  // Fills the fields of `trigger.kind` from the stored `text`, converting
  // every field in the order written as the tick converts it, so that a text
  // the tick fails on at some minute is never shown as one that works; the
  // text fields keep their texts as stored. Throws AppError for a field that
  // does not convert, leaving the fields partly filled.
  void Fill(const std::string& text, const ParsedTrigger& trigger, ClockService& clock);
  // What OK cannot store of the checked kind's fields as they stand (a
  // number missing or past 32 bits, a condition the tick would fail on), or
  // "" when it can. A kind must be checked.
  std::string FieldRefusal(ClockService& clock) const;
  // The checked kind's fields as the controls hold them, in the order written.
  std::vector<std::string> TriggerFields(ClockService& clock) const;
  // The trigger text of the checked kind; empty boot fields become "0" first.
  std::string ComposeTriggerText(ClockService& clock);
};

class TaskEditor : public TriggerControls {
 public:
  explicit TaskEditor(Dialogs& dialogs) : dialogs_(dialogs) {}
  TaskEditor(const TaskEditor&) = delete;
  TaskEditor& operator=(const TaskEditor&) = delete;

  Dialogs& Owner() { return dialogs_; }

  // The controls, as the window shows them; the trigger kinds' are those
  // of TriggerControls.
  std::vector<std::string> ComboBox7Items;  // the running programs, when its list opens
  std::string Label9;           // the uptime
  // What the computer is doing now, under the network's and the processor's
  // rows, so that a threshold can be chosen that means something here.
  std::string Label14, Label15;
  std::string ComboBox5;        // action name
  std::string Label6 = "提醒语:";
  std::string ComboBox6;  // action argument
  std::vector<std::string> ComboBox6Items;
  std::string ComboBox6Hint;
  bool CheckBox1 = false;  // "唤醒计算机运行"
  bool CheckBox2 = false;  // "错过后补做"
  bool visible = false;
  // The text fields whose text has no code page 936 form (set by the window,
  // which keeps the text as typed): OK refuses to store them.
  std::vector<std::string TaskEditor::*> unstorable;

  void FormCreate();
  void ComboBox5Change();
  void Button1Click();  // browse for the argument
  void Button2Click();  // OK
  void Button3Click();  // cancel
  // The program list opens: the names of the programs running now, each
  // once, sorted; names without a code page 936 form are left out.
  void ComboBox7DropDown();
  void FormClose() { visible = false; }
  // The boxes can be ticked only where the kind checked and the action
  // named allow them; they are greyed out otherwise, and OK stores them off.
  bool CheckBox1Enabled() const;
  bool CheckBox2Enabled() const;
  // Another kind was checked: the window greys the boxes as it now allows.
  void RadioButtonClick() {}
  // The readings start afresh (the window shows), and are taken again every
  // kReadingsMs while it shows.
  void StartReadings();
  void ReadingsTimer();

  // Fills the controls from a stored task. A field that does not convert
  // throws and leaves every trigger field as a fresh editor has it, for the
  // user to fill in; the action name and argument are filled before.
  void FillFrom(const TaskSlot& task);
  // An argument that names a file, whose short 8.3 form may stand in for it.
  bool ArgumentIsPath() const;
  // From now on OK rewrites that task, wherever deletions move it; an editor
  // that never got here adds a new task.
  void Modifies(SlotRef slot) { target_ = std::move(slot); }
  const SlotRef& Target() const { return target_; }

 private:
  // What OK cannot store as the fields stand, or "" when it can.
  std::string Refusal() const;
  bool Unstorable(std::string TaskEditor::*text) const;
  // The task's options moved with it to where OK stored it.
  void StoreOptions(const std::optional<TaskKey>& before, std::int32_t slot, const TaskSlot& task);

  Dialogs& dialogs_;
  SlotRef target_;
  LoadMeter readings_;
};

}  // namespace velmaro
