// Any bytes, as a trigger text under any clock, counter and short date format:
// the parse step, kind detection, the scanner, both conversions and every matcher must end in
// a result or an AppError. Also checks the two promises readers rely on.
#include <fuzzer/FuzzedDataProvider.h>

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "scheduler/trigger_match.h"
#include "tests/fakes/fake_clock.h"

using namespace velmaro;

namespace {

constexpr TriggerKind kKinds[] = {TriggerKind::Idle,         TriggerKind::Once,           TriggerKind::Daily,
                                  TriggerKind::Weekly,       TriggerKind::Monthly,        TriggerKind::Yearly,
                                  TriggerKind::Boot,         TriggerKind::NetworkQuiet,   TriggerKind::ProcessorQuiet,
                                  TriggerKind::ProgramEnded};

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// A date that reads must write and read back as itself.
void CheckDateRoundTrip(const std::string& text, const DateFormat& format, int currentYear) {
  try {
    CalendarDate date = ReadDateField(text, format, currentYear);
    Check(ReadDateField(WriteDateField(date, format, currentYear), format, currentYear) == date);
  } catch (const AppError&) {
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  FuzzedDataProvider input(data, size);
  FakeClock clock;
  clock.now.wYear = input.ConsumeIntegral<std::uint16_t>();
  clock.now.wMonth = input.ConsumeIntegral<std::uint8_t>();
  clock.now.wDayOfWeek = input.ConsumeIntegral<std::uint8_t>();
  clock.now.wDay = input.ConsumeIntegral<std::uint8_t>();
  clock.now.wHour = input.ConsumeIntegral<std::uint8_t>();
  clock.now.wMinute = input.ConsumeIntegral<std::uint8_t>();
  clock.lastInputTick = input.ConsumeIntegral<std::uint32_t>();
  clock.tickCount = input.ConsumeIntegral<std::uint32_t>();
  clock.shortDateFormat = input.ConsumeRandomLengthString(16);
  clock.dateSeparator = input.ConsumeRandomLengthString(4);
  std::string text = input.ConsumeRemainingBytesAsString();

  DateFormat format = ParseDateFormat(clock.shortDateFormat, clock.dateSeparator);
  CheckDateRoundTrip(text, format, clock.now.wYear);
  try {
    ReadNumberField(text);
  } catch (const AppError&) {
  }

  for (TriggerKind kind : kKinds) {
    // Composing the scanned fields again must give the same fields: the
    // modify command rewrites stored texts this way.
    std::vector<std::string> fields = ScanTriggerFields(text, kind);
    Check(ScanTriggerFields(ComposeTrigger(kind, fields), kind) == fields);
    for (const std::string& field : fields) {
      try {
        ReadNumberField(field);
      } catch (const AppError&) {
      }
    }
    CheckDateRoundTrip(fields[0], format, clock.now.wYear);
    try {
      MatchTrigger(ParsedTrigger{kind, fields}, clock.now, clock);
    } catch (const AppError&) {
    }
    if (IsConditionKind(kind)) {
      // A condition reads only from its one written form, and that form
      // scans back to the fields it read.
      const std::string composed = ComposeTrigger(kind, fields);
      for (const std::string& candidate : {text, composed}) {
        const std::optional<ParsedTrigger> parsed = ParseTrigger(candidate);
        if (!parsed || parsed->kind != kind) continue;
        try {
          const ConditionTrigger condition = ReadConditionTrigger(candidate, *parsed);
          Check(ComposeTrigger(kind, parsed->fields) == candidate);
          Check(condition.kind == kind);
          if (kind == TriggerKind::ProgramEnded) Check(ProgramNameFault(condition.program).empty());
        } catch (const AppError&) {
        }
      }
    }
  }
  // A kind needs at least a four-byte prefix, and the parse step takes the
  // text apart as the scanner does for its kind.
  if (const std::optional<ParsedTrigger> trigger = ParseTrigger(text)) {
    Check(text.size() >= 4);
    Check(trigger->fields == ScanTriggerFields(text, trigger->kind));
  }
  return 0;
}
