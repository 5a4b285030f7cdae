#include "store/trigger_text.h"

#include <array>
#include <cstddef>

namespace velmaro {

namespace {

struct Shape {
  TriggerKind kind;
  const char* prefix;
  std::vector<const char*> markers;  // one per field, in order
};

// In the order of TriggerKind, so that a kind indexes its own shape.
const std::array<Shape, 7>& Shapes() {
  static const std::array<Shape, 7> shapes = {{
      {TriggerKind::Idle, "空闲", {"分钟"}},
      {TriggerKind::Once, "一次", {"日", "时", "分"}},
      {TriggerKind::Daily, "每天", {"时", "分"}},
      {TriggerKind::Weekly, "每周", {"日", "时", "分"}},
      {TriggerKind::Monthly, "每月", {"日", "时", "分"}},
      {TriggerKind::Yearly, "每年", {"月", "日", "时", "分"}},
      {TriggerKind::Boot, "开机", {"时", "分"}},
  }};
  return shapes;
}

const Shape& ShapeOf(TriggerKind kind) { return Shapes()[static_cast<std::size_t>(kind)]; }

// Every prefix is two double-byte characters.
constexpr std::size_t kPrefixBytes = 4;
// Every marker is skipped as two bytes, whatever its second byte is.
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
  // Every prefix is two valid double-byte characters, so comparing the first
  // two decoded characters comes to comparing the first four bytes.
  for (const Shape& shape : Shapes()) {
    if (text.compare(0, kPrefixBytes, shape.prefix) == 0) return shape.kind;
  }
  return std::nullopt;
}

std::vector<std::string> ScanTriggerFields(const std::string& text, TriggerKind kind) {
  std::vector<std::string> fields;
  std::size_t pos = kPrefixBytes;
  for (const char* marker : ShapeOf(kind).markers) {
    if (pos >= text.size()) {
      // A bare prefix, or an earlier field that ran to the end of the text.
      fields.emplace_back();
      continue;
    }
    // The lead byte alone ends the field, even where it is the second byte
    // of another character: stored texts were always read this way.
    std::size_t stop = text.find(marker[0], pos);
    if (stop == std::string::npos) stop = text.size();
    fields.push_back(text.substr(pos, stop - pos));
    pos = stop == text.size() ? stop : stop + kMarkerBytes;
  }
  if (kind == TriggerKind::Weekly && fields[0] == "7") fields[0] = "0";
  return fields;
}

std::optional<ParsedTrigger> ParseTrigger(const std::string& text) {
  const std::optional<TriggerKind> kind = TriggerKindOf(text);
  if (!kind) return std::nullopt;
  return ParsedTrigger{*kind, ScanTriggerFields(text, *kind)};
}

}  // namespace velmaro
