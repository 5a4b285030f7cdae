#include "store/trigger_text.h"

#include <cstddef>
#include <cstring>

#include "base/error.h"
#include "base/gbk.h"

namespace velmaro {

namespace {

// How the seven skip every marker.
constexpr std::size_t kMarkerBytes = 2;

constexpr bool Begins(const char* text, const char* prefix) {
  for (; *prefix; ++text, ++prefix) {
    if (*text != *prefix) return false;
  }
  return true;
}

// What the readers below take for granted of every row: a kind found by the
// first prefix that matches, at least one field, nothing after a field that
// runs to the end of the text, and condition fields in the condition kinds
// only.
constexpr bool ShapesReadAsWritten() {
  for (std::size_t k = 0; k < kTriggerKindCount; ++k) {
    const TriggerShape& shape = kTriggerShapes[k];
    if (shape.fieldCount == 0) return false;
    for (std::size_t other = 0; other < kTriggerKindCount; ++other) {
      if (other != k && Begins(shape.prefix, kTriggerShapes[other].prefix)) return false;
    }
    for (std::size_t i = 0; i < shape.fieldCount; ++i) {
      const TriggerField holds = shape.fields[i].holds;
      if (!*shape.fields[i].marker && i + 1 < shape.fieldCount) return false;
      // ReadConditionTrigger reads nothing else.
      const bool conditionField = holds == TriggerField::QuietMinutes || holds == TriggerField::KbPerSecond ||
                                  holds == TriggerField::BusyPercent || holds == TriggerField::Program;
      if (conditionField != (shape.timing == TriggerTiming::Condition)) return false;
    }
  }
  return true;
}
static_assert(ShapesReadAsWritten(), "a trigger kind's row that the scanner cannot read back");

}  // namespace

std::string ComposeTrigger(TriggerKind kind, const std::vector<std::string>& fields) {
  const TriggerShape& shape = ShapeOf(kind);
  std::string text = shape.prefix;
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    if (i < fields.size()) text += fields[i];
    text += shape.fields[i].marker;
  }
  return text;
}

std::optional<TriggerKind> TriggerKindOf(const std::string& text) {
  // Every prefix is whole valid double-byte characters, so comparing decoded
  // characters comes to comparing bytes; no prefix begins another.
  for (std::size_t i = 0; i < kTriggerKindCount; ++i) {
    const char* prefix = kTriggerShapes[i].prefix;
    if (text.compare(0, std::strlen(prefix), prefix) == 0) return KindAt(i);
  }
  return std::nullopt;
}

std::vector<std::string> ScanTriggerFields(const std::string& text, TriggerKind kind) {
  const TriggerShape& shape = ShapeOf(kind);
  std::vector<std::string> fields;
  std::size_t pos = std::strlen(shape.prefix);
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const char* marker = shape.fields[i].marker;
    if (pos >= text.size()) {
      // A bare prefix, or an earlier field that ran to the end of the text.
      fields.emplace_back();
      continue;
    }
    // The lead byte alone ends the field, even where it is the second byte
    // of another character: stored texts were always read this way.
    std::size_t stop = marker[0] ? text.find(marker[0], pos) : std::string::npos;
    if (stop == std::string::npos) stop = text.size();
    fields.push_back(text.substr(pos, stop - pos));
    if (shape.fields[i].holds == TriggerField::Weekday && fields.back() == "7") fields.back() = "0";
    const std::size_t skip = shape.skip == MarkerSkip::Whole ? std::strlen(marker) : kMarkerBytes;
    pos = stop == text.size() ? stop : stop + skip;
  }
  return fields;
}

std::optional<ParsedTrigger> ParseTrigger(const std::string& text) {
  const std::optional<TriggerKind> kind = TriggerKindOf(text);
  if (!kind) return std::nullopt;
  return ParsedTrigger{*kind, ScanTriggerFields(text, *kind)};
}

namespace {

// Decimal digits only, leading zeros allowed, from 1 to `max`.
std::uint32_t ReadRangeField(const std::string& field, const char* what, std::uint32_t max, const char* unit) {
  std::uint64_t value = 0;
  bool digits = !field.empty() && field.size() <= 10;
  for (char c : field) {
    if (c < '0' || c > '9') digits = false;
    if (digits) value = value * 10 + static_cast<std::uint64_t>(c - '0');
  }
  if (!digits || value < 1 || value > max) {
    throw AppError(QuotedMessage(what, field, "应是1到") + std::to_string(max) + "之间的整数" + unit);
  }
  return static_cast<std::uint32_t>(value);
}

// How a condition field reads, and a value of it for the example that a
// malformed text is answered with.
struct ConditionField {
  const char* what;  // null: the program, which names its own faults
  std::uint32_t max;
  const char* unit;
  const char* example;
};

ConditionField ConditionFieldOf(TriggerField holds) {
  switch (holds) {
    case TriggerField::QuietMinutes: return {"分钟数", kConditionMinutesMax, "", "10"};
    case TriggerField::KbPerSecond: return {"网速", kNetworkKbMax, "（KB/秒）", "50"};
    case TriggerField::BusyPercent: return {"处理器占用", kProcessorPercentMax, "（%）", "10"};
    default: return {nullptr, 0, "", "downloader.exe"};
  }
}

}  // namespace

std::string ProgramNameFault(const std::string& name) {
  if (name.empty()) return "请填写程序的文件名，如downloader.exe";
  if (name.size() > kProgramNameMax) {
    return QuotedMessage("程序名", name, "太长：最多") + std::to_string(kProgramNameMax) + "个字节";
  }
  for (std::size_t pos = 0; pos < name.size();) {
    const unsigned char c = static_cast<unsigned char>(name[pos]);
    if (IsGbkLeadByte(c)) {
      // A trail byte may look like "\" or ":": it is part of its character.
      const unsigned char trail = pos + 1 < name.size() ? static_cast<unsigned char>(name[pos + 1]) : 0;
      if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return QuotedMessage("程序名", name, "不是有效的文字");
      pos += 2;
      continue;
    }
    if (c == '\\' || c == '/' || c == ':') {
      return QuotedMessage("程序名", name, "应是不带路径的文件名，如downloader.exe");
    }
    if (c < 0x20 || c == 0x7F || c >= 0x80 || std::strchr("*?\"<>|", c)) {
      return QuotedMessage("程序名", name, "含有文件名不能有的字符");
    }
    ++pos;
  }
  // Windows drops trailing dots and blanks from a file name, so no process
  // is ever named with them; and a name without an extension names no
  // program file (the process list always shows downloader.exe, never
  // downloader). Neither could ever fire.
  const char last = name.back();
  if (last == '.' || last == ' ') return QuotedMessage("程序名", name, "不能以点或空格结尾");
  const std::size_t dot = name.rfind('.');
  if (dot == std::string::npos || dot == 0) {
    return QuotedMessage("程序名", name, "应带扩展名，如downloader.exe");
  }
  return "";
}

ConditionTrigger ReadConditionTrigger(const std::string& text, const ParsedTrigger& parsed) {
  const TriggerShape& shape = ShapeOf(parsed.kind);
  if (shape.timing != TriggerTiming::Condition) throw AppError(QuotedMessage("", text, "不是条件触发"));
  ConditionTrigger condition;
  condition.kind = parsed.kind;
  const std::vector<std::string>& f = parsed.fields;
  for (std::size_t i = 0; i < shape.fieldCount; ++i) {
    const TriggerField holds = shape.fields[i].holds;
    const ConditionField field = ConditionFieldOf(holds);
    if (!field.what) {
      const std::string fault = ProgramNameFault(f[i]);
      if (!fault.empty()) throw AppError(fault);
      condition.program = f[i];
      continue;
    }
    const std::uint32_t value = ReadRangeField(f[i], field.what, field.max, field.unit);
    (holds == TriggerField::QuietMinutes ? condition.minutes : condition.threshold) = value;
  }
  // Good fields in a text that is not their one form: a marker missing, or
  // more after the last one.
  if (ComposeTrigger(parsed.kind, f) != text) {
    std::vector<std::string> examples;
    for (std::size_t i = 0; i < shape.fieldCount; ++i) {
      examples.push_back(ConditionFieldOf(shape.fields[i].holds).example);
    }
    throw AppError(QuotedMessage("", text, "不是完整的条件，应写作如") + ComposeTrigger(parsed.kind, examples));
  }
  return condition;
}

}  // namespace velmaro
