#include "store/trigger_text.h"

#include <array>
#include <cstddef>
#include <cstring>

#include "base/error.h"
#include "base/gbk.h"

namespace velmaro {

namespace {

struct Shape {
  TriggerKind kind;
  const char* prefix;
  // One per field, in order; "" for a field that runs to the end of the text.
  std::vector<const char*> markers;
  // The seven skip two bytes past a marker's lead byte, as stored texts were
  // always read; the condition kinds skip the marker as written.
  bool wholeMarkers;
};

// In the order of TriggerKind, so that a kind indexes its own shape.
const std::array<Shape, 10>& Shapes() {
  static const std::array<Shape, 10> shapes = {{
      {TriggerKind::Idle, "空闲", {"分钟"}, false},
      {TriggerKind::Once, "一次", {"日", "时", "分"}, false},
      {TriggerKind::Daily, "每天", {"时", "分"}, false},
      {TriggerKind::Weekly, "每周", {"日", "时", "分"}, false},
      {TriggerKind::Monthly, "每月", {"日", "时", "分"}, false},
      {TriggerKind::Yearly, "每年", {"月", "日", "时", "分"}, false},
      {TriggerKind::Boot, "开机", {"时", "分"}, false},
      {TriggerKind::NetworkQuiet, "网络空闲", {"分钟", "KB"}, true},
      {TriggerKind::ProcessorQuiet, "处理器空闲", {"分钟", "%"}, true},
      {TriggerKind::ProgramEnded, "程序结束", {""}, true},
  }};
  return shapes;
}

const Shape& ShapeOf(TriggerKind kind) { return Shapes()[static_cast<std::size_t>(kind)]; }

// How the seven skip every marker.
constexpr std::size_t kMarkerBytes = 2;

}  // namespace

std::string ComposeTrigger(TriggerKind kind, const std::vector<std::string>& fields) {
  const Shape& shape = ShapeOf(kind);
  std::string text = shape.prefix;
  for (std::size_t i = 0; i < shape.markers.size(); ++i) {
    if (i < fields.size()) text += fields[i];
    text += shape.markers[i];
  }
  return text;
}

std::optional<TriggerKind> TriggerKindOf(const std::string& text) {
  // Every prefix is whole valid double-byte characters, so comparing decoded
  // characters comes to comparing bytes; no prefix begins another.
  for (const Shape& shape : Shapes()) {
    const std::size_t length = std::strlen(shape.prefix);
    if (text.compare(0, length, shape.prefix) == 0) return shape.kind;
  }
  return std::nullopt;
}

std::vector<std::string> ScanTriggerFields(const std::string& text, TriggerKind kind) {
  const Shape& shape = ShapeOf(kind);
  std::vector<std::string> fields;
  std::size_t pos = std::strlen(shape.prefix);
  for (const char* marker : shape.markers) {
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
    const std::size_t skip = shape.wholeMarkers ? std::strlen(marker) : kMarkerBytes;
    pos = stop == text.size() ? stop : stop + skip;
  }
  if (kind == TriggerKind::Weekly && fields[0] == "7") fields[0] = "0";
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

const char* ExampleOf(TriggerKind kind) {
  switch (kind) {
    case TriggerKind::NetworkQuiet: return "网络空闲10分钟50KB";
    case TriggerKind::ProcessorQuiet: return "处理器空闲10分钟10%";
    default: return "程序结束downloader.exe";
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
  ConditionTrigger condition;
  condition.kind = parsed.kind;
  const std::vector<std::string>& f = parsed.fields;
  switch (parsed.kind) {
    case TriggerKind::NetworkQuiet:
      condition.minutes = ReadRangeField(f[0], "分钟数", kConditionMinutesMax, "");
      condition.threshold = ReadRangeField(f[1], "网速", kNetworkKbMax, "（KB/秒）");
      break;
    case TriggerKind::ProcessorQuiet:
      condition.minutes = ReadRangeField(f[0], "分钟数", kConditionMinutesMax, "");
      condition.threshold = ReadRangeField(f[1], "处理器占用", kProcessorPercentMax, "（%）");
      break;
    case TriggerKind::ProgramEnded: {
      const std::string fault = ProgramNameFault(f[0]);
      if (!fault.empty()) throw AppError(fault);
      condition.program = f[0];
      break;
    }
    default: throw AppError(QuotedMessage("", text, "不是条件触发"));
  }
  // Good fields in a text that is not their one form: a marker missing, or
  // more after the last one.
  if (ComposeTrigger(parsed.kind, f) != text) {
    throw AppError(QuotedMessage("", text, "不是完整的条件，应写作如") + ExampleOf(parsed.kind));
  }
  return condition;
}

}  // namespace velmaro
