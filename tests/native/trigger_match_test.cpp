#include "scheduler/trigger_match.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

#include "base/error.h"
#include "tests/fakes/fake_clock.h"

namespace velmaro {
namespace {

int DayOfWeek(int year, int month, int day) {
  static const int kMonthOffset[] = {0, 3, 2, 5, 0, 3, 5, 1, 4, 6, 2, 4};
  if (month < 3) year -= 1;
  return (year + year / 4 - year / 100 + year / 400 + kMonthOffset[month - 1] + day) % 7;
}

ClockSnapshot At(int year, int month, int day, int hour, int minute, int second = 0) {
  ClockSnapshot now;
  now.wYear = static_cast<std::uint16_t>(year);
  now.wMonth = static_cast<std::uint16_t>(month);
  now.wDay = static_cast<std::uint16_t>(day);
  now.wDayOfWeek = static_cast<std::uint16_t>(DayOfWeek(year, month, day));
  now.wHour = static_cast<std::uint16_t>(hour);
  now.wMinute = static_cast<std::uint16_t>(minute);
  now.wSecond = static_cast<std::uint16_t>(second);
  return now;
}

// Whether the trigger is due at a tick that looks at the minute now alone,
// as the first tick does: the window comes from the clock as the tick's does.
bool DueNow(const ParsedTrigger& trigger, FakeClock& clock) {
  const TickWindow window = WindowBetween(std::nullopt, MomentOf(clock.LocalTime(), clock.TickCount()));
  std::vector<std::uint64_t> due;
  DueOccurrences(trigger, window, clock, due);
  EXPECT_LE(due.size(), 1u) << "one minute holds one occurrence";
  return !due.empty();
}

// "due", "not due", "no kind", or the failure text.
std::string Outcome(const std::string& text, FakeClock& clock) {
  try {
    const std::optional<ParsedTrigger> trigger = ParseTrigger(text);
    if (!trigger) return "no kind";
    return DueNow(*trigger, clock) ? "due" : "not due";
  } catch (const AppError& error) {
    return error.what();
  }
}

TEST(TriggerMatch, CalendarKindsAreDueInTheirMinuteOnly) {
  struct Case {
    const char* text;
    ClockSnapshot now;
    const char* outcome;
    const char* format = "yyyy-M-d";
    const char* separator = "-";
  };
  const Case cases[] = {
      {"每天8时5分", At(2026, 3, 10, 8, 5, 0), "due"},
      {"每天8时5分", At(2026, 3, 10, 8, 5, 59), "due"},
      {"每天8时5分", At(2026, 3, 10, 8, 6, 0), "not due"},
      {"每天8时5分", At(2026, 3, 10, 20, 5), "not due"},
      {"每天0时0分", At(2026, 3, 10, 0, 0), "due"},
      {"每天 +8时$5分", At(2026, 3, 10, 8, 5), "due"},
      {"每周1日9时0分", At(2026, 3, 9, 9, 0), "due"},
      {"每周1日9时0分", At(2026, 3, 10, 9, 0), "not due"},
      {"每周7日9时0分", At(2026, 3, 8, 9, 0), "due"},
      {"每周0日9时0分", At(2026, 3, 8, 9, 0), "due"},
      {"每周7日9时0分", At(2026, 3, 14, 9, 0), "not due"},
      {"每周8日9时0分", At(2026, 3, 8, 9, 0), "not due"},
      {"每周8日9时0分", At(2026, 3, 9, 9, 0), "not due"},
      {"每月31日9时0分", At(2026, 4, 30, 9, 0), "not due"},
      {"每月31日9时0分", At(2026, 5, 31, 9, 0), "due"},
      {"每月-1日9时0分", At(2026, 4, 30, 9, 0), "not due"},
      {"每年2月29日8时0分", At(2028, 2, 29, 8, 0), "due"},
      {"每年2月29日8时0分", At(2026, 2, 28, 8, 0), "not due"},
      {"每年2月29日8时0分", At(2026, 3, 1, 8, 0), "not due"},
      {"一次2009-1-18日10时30分", At(2009, 1, 18, 10, 30), "due"},
      {"一次2009-1-18日10时30分", At(2009, 1, 18, 10, 31), "not due"},
      {"一次2009-1-18日10时30分", At(2009, 1, 19, 10, 30), "not due"},
      {"一次2009-1-18日10时30分", At(2010, 1, 18, 10, 30), "not due"},
      // The format in force when the text is read decides what it means.
      {"一次1-2-2026日10时30分", At(2026, 1, 2, 10, 30), "due", "M-d-yyyy"},
      {"一次1-2-2026日10时30分", At(2026, 2, 1, 10, 30), "due", "d-M-yyyy"},
      {"一次1-2-2026日10时30分", At(2026, 1, 2, 10, 30), "not due", "d-M-yyyy"},
      // A broken later field fails only when every comparison before it holds.
      {"一次2009-1-18日10时xx分", At(2009, 1, 18, 10, 0), "'xx' is not a valid integer value"},
      {"一次2009-1-18日10时xx分", At(2009, 1, 18, 9, 0), "not due"},
      {"一次2009-1-18日10时xx分", At(2009, 1, 17, 10, 0), "not due"},
      {"每周8日9时x分", At(2026, 3, 8, 9, 0), "not due"},
      {"每年2月29日8时分", At(2028, 2, 29, 8, 0), "'' is not a valid integer value"},
      {"每年2月29日8时分", At(2028, 2, 28, 8, 0), "not due"},
      // The first field is converted at every examination.
      {"每天八时5分", At(2026, 3, 10, 3, 0), "'八' is not a valid integer value"},
      {"每天8 时5分", At(2026, 3, 10, 8, 5), "'8 ' is not a valid integer value"},
      {"一次2009年1月18日日10时30分", At(2009, 1, 18, 10, 30), "'2009年1月18' is not a valid date"},
      {" 每天8时5分", At(2026, 3, 10, 8, 5), "no kind"},
      {"明天8时0分", At(2026, 3, 10, 8, 0), "no kind"},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    clock.now = c.now;
    clock.shortDateFormat = c.format;
    clock.dateSeparator = c.separator;
    EXPECT_EQ(Outcome(c.text, clock), c.outcome) << c.text << " at " << c.now.wHour << ":" << c.now.wMinute;
  }
}

TEST(TriggerMatch, CounterKindsCountWholeMinutesAcrossTheWrap) {
  struct Case {
    const char* text;
    std::uint32_t lastInput;
    std::uint32_t tick;
    const char* outcome;
  };
  const Case cases[] = {
      {"空闲10分钟", 0, 599999, "not due"},
      {"空闲10分钟", 0, 600000, "due"},
      {"空闲10分钟", 0, 659999, "due"},
      {"空闲10分钟", 0, 660000, "not due"},
      {"空闲10分钟", 4294967000u, 599704, "due"},  // 296 ms before the wrap, 599 704 after
      {"空闲0分钟", 5000, 5000, "due"},
      {"空闲0分钟", 5000, 64999, "due"},
      {"空闲0分钟", 5000, 65000, "not due"},
      {"空闲05分钟", 0, 300000, "due"},
      {"空闲分钟", 0, 0, "'' is not a valid integer value"},
      {"空闲分钟", 0, 600000, "'' is not a valid integer value"},
      {"开机0时0分", 0, 0, "due"},
      {"开机0时0分", 0, 59999, "due"},
      {"开机0时0分", 0, 60000, "not due"},
      {"开机1193时2分", 0, 4294967295u, "due"},  // minute 71 582, the last before the wrap
      {"开机0时0分", 0, 4294967295u, "not due"},
      {"开机0时90分", 0, 5400000, "due"},
      {"开机1时30分", 0, 5400000, "due"},
      {"开机1时30分", 0, 5460000, "not due"},
      {"开机-1时60分", 0, 0, "due"},
      {"开机0时-1分", 0, 4294967295u, "not due"},
      // 71 582 789 x 60 wraps past 2^32 to 44.
      {"开机71582789时0分", 0, 44 * 60000, "due"},
      {"开机35791395时0分", 0, 0, "not due"},  // wraps to a negative sum
      // Both fields convert before the comparison, whatever the counter says.
      {"开机5时x分", 0, 0, "'x' is not a valid integer value"},
  };
  for (const Case& c : cases) {
    FakeClock clock;
    clock.lastInputTick = c.lastInput;
    clock.tickCount = c.tick;
    EXPECT_EQ(Outcome(c.text, clock), c.outcome) << c.text << " at " << c.tick;
  }
}

TEST(TriggerMatch, IdleMinutesUseUnsigned32BitArithmetic) {
  EXPECT_EQ(IdleMinutes(4294967295u, 59999), 1u);  // 60 000 ms across the wrap
  EXPECT_EQ(IdleMinutes(1, 0), 71582u);
}

// Field values as the task editor writes them, from a fixed generator so that
// a failure repeats.
class Generator {
 public:
  std::uint32_t Next(std::uint32_t bound) {
    state_ = state_ * 6364136223846793005ull + 1442695040888963407ull;
    return static_cast<std::uint32_t>(state_ >> 32) % bound;
  }
  // Number boxes keep leading zeros as typed.
  std::string Digits(std::uint32_t value) { return (Next(4) == 0 ? "0" : "") + std::to_string(value); }

 private:
  std::uint64_t state_ = 20090118;
};

TEST(TriggerMatch, ComposedTriggerScansBackAndIsDueExactlyAtItsMinute) {
  const std::pair<const char*, const char*> formats[] = {{"yyyy-M-d", "-"}, {"dd.MM.yyyy", "."}, {"M/d/yy", "/"}};
  Generator gen;
  for (int i = 0; i < 3000; ++i) {
    FakeClock clock;
    clock.now = At(1950 + static_cast<int>(gen.Next(120)), 1 + gen.Next(12), 1 + gen.Next(28), gen.Next(24), gen.Next(60),
                   gen.Next(60));
    const ClockSnapshot& now = clock.now;
    auto [format, separator] = formats[gen.Next(3)];
    clock.shortDateFormat = format;
    clock.dateSeparator = separator;
    std::string h = std::to_string(now.wHour), m = std::to_string(now.wMinute);
    bool sundayAsSeven = now.wDayOfWeek == 0 && gen.Next(2) == 0;
    std::string date = WriteDateField({now.wYear, now.wMonth, now.wDay}, ParseDateFormat(format, separator), now.wYear);

    std::uint32_t idle = gen.Next(1000);
    std::uint32_t bootMinutes = gen.Next(71582);
    std::uint32_t bootHours = gen.Next(bootMinutes / 60 + 1);
    clock.lastInputTick = gen.Next(0xFFFFFFFFu);
    clock.tickCount = clock.lastInputTick + idle * 60000 + gen.Next(60000);
    std::uint32_t bootTick = bootMinutes * 60000 + gen.Next(60000);

    struct Sample {
      TriggerKind kind;
      std::vector<std::string> fields;
    };
    const Sample samples[] = {
        {TriggerKind::Idle, {gen.Digits(idle)}},
        {TriggerKind::Once, {date, h, m}},
        {TriggerKind::Daily, {h, m}},
        {TriggerKind::Weekly, {sundayAsSeven ? "7" : std::to_string(now.wDayOfWeek), h, m}},
        {TriggerKind::Monthly, {std::to_string(now.wDay), h, m}},
        {TriggerKind::Yearly, {std::to_string(now.wMonth), std::to_string(now.wDay), h, m}},
        {TriggerKind::Boot, {gen.Digits(bootHours), gen.Digits(bootMinutes - bootHours * 60)}},
    };
    for (const Sample& sample : samples) {
      std::string text = ComposeTrigger(sample.kind, sample.fields);
      std::vector<std::string> expected = sample.fields;
      if (sundayAsSeven && sample.kind == TriggerKind::Weekly) expected[0] = "0";
      FakeClock at = clock;
      if (sample.kind == TriggerKind::Boot) at.tickCount = bootTick;
      const std::optional<ParsedTrigger> trigger = ParseTrigger(text);
      ASSERT_TRUE(trigger) << text;
      EXPECT_EQ(trigger->kind, sample.kind) << text;
      EXPECT_EQ(trigger->fields, expected) << text;
      EXPECT_TRUE(DueNow(*trigger, at)) << text;

      FakeClock later = at;
      later.now.wMinute = static_cast<std::uint16_t>((now.wMinute + 1) % 60);
      later.tickCount += 60000;
      EXPECT_FALSE(DueNow(*trigger, later)) << text;
    }
  }
}

}  // namespace
}  // namespace velmaro
