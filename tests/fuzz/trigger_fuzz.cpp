// Any bytes, as a trigger text under any clock, counter, short date format
// and gap since the previous tick: the parse step, kind detection, the
// scanner, both conversions and the tick's matcher must end in a result or an
// AppError. Also checks the promises readers rely on.
#include <fuzzer/FuzzedDataProvider.h>

#include <algorithm>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "base/error.h"
#include "scheduler/trigger_match.h"
#include "tests/fakes/fake_clock.h"

using namespace velmaro;

namespace {

void Check(bool holds) {
  if (!holds) __builtin_trap();
}

// What the tick keeps apart by occurrence: minutes of the window, each once
// and in the window's order (the minutes since start may wrap within it), or
// for the idle kind the counter at the last input.
void CheckOccurrences(TriggerKind kind, const std::vector<std::uint64_t>& due, const TickWindow& window,
                      std::uint32_t lastInput) {
  if (kind == TriggerKind::Idle) {
    Check(due.empty() || (due.size() == 1 && due[0] == lastInput));
    return;
  }
  std::vector<std::uint64_t> minutes;
  if (kind == TriggerKind::Boot) {
    minutes.assign(window.uptimeMinutes.begin(), window.uptimeMinutes.end());
  } else {
    for (std::int64_t key : window.localKeys) minutes.push_back(static_cast<std::uint64_t>(key));
  }
  auto next = minutes.begin();
  for (std::uint64_t occurrence : due) {
    next = std::find(next, minutes.end(), occurrence);
    Check(next != minutes.end());
    ++next;
  }
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
  // The window the tick looks at, from the tick before by both clocks: the
  // counter `elapsed` earlier, the local clock that and `drift` earlier.
  const TickMoment moment = MomentOf(clock.LocalTime(), clock.TickCount());
  std::optional<TickMoment> previous;
  if (input.ConsumeBool()) {
    const std::uint32_t elapsed = input.ConsumeIntegral<std::uint32_t>();
    const std::int32_t drift = input.ConsumeIntegral<std::int32_t>();
    previous = TickMoment{moment.localMs - elapsed - drift, moment.tickCount - elapsed};
  }
  const TickWindow window = WindowBetween(previous, moment);
  clock.shortDateFormat = input.ConsumeRandomLengthString(16);
  clock.dateSeparator = input.ConsumeRandomLengthString(4);
  std::string text = input.ConsumeRemainingBytesAsString();

  DateFormat format = ParseDateFormat(clock.shortDateFormat, clock.dateSeparator);
  CheckDateRoundTrip(text, format, clock.now.wYear);
  try {
    ReadNumberField(text);
  } catch (const AppError&) {
  }

  std::vector<std::uint64_t> due;
  for (std::size_t k = 0; k < kTriggerKindCount; ++k) {
    const TriggerKind kind = KindAt(k);
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
      DueOccurrences(ParsedTrigger{kind, fields}, window, clock, due);
      CheckOccurrences(kind, due, window, clock.lastInputTick);
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
