#include "dialogs/task_editor.h"

#include <algorithm>
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

struct StoredText {
  std::string TaskEditor::*text;
  const char* name;                // as the message names it; null: Label6's caption
  std::optional<TriggerKind> kind;  // stored only with this kind; none: always
};
const StoredText kStoredTexts[] = {
    {&TaskEditor::ComboBox1, "星期", TriggerKind::Weekly}, {&TaskEditor::ComboBox2, "日期", TriggerKind::Monthly},
    {&TaskEditor::ComboBox3, "月份", TriggerKind::Yearly}, {&TaskEditor::ComboBox4, "日期", TriggerKind::Yearly},
    {&TaskEditor::ComboBox5, "任务类型", std::nullopt},     {&TaskEditor::ComboBox6, nullptr, std::nullopt},
    {&TaskEditor::ComboBox7, "程序", TriggerKind::ProgramEnded},
};

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
  ComboBox6Items = row->items;
  ComboBox6Hint = row->hint;
  switch (row->argument) {
    case ArgumentRule::Empty: break;
    case ArgumentRule::FirstItem: ComboBox6 = row->items.front(); break;
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

std::string TaskEditor::Refusal() const {
  for (const StoredText& field : kStoredTexts) {
    if (field.kind && field.kind != checked) continue;
    if (std::find(unstorable.begin(), unstorable.end(), field.text) == unstorable.end()) continue;
    return "“" + (field.name ? std::string(field.name) : FieldName(Label6)) + "”" + kUnstorableText;
  }
  switch (*checked) {
    case TriggerKind::Idle:
      // 空闲分钟 could never be read back: every tick would fail on it.
      if (Edit1.empty()) return "请输入空闲分钟数";
      if (!FitsNumberField(Edit1)) return std::string("空闲分钟数") + kNumberRange;
      break;
    case TriggerKind::Boot:
      // Empty fields become "0"; a number past 32 bits would fail every tick.
      if (!Edit3.empty() && !FitsNumberField(Edit3)) return std::string("开机小时数") + kNumberRange;
      if (!Edit4.empty() && !FitsNumberField(Edit4)) return std::string("开机分钟数") + kNumberRange;
      break;
    case TriggerKind::NetworkQuiet:
    case TriggerKind::ProcessorQuiet:
    case TriggerKind::ProgramEnded: {
      // The tick's own reading decides: a text it would fail on is never stored.
      const std::string text = ComposeTrigger(*checked, ConditionFields());
      try {
        ReadConditionTrigger(text, *ParseTrigger(text));
      } catch (const AppError& error) {
        return error.what();
      }
      break;
    }
    default: break;
  }
  return "";
}

std::vector<std::string> TaskEditor::ConditionFields() const {
  switch (*checked) {
    case TriggerKind::NetworkQuiet: return {Edit5, Edit6};
    case TriggerKind::ProcessorQuiet: return {Edit7, Edit8};
    default: return {ComboBox7};
  }
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

std::string TaskEditor::ComposeTriggerText() {
  auto hm = [](const TimeOfDay& time) { return std::vector<std::string>{Decimal(time.hour), Decimal(time.minute)}; };
  auto with = [](std::vector<std::string> first, const std::vector<std::string>& rest) {
    first.insert(first.end(), rest.begin(), rest.end());
    return first;
  };
  std::vector<std::string> fields;
  switch (*checked) {
    case TriggerKind::Idle: fields = {Edit1}; break;
    case TriggerKind::Once: {
      ClockService& clock = dialogs_.services.clock;
      const DateFormat format = ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator());
      fields = with({WriteDateField(DateTimePicker1, format, clock.LocalTime().wYear)}, hm(DateTimePicker2));
      break;
    }
    case TriggerKind::Daily: fields = hm(DateTimePicker3); break;
    case TriggerKind::Weekly: fields = with({ComboBox1}, hm(DateTimePicker4)); break;
    case TriggerKind::Monthly: fields = with({ComboBox2}, hm(DateTimePicker5)); break;
    case TriggerKind::Yearly: fields = with({ComboBox3, ComboBox4}, hm(DateTimePicker6)); break;
    case TriggerKind::Boot:
      if (Edit3.empty()) Edit3 = "0";
      if (Edit4.empty()) Edit4 = "0";
      fields = {Edit3, Edit4};
      break;
    case TriggerKind::NetworkQuiet:
    case TriggerKind::ProcessorQuiet:
    case TriggerKind::ProgramEnded: fields = ConditionFields(); break;
  }
  return ComposeTrigger(*checked, fields);
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
  const TaskSlot task{ComposeTriggerText(), ComboBox5, ComboBox6};
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

void TaskEditor::ResetTriggerFields() {
  const TaskEditor fresh(dialogs_);
  checked.reset();
  Edit1 = fresh.Edit1;
  DateTimePicker1 = fresh.DateTimePicker1;
  DateTimePicker2 = DateTimePicker3 = DateTimePicker4 = DateTimePicker5 = DateTimePicker6 = TimeOfDay{};
  ComboBox1 = fresh.ComboBox1;
  ComboBox2 = fresh.ComboBox2;
  ComboBox3 = fresh.ComboBox3;
  ComboBox4 = fresh.ComboBox4;
  Edit3 = fresh.Edit3;
  Edit4 = fresh.Edit4;
  Edit5 = fresh.Edit5;
  Edit6 = fresh.Edit6;
  Edit7 = fresh.Edit7;
  Edit8 = fresh.Edit8;
  ComboBox7 = fresh.ComboBox7;
}

void TaskEditor::FillFrom(const TaskSlot& task) {
  ComboBox5 = task.action;
  ComboBox6 = task.argument;
  const std::optional<ParsedTrigger> trigger = ParseTrigger(task.trigger);
  if (!trigger) return;
  try {
    FillTrigger(task.trigger, *trigger);
  } catch (...) {
    // Half a broken text would look like a task that works.
    ResetTriggerFields();
    throw;
  }
}

void TaskEditor::FillTrigger(const std::string& text, const ParsedTrigger& trigger) {
  if (IsConditionKind(trigger.kind)) {
    // Read as the tick reads it; the fields keep their texts as stored.
    ReadConditionTrigger(text, trigger);
    checked = trigger.kind;
    const std::vector<std::string>& f = trigger.fields;
    switch (trigger.kind) {
      case TriggerKind::NetworkQuiet:
        Edit5 = f[0];
        Edit6 = f[1];
        break;
      case TriggerKind::ProcessorQuiet:
        Edit7 = f[0];
        Edit8 = f[1];
        break;
      default: ComboBox7 = f[0]; break;
    }
    return;
  }
  ClockService& clock = dialogs_.services.clock;
  const std::vector<std::string>& f = trigger.fields;
  // Every field converts, in the order written, as the tick converts it: a
  // text the tick fails on at some minute is never shown as one that works.
  // The digit fields keep their texts as stored.
  CalendarDate date = DateTimePicker1;
  for (std::size_t i = 0; i < f.size(); ++i) {
    if (trigger.kind == TriggerKind::Once && i == 0) {
      date = ReadDateField(f[0], ParseDateFormat(clock.ShortDateFormat(), clock.DateSeparator()),
                           clock.LocalTime().wYear);
    } else {
      ReadNumberField(f[i]);
    }
  }
  const TriggerKind kind = trigger.kind;
  checked = kind;
  switch (kind) {
    case TriggerKind::Idle: Edit1 = f[0]; break;
    case TriggerKind::Once:
      DateTimePicker1 = date;
      DateTimePicker2 = TimeFromFields(f[1], f[2]);
      break;
    case TriggerKind::Daily: DateTimePicker3 = TimeFromFields(f[0], f[1]); break;
    case TriggerKind::Weekly:
      ComboBox1 = f[0];
      DateTimePicker4 = TimeFromFields(f[1], f[2]);
      break;
    case TriggerKind::Monthly:
      ComboBox2 = f[0];
      DateTimePicker5 = TimeFromFields(f[1], f[2]);
      break;
    case TriggerKind::Yearly:
      ComboBox3 = f[0];
      ComboBox4 = f[1];
      DateTimePicker6 = TimeFromFields(f[2], f[3]);
      break;
    case TriggerKind::Boot:
      Edit3 = f[0];
      Edit4 = f[1];
      break;
    default: break;
  }
}

}  // namespace velmaro
