// The trigger text: the whole schedule of a task slot as one code page 936
// string, such as 每天22时30分. Its fields are found by bytes, not by
// characters, so that every reader takes apart old and odd texts the same way.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <optional>
#include <initializer_list>
#include <string>
#include <vector>

namespace velmaro {

// What a field of a trigger text holds. It decides how the tick reads and
// matches the field, and what the editor checks of it.
enum class TriggerField : std::uint8_t {
  Date,  // the once kind's date, in the short date format
  Month,
  Day,
  Weekday,  // 0 = Sunday; "7" is read as "0"
  Hour,
  Minute,
  IdleMinutes,  // minutes without input
  UptimeHours,
  UptimeMinutes,
  QuietMinutes,  // how long the network or the processor stays quiet
  KbPerSecond,   // in each direction
  BusyPercent,
  Program,  // a file name, running to the end of the text
};
constexpr std::size_t kTriggerFieldKinds = 13;
static_assert(static_cast<std::size_t>(TriggerField::Program) + 1 == kTriggerFieldKinds);

// How the tick finds a kind due.
enum class TriggerTiming : std::uint8_t {
  Idle,       // after so many minutes without input, matched now only
  Uptime,     // at a minute since start
  Clock,      // at a local minute whose parts equal the fields
  Condition,  // by what the computer did between ticks
};

// How a marker is passed over. The first seven kinds are read by every
// install, which skipped two bytes past a marker's lead byte whatever
// followed; the kinds that came later skip the marker as written.
enum class MarkerSkip : std::uint8_t { TwoBytes, Whole };

// Every trigger kind, one row each, in the order the editor lists them: its
// name; the leading word of its text, which is also its radio button's
// caption; how the tick times it; how its markers are skipped; then its
// fields in the order written, each as FIELD(marker, what it holds, the
// member of TaskEditor that shows it), a marker "" running to the end.
// The three condition words share no first two characters with the seven,
// so an older install, which knows a kind by those two characters alone,
// finds no kind in them and skips the task.
#define VELMARO_TRIGGER_KINDS(KIND, FIELD)                                                                        \
  KIND(Idle, "空闲", Idle, TwoBytes, FIELD("分钟", IdleMinutes, Edit1))                                            \
  KIND(Once, "一次", Clock, TwoBytes, FIELD("日", Date, DateTimePicker1), FIELD("时", Hour, DateTimePicker2),       \
       FIELD("分", Minute, DateTimePicker2))                                                                      \
  KIND(Daily, "每天", Clock, TwoBytes, FIELD("时", Hour, DateTimePicker3), FIELD("分", Minute, DateTimePicker3))   \
  KIND(Weekly, "每周", Clock, TwoBytes, FIELD("日", Weekday, ComboBox1), FIELD("时", Hour, DateTimePicker4),        \
       FIELD("分", Minute, DateTimePicker4))                                                                      \
  KIND(Monthly, "每月", Clock, TwoBytes, FIELD("日", Day, ComboBox2), FIELD("时", Hour, DateTimePicker5),           \
       FIELD("分", Minute, DateTimePicker5))                                                                      \
  KIND(Yearly, "每年", Clock, TwoBytes, FIELD("月", Month, ComboBox3), FIELD("日", Day, ComboBox4),                 \
       FIELD("时", Hour, DateTimePicker6), FIELD("分", Minute, DateTimePicker6))                                  \
  KIND(Boot, "开机", Uptime, TwoBytes, FIELD("时", UptimeHours, Edit3), FIELD("分", UptimeMinutes, Edit4))         \
  KIND(NetworkQuiet, "网络空闲", Condition, Whole, FIELD("分钟", QuietMinutes, Edit5), FIELD("KB", KbPerSecond, Edit6)) \
  KIND(ProcessorQuiet, "处理器空闲", Condition, Whole, FIELD("分钟", QuietMinutes, Edit7),                        \
       FIELD("%", BusyPercent, Edit8))                                                                            \
  KIND(ProgramEnded, "程序结束", Condition, Whole, FIELD("", Program, ComboBox7))

#define VELMARO_KIND_NAME(name, ...) name,
#define VELMARO_NO_FIELD(...)
enum class TriggerKind { VELMARO_TRIGGER_KINDS(VELMARO_KIND_NAME, VELMARO_NO_FIELD) };
#undef VELMARO_NO_FIELD
#undef VELMARO_KIND_NAME

constexpr std::size_t kTriggerFieldsMax = 4;

struct TriggerFieldShape {
  const char* marker;
  TriggerField holds;
};

struct TriggerShape {
  const char* prefix;
  TriggerTiming timing;
  MarkerSkip skip;
  std::size_t fieldCount;
  std::array<TriggerFieldShape, kTriggerFieldsMax> fields;
};

#define VELMARO_SHAPE_FIELD(marker, holds, control) TriggerFieldShape{marker, TriggerField::holds}
#define VELMARO_SHAPE(name, prefix, timing, skip, ...)                                                   \
  TriggerShape{prefix, TriggerTiming::timing, MarkerSkip::skip,                                         \
               std::initializer_list<TriggerFieldShape>{__VA_ARGS__}.size(), {{__VA_ARGS__}}},
// Indexed by TriggerKind.
inline constexpr TriggerShape kTriggerShapes[] = {VELMARO_TRIGGER_KINDS(VELMARO_SHAPE, VELMARO_SHAPE_FIELD)};
#undef VELMARO_SHAPE
#undef VELMARO_SHAPE_FIELD
constexpr std::size_t kTriggerKindCount = sizeof kTriggerShapes / sizeof kTriggerShapes[0];

constexpr const TriggerShape& ShapeOf(TriggerKind kind) { return kTriggerShapes[static_cast<std::size_t>(kind)]; }
constexpr TriggerKind KindAt(std::size_t index) { return static_cast<TriggerKind>(index); }

constexpr bool Holds(const TriggerShape& shape, TriggerField holds) {
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    if (shape.fields[i].holds == holds) return true;
  }
  return false;
}

constexpr bool IsConditionKind(TriggerKind kind) { return ShapeOf(kind).timing == TriggerTiming::Condition; }
// The kinds that name a date or a time of day: each occurrence is a local
// minute known ahead, which the computer can be woken for and caught up.
constexpr bool IsCalendarKind(TriggerKind kind) { return ShapeOf(kind).timing == TriggerTiming::Clock; }

// The prefix, then each field followed by its marker. Missing fields are
// written empty and extra ones are dropped: composing never fails.
std::string ComposeTrigger(TriggerKind kind, const std::vector<std::string>& fields);

// The kind named by the text's leading word, or none: the first two
// characters for the seven, the whole word for the condition kinds.
std::optional<TriggerKind> TriggerKindOf(const std::string& text);

// A trigger text taken apart: its kind and its field texts in the order they
// are written, unconverted, as ScanTriggerFields returns them. Converting
// them is the reader's business, field by field, so that each reader decides
// which field fails first.
struct ParsedTrigger {
  TriggerKind kind;
  std::vector<std::string> fields;
};

// None when the leading word names no kind; never fails otherwise.
std::optional<ParsedTrigger> ParseTrigger(const std::string& text);

// The field texts in the order they are written, unconverted. Never fails: a
// malformed text yields empty or odd fields. A weekday "7" comes back as "0".
// The seven skip a marker as two bytes whatever follows its lead byte; the
// condition kinds skip the whole marker, and a program name runs to the end.
std::vector<std::string> ScanTriggerFields(const std::string& text, TriggerKind kind);

// A condition trigger's fields, converted and checked.
struct ConditionTrigger {
  TriggerKind kind = TriggerKind::NetworkQuiet;
  std::uint32_t minutes = 0;    // network and processor: how long it stays quiet
  std::uint32_t threshold = 0;  // KB/s in each direction, or percent busy
  std::string program;          // the program's file name
};

constexpr std::uint32_t kConditionMinutesMax = 1440;
constexpr std::uint32_t kNetworkKbMax = 1048576;  // 1 GB/s, beyond any link the program meets
constexpr std::uint32_t kProcessorPercentMax = 99;
constexpr std::size_t kProgramNameMax = 128;  // bytes

// The fields of a condition trigger, each checked against its range, and the
// whole text against the one form composing gives: these texts are new, so a
// reader accepts them only as written (no sign, blank, leading zero or text
// after the last marker). Throws AppError naming the field and its range.
ConditionTrigger ReadConditionTrigger(const std::string& text, const ParsedTrigger& parsed);

// Why `name` cannot be a watched program's name, or "" when it can: empty,
// too long, a path, a character no file name holds, a trailing dot or blank,
// or no extension.
std::string ProgramNameFault(const std::string& name);

}  // namespace velmaro
