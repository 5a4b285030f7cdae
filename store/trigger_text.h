// The trigger text: the whole schedule of a task slot as one code page 936
// string, such as 每天22时30分. Its fields are found by bytes, not by
// characters, so that every reader takes apart old and odd texts the same way.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace velmaro {

// The first seven are read by every install. The three condition kinds come
// later: their leading words (网络空闲, 处理器空闲, 程序结束) share no first
// two characters with the seven, so an older install, which knows a kind by
// those two characters alone, finds no kind in them and skips the task.
enum class TriggerKind {
  Idle,
  Once,
  Daily,
  Weekly,
  Monthly,
  Yearly,
  Boot,
  NetworkQuiet,    // 网络空闲{minutes}分钟{KB/s}KB
  ProcessorQuiet,  // 处理器空闲{minutes}分钟{percent}%
  ProgramEnded,    // 程序结束{file name}
};

constexpr bool IsConditionKind(TriggerKind kind) { return kind >= TriggerKind::NetworkQuiet; }
// The kinds that name a date or a time of day: each occurrence is a local
// minute known ahead, which the computer can be woken for and caught up.
constexpr bool IsCalendarKind(TriggerKind kind) { return kind >= TriggerKind::Once && kind <= TriggerKind::Yearly; }

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
