#include "dialogs/task_editor.h"

#include <algorithm>
#include <array>
#include <utility>

#include "actions/action_table.h"
#include "base/error.h"
#include "base/gbk.h"
#include "dialogs/dialogs.h"
#include "scheduler/tick_window.h"

namespace velmaro {

namespace {

std::string Decimal(int value) { return std::to_string(value); }

// A stored hour and minute as a time of day; the pickers hold nothing else.
TimeOfDay TimeFromFields(const std::string& hours, const std::string& minutes) {
  const std::int32_t hour = ReadNumberField(hours);
  const std::int32_t minute = ReadNumberField(minutes);
  if (hour < 0 || hour > 23 || minute < 0 || minute > 59) {
    throw AppError(QuotedMessage("", hours + ":" + minutes, " is not a valid time"));
  }
  return TimeOfDay{hour, minute, 0};
}

// The control that shows a trigger field: a text as typed, the date picker,
// or a time picker, which shows an hour field and the minute field after it.
struct FieldControl {
  std::string TriggerControls::*text;
  CalendarDate TriggerControls::*date;
  TimeOfDay TriggerControls::*time;
};
constexpr FieldControl Control(std::string TriggerControls::*text) { return {text, nullptr, nullptr}; }
constexpr FieldControl Control(CalendarDate TriggerControls::*date) { return {nullptr, date, nullptr}; }
constexpr FieldControl Control(TimeOfDay TriggerControls::*time) { return {nullptr, nullptr, time}; }

using KindControls = std::array<FieldControl, kTriggerFieldsMax>;
#define VELMARO_FIELD_CONTROL(marker, holds, control) Control(&TriggerControls::control)
#define VELMARO_KIND_CONTROLS(name, prefix, timing, skip, ...) KindControls{{__VA_ARGS__}},
// Indexed by TriggerKind, each field's control in the order written.
constexpr KindControls kKindControls[] = {VELMARO_TRIGGER_KINDS(VELMARO_KIND_CONTROLS, VELMARO_FIELD_CONTROL)};
#undef VELMARO_KIND_CONTROLS
#undef VELMARO_FIELD_CONTROL

// What a field holds says which control can show it: a date the date picker,
// an hour a time picker whose minute is the next field, anything else a text.
constexpr bool ControlsFitTheirFields() {
  for (std::size_t k = 0; k < kTriggerKindCount; ++k) {
    const TriggerShape& shape = kTriggerShapes[k];
    const KindControls& controls = kKindControls[k];
    for (std::size_t i = 0; i < shape.fieldCount; ++i) {
      const TriggerField holds = shape.fields[i].holds;
      const FieldControl& c = controls[i];
      const bool time = holds == TriggerField::Hour || holds == TriggerField::Minute;
      if ((c.date != nullptr) != (holds == TriggerField::Date) || (c.time != nullptr) != time) return false;
      if ((c.text != nullptr) == (c.date != nullptr || c.time != nullptr)) return false;
      const bool minuteNext = i + 1 < shape.fieldCount && shape.fields[i + 1].holds == TriggerField::Minute;
      if (holds == TriggerField::Hour && !(minuteNext && controls[i + 1].time == c.time)) return false;
      if (holds == TriggerField::Minute && (i == 0 || shape.fields[i - 1].holds != TriggerField::Hour)) return false;
    }
  }
  return true;
}
static_assert(sizeof kKindControls / sizeof kKindControls[0] == kTriggerKindCount);
static_assert(ControlsFitTheirFields(), "a trigger field is shown by a control that cannot hold it");

const KindControls& ControlsOf(TriggerKind kind) { return kKindControls[static_cast<std::size_t>(kind)]; }

// What OK makes of a field typed into a text control.
enum class Entry : std::uint8_t {
  AsTyped,       // stored as it stands; a condition's fields are then read as the tick reads them
  Number,        // a number the tick reads, which must fit 32 bits; blank is refused
  NumberOrZero,  // the same, but blank stores "0"
};
struct FieldEntry {
  const char* name;  // as messages name the field; null where the condition's reading names it
  Entry entry;
};
FieldEntry EntryOf(TriggerField holds) {
  switch (holds) {
    case TriggerField::Month: return {"月份", Entry::AsTyped};
    case TriggerField::Day: return {"日期", Entry::AsTyped};
    case TriggerField::Weekday: return {"星期", Entry::AsTyped};
    // 空闲分钟 could never be read back: every tick would fail on it.
    case TriggerField::IdleMinutes: return {"空闲分钟数", Entry::Number};
    case TriggerField::UptimeHours: return {"开机小时数", Entry::NumberOrZero};
    case TriggerField::UptimeMinutes: return {"开机分钟数", Entry::NumberOrZero};
    case TriggerField::Program: return {"程序", Entry::AsTyped};
    case TriggerField::Date:
    case TriggerField::Hour:
    case TriggerField::Minute:
    case TriggerField::QuietMinutes:
    case TriggerField::KbPerSecond:
    case TriggerField::BusyPercent: break;
  }
  return {nullptr, Entry::AsTyped};
}

// The action's texts, stored whatever the kind; null: named by Label6's caption.
struct ActionText {
  std::string TaskEditor::*text;
  const char* name;
};
const ActionText kActionTexts[] = {{&TaskEditor::ComboBox5, "任务类型"}, {&TaskEditor::ComboBox6, nullptr}};

// "提醒语：" names its field as "提醒语".
std::string FieldName(std::string caption) {
  for (const std::string colon : {"：", ":"}) {
    if (caption.size() >= colon.size() && caption.compare(caption.size() - colon.size(), colon.size(), colon) == 0) {
      caption.erase(caption.size() - colon.size());
      break;
    }
  }
  return caption;
}

const char kNumberRange[] = "应是0到2147483647之间的整数";

}  // namespace

const char kIdleMinutesHint[] =
    "鼠标和键盘连续这么多分钟没有操作时执行（0到2147483647）；填0时，在用户正在使用计算机时执行，每次操作后一分钟之内";

bool FitsNumberField(const std::string& digits) {
  if (digits.empty()) return false;
  std::int64_t value = 0;
  for (char c : digits) {
    if (c < '0' || c > '9') return false;
    value = value * 10 + (c - '0');
    if (value > INT32_MAX) return false;
  }
  return true;
}

bool DigitFieldAccepts(char32_t character) { return (character >= U'0' && character <= U'9') || character == 8; }

std::string UptimeCaption(std::uint32_t tickCount) {
  const std::uint32_t seconds = tickCount / 1000u;
  return "开机时间:" + std::to_string(seconds / 3600u) + "时" + std::to_string(seconds % 3600u / 60u) + "分" +
         std::to_string(seconds % 60u) + "秒";
}

void TaskEditor::FormCreate() {
  Label9 = UptimeCaption(dialogs_.services.clock.TickCount());
  StartReadings();
}

namespace {

constexpr char kMeasuring[] = "现在：正在测量…";

}  // namespace

std::string NetworkReading(const LoadRates& rates, bool connected) {
  if (rates.receivedPerSecond && rates.sentPerSecond) {
    return "现在：下行" + std::to_string(*rates.receivedPerSecond / 1024) + "KB/秒，上行" +
           std::to_string(*rates.sentPerSecond / 1024) + "KB/秒";
  }
  return connected ? "现在：读不到网速" : "现在：没有已连接的网卡，不算空闲";
}

std::string ProcessorReading(const LoadRates& rates) {
  if (!rates.busyPerMille) return "现在：读不到处理器占用";
  // Whole percent, rounded down, as the threshold compares: 9.9 % is below 10 %.
  return "现在：占用" + std::to_string(*rates.busyPerMille / 10) + "%（所有核心合计）";
}

void TaskEditor::StartReadings() {
  readings_.Restart();
  if (!dialogs_.services.load) return;
  Label14 = Label15 = kMeasuring;
  ReadingsTimer();
}

void TaskEditor::ReadingsTimer() {
  SystemLoadService* load = dialogs_.services.load;
  if (!load) return;
  const std::uint32_t now = dialogs_.services.clock.TickCount();
  std::vector<InterfaceBytes> interfaces;
  const bool haveInterfaces = load->Interfaces(&interfaces);
  const LoadRates network = readings_.SampleNetwork(now, haveInterfaces, interfaces);
  if (network.intervalMs > 0) Label14 = NetworkReading(network, !haveInterfaces || !interfaces.empty());
  ProcessorTimes times;
  const bool haveProcessor = load->Processor(&times);
  const LoadRates processor = readings_.SampleProcessor(now, haveProcessor, times);
  if (processor.intervalMs > 0) Label15 = ProcessorReading(processor);
}

void TaskEditor::ComboBox5Change() {
  ComboBox6Items.clear();
  ComboBox6.clear();
  ComboBox6Hint.clear();
  // Any typed text names no row: the field is emptied and the label stays.
  const ActionRow* row = FindAction(ComboBox5);
  if (!row) return;
  if (row->label) Label6 = row->label;
  for (const char* item : row->items) {
    if (item) ComboBox6Items.push_back(item);
  }
  ComboBox6Hint = row->hint;
  switch (row->argument) {
    case ArgumentRule::Empty: break;
    case ArgumentRule::FirstItem: ComboBox6 = row->items[0]; break;
    case ArgumentRule::Hint: ComboBox6 = row->hint; break;
    case ArgumentRule::ActionName: ComboBox6 = row->name; break;
  }
}

bool TaskEditor::ArgumentIsPath() const {
  const ActionRow* row = FindAction(ComboBox5);
  return row && row->argumentIsPath;
}

void TaskEditor::Button1Click() {
  const std::optional<ChosenFile> file = dialogs_.services.files.OpenFile(dialogs_.WindowOf(*this), OpenFileRequest());
  if (!file) return;
  if (!file->storable) {
    dialogs_.Refuse(kUnstorablePath);
    return;
  }
  ComboBox6 = file->path;
}

bool TaskEditor::Unstorable(std::string TaskEditor::*text) const {
  return std::find(unstorable.begin(), unstorable.end(), text) != unstorable.end();
}

std::string TaskEditor::Refusal() const {
  const TriggerShape& shape = ShapeOf(*checked);
  const KindControls& controls = ControlsOf(*checked);
  // A digit field always has a code page 936 form; the number checks below name it.
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const FieldEntry field = EntryOf(shape.fields[i].holds);
    if (controls[i].text && field.name && field.entry == Entry::AsTyped && Unstorable(controls[i].text)) {
      return "“" + std::string(field.name) + "”" + kUnstorableText;
    }
  }
  for (const ActionText& field : kActionTexts) {
    if (!Unstorable(field.text)) continue;
    return "“" + (field.name ? std::string(field.name) : FieldName(Label6)) + "”" + kUnstorableText;
  }
  return FieldRefusal(dialogs_.services.clock);
}

std::string TriggerControls::FieldRefusal(ClockService& clock) const {
  const TriggerShape& shape = ShapeOf(*checked);
  const KindControls& controls = ControlsOf(*checked);
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const FieldEntry field = EntryOf(shape.fields[i].holds);
    if (!controls[i].text || field.entry == Entry::AsTyped) continue;
    const std::string& value = this->*controls[i].text;
    if (value.empty() && field.entry == Entry::Number) return std::string("请输入") + field.name;
    // A number past 32 bits would fail every tick.
    if (!value.empty() && !FitsNumberField(value)) return field.name + std::string(kNumberRange);
  }
  if (shape.timing == TriggerTiming::Condition) {
    // The tick's own reading decides: a text it would fail on is never stored.
    const std::string text = ComposeTrigger(*checked, TriggerFields(clock));
    try {
      ReadConditionTrigger(text, *ParseTrigger(text));
    } catch (const AppError& error) {
      return error.what();
    }
  }
  return "";
}

std::vector<std::string> TriggerControls::TriggerFields(ClockService& clock) const {
  const TriggerShape& shape = ShapeOf(*checked);
  const KindControls& controls = ControlsOf(*checked);
  std::vector<std::string> fields;
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const FieldControl& c = controls[i];
    if (c.text) {
      fields.push_back(this->*c.text);
    } else if (c.date) {
      const DateFormat format = ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator());
      fields.push_back(WriteDateField(this->*c.date, format, clock.LocalTime().wYear));
    } else {
      const TimeOfDay& time = this->*c.time;
      fields.push_back(Decimal(shape.fields[i].holds == TriggerField::Hour ? time.hour : time.minute));
    }
  }
  return fields;
}

void TaskEditor::ComboBox7DropDown() {
  std::vector<std::string> names;
  ProcessService& processes = dialogs_.services.processes;
  for (const ProcessEntry& entry : processes.Processes()) {
    if (entry.id == 0) continue;  // the system's idle process is no program
    std::string name = processes.CodePageName(FileNamePart(entry.exeFile));
    // Only a name the tick can watch.
    if (!name.empty() && ProgramNameFault(name).empty()) names.push_back(std::move(name));
  }
  std::sort(names.begin(), names.end());
  names.erase(std::unique(names.begin(), names.end()), names.end());
  ComboBox7Items = std::move(names);
}

std::string TriggerControls::ComposeTriggerText(ClockService& clock) {
  const TriggerShape& shape = ShapeOf(*checked);
  const KindControls& controls = ControlsOf(*checked);
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    std::string TriggerControls::*text = controls[i].text;
    if (text && EntryOf(shape.fields[i].holds).entry == Entry::NumberOrZero && (this->*text).empty()) this->*text = "0";
  }
  return ComposeTrigger(*checked, TriggerFields(clock));
}

void TaskEditor::Button2Click() {
  if (!checked) {
    dialogs_.Refuse("请选择时间");
    return;
  }
  const std::string refusal = Refusal();
  if (!refusal.empty()) {
    dialogs_.Refuse(refusal);
    return;
  }
  // A task deleted since Modify opened this editor is stored anew.
  const std::int32_t rewritten = target_ ? *target_ : 0;
  const TaskSlot task{ComposeTriggerText(dialogs_.services.clock), ComboBox5, ComboBox6};
  TaskStore& store = dialogs_.store;
  TaskOptions* options = dialogs_.options;
  const bool keepsOptions = options && (options->Any() || (CheckBox1Enabled() && CheckBox1) ||
                                        (CheckBox2Enabled() && CheckBox2));
  std::optional<TaskKey> before;
  if (keepsOptions && rewritten > 0) before = KeyOfSlot(store, rewritten);
  const std::int32_t slot = rewritten > 0 ? rewritten : store.AllocateSlot();
  store.WriteSlot(slot, task);
  if (keepsOptions) StoreOptions(before, slot, task);
  dialogs_.TaskStored(slot, task, rewritten > 0);
  visible = false;
}

void TaskEditor::Button3Click() { visible = false; }

bool TaskEditor::CheckBox1Enabled() const { return MayWake(checked); }
bool TaskEditor::CheckBox2Enabled() const { return MayCatchUp(checked, ComboBox5); }

void TaskEditor::StoreOptions(const std::optional<TaskKey>& before, std::int32_t slot, const TaskSlot& task) {
  TaskOptions& options = *dialogs_.options;
  TaskOptionSet next{CheckBox1Enabled() && CheckBox1, CheckBox2Enabled() && CheckBox2, std::nullopt};
  if (next.catchUp) {
    // The same task keeps its last run. A task new, changed or just given
    // the option has missed nothing before now: it was not asked to.
    const TaskOptionSet previous = before ? options.Of(*before) : TaskOptionSet();
    const bool same = before && before->trigger == task.trigger && before->action == task.action;
    next.lastRun = same && previous.catchUp && previous.lastRun
                       ? previous.lastRun
                       : std::optional<std::int64_t>(LocalMinuteOf(dialogs_.services.clock.LocalTime()));
  }
  if (before) options.Removed(*before);
  options.Inserted(KeyOfSlot(dialogs_.store, slot), next);
  dialogs_.store.CloseStore();
}

void TaskEditor::FillFrom(const TaskSlot& task) {
  ComboBox5 = task.action;
  ComboBox6 = task.argument;
  const std::optional<ParsedTrigger> trigger = ParseTrigger(task.trigger);
  if (!trigger) return;
  try {
    Fill(task.trigger, *trigger, dialogs_.services.clock);
  } catch (...) {
    // Half a broken text would look like a task that works.
    static_cast<TriggerControls&>(*this) = TriggerControls();
    throw;
  }
}

void TriggerControls::Fill(const std::string& text, const ParsedTrigger& trigger, ClockService& clock) {
  const TriggerShape& shape = ShapeOf(trigger.kind);
  const std::vector<std::string>& f = trigger.fields;
  CalendarDate date = DateTimePicker1;
  if (shape.timing == TriggerTiming::Condition) {
    ReadConditionTrigger(text, trigger);
  } else {
    for (std::size_t i = 0; i < f.size(); ++i) {
      if (shape.fields[i].holds == TriggerField::Date) {
        date = ReadDateField(f[i], ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator()),
                             clock.LocalTime().wYear);
      } else {
        ReadNumberField(f[i]);
      }
    }
  }
  checked = trigger.kind;
  const KindControls& controls = ControlsOf(trigger.kind);
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const FieldControl& c = controls[i];
    if (c.text) this->*c.text = f[i];
    if (c.date) this->*c.date = date;
    if (c.time && shape.fields[i].holds == TriggerField::Hour) this->*c.time = TimeFromFields(f[i], f[i + 1]);
  }
}

}  // namespace velmaro
