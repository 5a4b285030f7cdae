// The trigger text: the whole schedule of a task slot as one code page 936
// string, such as 每天22时30分. Its fields are found by bytes, not by
// characters, so that every reader takes apart old and odd texts the same way.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace velmaro {

enum class TriggerKind { Idle, Once, Daily, Weekly, Monthly, Yearly, Boot };

// The prefix, then each field followed by its marker. Missing fields are
// written empty and extra ones are dropped: composing never fails.
std::string ComposeTrigger(TriggerKind kind, const std::vector<std::string>& fields);

// The kind named by the first two characters, or none.
std::optional<TriggerKind> TriggerKindOf(const std::string& text);

// A trigger text taken apart: its kind and its field texts in the order they
// are written, unconverted, as ScanTriggerFields returns them. Converting
// them is the reader's business, field by field, so that each reader decides
// which field fails first.
struct ParsedTrigger {
  TriggerKind kind;
  std::vector<std::string> fields;
};

// None when the first two characters name no kind; never fails otherwise.
std::optional<ParsedTrigger> ParseTrigger(const std::string& text);

// The field texts in the order they are written, unconverted. Never fails: a
// malformed text yields empty or odd fields. A weekday "7" comes back as "0".
std::vector<std::string> ScanTriggerFields(const std::string& text, TriggerKind kind);

}  // namespace velmaro
