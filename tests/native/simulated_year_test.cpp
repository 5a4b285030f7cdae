// A year of evenings on simulated time: every calendar kind at random times,
// several tasks sharing minutes, reminders and countdowns, settings dialogs
// left open, the clock set back and forward, daylight saving both ways, and
// the computer put to sleep, now and then in the middle of a countdown. What
// ran is checked against an expectation worked out here, from the minutes
// the clock showed, with the C library's calendar: within the catch-up bound
// no occurrence is missed, none runs twice, and nothing runs for a minute
// that was never lived.
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <map>
#include <optional>
#include <random>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "store/task_options.h"
#include "tests/fakes/scheduler_rig.h"
#include "tests/native/verb_calls.h"

namespace velmaro {
namespace {

constexpr std::int64_t kSecondMs = 1000;
constexpr std::int64_t kMinuteMs = 60 * kSecondMs;
constexpr std::int64_t kDayMs = 24 * 60 * kMinuteMs;
constexpr std::int64_t kBoundMinutes = 10;  // how far back a tick catches up

// Local time as milliseconds since 1970, through the C library's calendar.
std::int64_t LocalMs(const ClockSnapshot& now) {
  std::tm tm = {};
  tm.tm_year = now.wYear - 1900;
  tm.tm_mon = now.wMonth - 1;
  tm.tm_mday = now.wDay;
  tm.tm_hour = now.wHour;
  tm.tm_min = now.wMinute;
  tm.tm_sec = now.wSecond;
  return static_cast<std::int64_t>(timegm(&tm)) * kSecondMs + now.wMilliseconds;
}

std::tm CalendarOf(std::int64_t localMs) {
  const std::time_t seconds = static_cast<std::time_t>(localMs / kSecondMs);
  std::tm tm = {};
  gmtime_r(&seconds, &tm);
  return tm;
}

void SetClock(FakeClock& clock, std::int64_t localMs) {
  const std::tm tm = CalendarOf(localMs);
  clock.SetLocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

struct Planned {
  TriggerKind kind;
  int year = 0, month = 0, day = 0, weekday = 0, hour = 0, minute = 0;
  bool countdown = false;
  std::string trigger, action, text;

  bool DueIn(std::int64_t minute) const {
    const std::tm tm = CalendarOf(minute * kMinuteMs);
    if (tm.tm_hour != hour || tm.tm_min != this->minute) return false;
    switch (kind) {
      case TriggerKind::Once: return tm.tm_year + 1900 == year && tm.tm_mon + 1 == month && tm.tm_mday == day;
      case TriggerKind::Daily: return true;
      case TriggerKind::Weekly: return tm.tm_wday == weekday;
      case TriggerKind::Monthly: return tm.tm_mday == day;
      case TriggerKind::Yearly: return tm.tm_mon + 1 == month && tm.tm_mday == day;
      default: return false;
    }
  }
};

std::string N(std::int64_t value) { return std::to_string(value); }

// Tasks between 19:05 and 21:55, when the simulated user's computer is on.
std::vector<Planned> PlanTasks(std::mt19937& random) {
  std::vector<Planned> plan;
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  for (int i = 0; i < 28; ++i) {
    Planned task;
    task.kind = static_cast<TriggerKind>(1 + i % 5);  // once, daily, weekly, monthly, yearly
    task.hour = between(19, 21);
    task.minute = between(task.hour == 19 ? 5 : 0, task.hour == 21 ? 55 : 59);
    if (i % 7 == 3 || i % 7 == 4) {  // the minute of the task before, or the next one
      task.hour = plan.back().hour;
      task.minute = std::min(plan.back().minute + i % 7 - 3, 59);
    }
    task.year = 2027;
    task.month = between(1, 12);
    task.day = between(1, 28);
    task.weekday = between(0, 6);
    const std::string at = N(task.hour) + "时" + N(task.minute) + "分";
    switch (task.kind) {
      case TriggerKind::Once: task.trigger = "一次2027-" + N(task.month) + "-" + N(task.day) + "日" + at; break;
      case TriggerKind::Daily: task.trigger = "每天" + at; break;
      case TriggerKind::Weekly: task.trigger = "每周" + N(task.weekday) + "日" + at; break;
      case TriggerKind::Monthly: task.trigger = "每月" + N(task.day) + "日" + at; break;
      default: task.trigger = "每年" + N(task.month) + "月" + N(task.day) + "日" + at; break;
    }
    task.countdown = i % 6 == 5;
    task.action = task.countdown ? "关闭计算机" : "提醒";
    task.text = task.countdown ? "" : "T" + N(i);
    plan.push_back(task);
  }
  return plan;
}

// Local time that ran on with the millisecond counter, from one clock change,
// sleep or start to the next; and the settings dialogs closed within it.
struct Lived {
  std::int64_t from = 0, to = 0;
  std::vector<std::pair<std::int64_t, std::int64_t>> dialogs;  // opened, closed
};

enum class Expect { None, Required, Allowed };

// Whether minute `m`, lived within `span`, must have run. The first tick of a
// span comes within ten seconds; a pause or a countdown (at most 100 s) may
// hold the evaluation when the span ends; a tick after a dialog closes looks
// back ten minutes, counted from the minute it runs in.
Expect Classify(std::int64_t m, const Lived& span) {
  const std::int64_t start = std::max(span.from, m * kMinuteMs);
  const std::int64_t end = std::min(span.to, (m + 1) * kMinuteMs);
  if (end <= start) return Expect::None;
  if (end <= span.from + 12 * kSecondMs || start >= span.to - 110 * kSecondMs) return Expect::Allowed;
  for (const auto& [opened, closed] : span.dialogs) {
    const std::int64_t oldestCaughtUp = (closed + 10 * kSecondMs) / kMinuteMs - (kBoundMinutes - 1);
    if (end > opened - 110 * kSecondMs && start < closed && m < oldestCaughtUp) return Expect::Allowed;
  }
  return Expect::Required;
}

TEST(SimulatedYear, NoOccurrenceMissedWithinTheBoundNoneRepeatedNoneInvented) {
  std::mt19937 random(20261208);
  auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
  auto between = [&](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
  };
  const std::vector<Planned> plan = PlanTasks(random);

  Rig rig;
  rig.stored.PutDword(kTishiValue, 45);
  rig.stored.PutDword(kShutAppValue, 0);
  rig.stored.PutString(kSoundPathValue, "");
  rig.stored.PutTaskNum(static_cast<std::uint32_t>(plan.size()));
  for (std::size_t i = 0; i < plan.size(); ++i) {
    rig.Put(static_cast<std::int32_t>(i + 1), {plan[i].trigger.c_str(), plan[i].action.c_str(), plan[i].text.c_str()});
  }
  std::vector<std::pair<std::string, std::int64_t>> reminders;  // text, local time shown
  rig.reminders.whileShowing = [&] { reminders.push_back({rig.reminders.shown.back(), LocalMs(rig.clock.now)}); };

  const std::int64_t firstEvening = LocalMs(ClockSnapshot{2027, 1, 5, 1, 19, 0, 0, 0});  // Friday 1 January, 19:00
  SetClock(rig.clock, firstEvening);
  rig.unit.FormCreate();

  std::vector<Lived> lived(1);
  lived.back().from = firstEvening;
  auto now = [&] { return LocalMs(rig.clock.now); };
  auto breakSpan = [&](auto change) {  // the clock jumps or the computer sleeps
    lived.back().to = now();
    change();
    lived.emplace_back();
    lived.back().from = now();
  };
  int handovers = 0, suspendsInCountdown = 0, clockChanges = 0, dialogsOpened = 0;
  auto countHandovers = [&] {
    for (const std::string& entry : rig.view.log) handovers += entry.rfind("caption ", 0) == 0;
    rig.view.log.clear();
  };

  for (int day = 0; day < 365; ++day) {
    const std::int64_t evening = firstEvening + day * kDayMs;
    if (day > 0) {
      rig.clock.Advance(static_cast<std::uint64_t>(std::max<std::int64_t>(evening - now(), 0)));
      lived.back().from = now();
      rig.unit.Resumed();
    }
    SettingsDialog* dialog = nullptr;
    std::int64_t dialogOpened = 0, dialogUntil = 0;
    bool daylightSavingDone = false;
    while (now() < evening + 3 * 60 * kMinuteMs) {
      const bool events = day > 0;
      if (dialog && now() >= dialogUntil) {
        dialog->Close();
        lived.back().dialogs.push_back({dialogOpened, now()});
        dialog = nullptr;
      } else if (events && !dialog && chance(0.01)) {
        dialog = &rig.OpenSettings();
        ++dialogsOpened;
        dialogOpened = now();
        dialogUntil = now() + between(1, 14) * kMinuteMs;
      } else if (events && !dialog && rig.view.shown && chance(0.3)) {
        ++suspendsInCountdown;
        breakSpan([&] {
          rig.unit.Suspending();
          rig.clock.Advance(static_cast<std::uint64_t>(between(10, 120) * kMinuteMs));
          rig.unit.Resumed();
        });
      } else if (events && !dialog && !daylightSavingDone && (day == 87 || day == 297) &&
                 now() >= evening + 60 * kMinuteMs) {
        daylightSavingDone = true;  // spring forward, fall back
        ++clockChanges;
        breakSpan([&] {
          SetClock(rig.clock, now() + (day == 87 ? 1 : -1) * 60 * kMinuteMs);
          rig.unit.TimeChanged();
        });
      } else if (events && !dialog && chance(0.004)) {
        ++clockChanges;
        breakSpan([&] {
          SetClock(rig.clock, now() + (chance(0.5) ? 1 : -1) * between(1, 90) * kMinuteMs);
          rig.unit.TimeChanged();
        });
      }
      rig.view.RunFor(static_cast<std::uint64_t>(between(5, 240) * kSecondMs));
      countHandovers();
    }
    if (dialog) {
      dialog->Close();
      lived.back().dialogs.push_back({dialogOpened, now()});
    }
    rig.view.RunFor(0);
    countHandovers();
    lived.back().to = now();
    rig.unit.Suspending();
    lived.emplace_back();
  }
  lived.pop_back();

  // Which occurrence each reminder was: the latest due minute within the bound.
  int required = 0, allowedOnly = 0, missed = 0, repeated = 0, invented = 0, countdownRequired = 0,
      countdownAllowed = 0;
  for (std::size_t i = 0; i < plan.size(); ++i) {
    const Planned& task = plan[i];
    std::set<std::int64_t> must, may;
    for (const Lived& span : lived) {
      for (std::int64_t m = span.from / kMinuteMs; m * kMinuteMs < span.to; ++m) {
        if (!task.DueIn(m)) continue;
        const Expect expect = Classify(m, span);
        if (expect == Expect::Required) must.insert(m);
        if (expect != Expect::None) may.insert(m);
      }
    }
    if (task.countdown) {
      countdownRequired += static_cast<int>(must.size());
      countdownAllowed += static_cast<int>(may.size());
      continue;
    }
    std::map<std::int64_t, int> ran;
    for (const auto& [text, at] : reminders) {
      if (text != task.text) continue;
      std::int64_t occurrence = -1;
      for (std::int64_t m = at / kMinuteMs; m > at / kMinuteMs - kBoundMinutes && occurrence < 0; --m) {
        if (task.DueIn(m)) occurrence = m;
      }
      if (occurrence < 0 || !may.count(occurrence)) {
        ++invented;
        ADD_FAILURE() << task.trigger << " ran at " << at << " for no minute lived";
        continue;
      }
      if (++ran[occurrence] == 2) {
        ++repeated;
        ADD_FAILURE() << task.trigger << " ran twice for minute " << occurrence;
      }
    }
    for (std::int64_t m : must) {
      if (!ran.count(m)) {
        ++missed;
        ADD_FAILURE() << task.trigger << " missed minute " << m;
      }
    }
    required += static_cast<int>(must.size());
    allowedOnly += static_cast<int>(may.size() - must.size());
  }
  std::printf(
      "simulated year: %d occurrences due, %d more at the edges of a gap, %d missed, %d repeated, %d invented; "
      "%d countdowns (%d to %d expected), %d suspends in a countdown, %d clock changes, %d settings dialogs\n",
      required, allowedOnly, missed, repeated, invented, handovers, countdownRequired, countdownAllowed,
      suspendsInCountdown, clockChanges, dialogsOpened);
  EXPECT_GT(required, 1000);
  EXPECT_GT(suspendsInCountdown, 0);
  EXPECT_GE(handovers, countdownRequired);
  EXPECT_LE(handovers, countdownAllowed);
  const std::size_t sleepBalloons = static_cast<std::size_t>(
      std::count_if(rig.shell.balloons.begin(), rig.shell.balloons.end(),
                    [](const std::string& text) { return text.rfind("电脑睡眠时", 0) == 0; }));
  EXPECT_TRUE(rig.power.calls.size() + sleepBalloons <= static_cast<std::size_t>(handovers));
  EXPECT_GE(sleepBalloons, static_cast<std::size_t>(suspendsInCountdown))
      << "each countdown a suspend ended is reported on waking";
}


// ---------------------------------------------------------------------------
// A year of evenings with the power tasks: the computer is started at 19:00,
// with one countdown task of each power verb (five calendar tasks, an idle
// one and one after start), and a user who lets countdowns run out, runs them
// at once, cancels them (and switches monitoring on again later), postpones
// them, answers warning balloons, leaves settings dialogs open, edits and
// deletes tasks while they are postponed, puts the computer to sleep and sets
// the clock back and forward. The test works out for itself which occurrence
// each countdown is, which system call must come and when, and which record
// line each choice leaves, and checks every one.

constexpr int kIdleRow = 5;
constexpr int kBootRow = 6;
constexpr std::int64_t kIdleMinutes = 8;
constexpr std::int64_t kBootMinute = 10;
constexpr std::int64_t kTishiS = 30;

// The one system call of a row's verb.
std::string CallOf(int row) { return kCountdownActions[row].call; }

struct PowerTask {
  int row = 0;   // in kCountdownActions, a power row
  Planned when;  // for the calendar rows
  std::string Trigger() const {
    if (row == kIdleRow) return "空闲" + N(kIdleMinutes) + "分钟";
    if (row == kBootRow) return "开机0时" + N(kBootMinute) + "分";
    return when.trigger;
  }
  const char* Action() const { return kCountdownActions[row].action; }
};

Planned PlanCalendar(std::mt19937& random, TriggerKind kind) {
  auto between = [&](int low, int high) { return std::uniform_int_distribution<int>(low, high)(random); };
  Planned task;
  task.kind = kind;
  task.hour = between(19, 21);
  task.minute = between(task.hour == 19 ? 15 : 0, task.hour == 21 ? 50 : 59);
  task.weekday = between(0, 6);
  task.day = between(1, 28);
  const std::string at = N(task.hour) + "时" + N(task.minute) + "分";
  task.trigger = kind == TriggerKind::Daily    ? "每天" + at
                 : kind == TriggerKind::Weekly ? "每周" + N(task.weekday) + "日" + at
                                               : "每月" + N(task.day) + "日" + at;
  return task;
}

// A record line, or what one must be: its task, what it says (or how it
// begins) and when, on the counter, give or take `slackMs`.
struct Line {
  std::int64_t at;
  std::string trigger, action, outcome;
  std::int64_t slackMs;
  bool orLater = false;  // at `at` or any time after
};

TEST(SimulatedYear, EveryPowerRunIsTheOneTheUserWasShownAtItsTimeWithItsRecord) {
  std::mt19937 random(20261209);
  auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
  auto between = [&](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
  };
  const TriggerKind kinds[5] = {TriggerKind::Daily, TriggerKind::Weekly, TriggerKind::Daily, TriggerKind::Monthly,
                                TriggerKind::Daily};
  std::vector<PowerTask> tasks;  // as each evening starts, in slot order
  for (int row = 0; row < kPowerActionCount; ++row) tasks.push_back({row, row < 5 ? PlanCalendar(random, kinds[row]) : Planned{}});

  std::map<std::string, int> counts;
  std::vector<std::string> faults;
  int day = 0;
  auto fault = [&](const std::string& what) {
    if (faults.size() < 15) ADD_FAILURE() << "day " << day << ": " << what;
    faults.push_back(what);
  };
  const std::int64_t firstEvening = LocalMs(ClockSnapshot{2027, 1, 5, 1, 19, 0, 0, 0});

  for (day = 0; day < 365; ++day) {
    Rig rig;
    rig.stored.PutDword(kTishiValue, kTishiS);
    rig.stored.PutDword(kShutAppValue, 0);
    rig.stored.PutString(kSoundPathValue, "");
    rig.stored.PutTaskNum(static_cast<std::uint32_t>(tasks.size()));
    for (std::size_t i = 0; i < tasks.size(); ++i) {
      rig.Put(static_cast<std::int32_t>(i + 1), {tasks[i].Trigger().c_str(), tasks[i].Action(), ""});
    }
    std::vector<PowerTask> stored = tasks;  // as the store holds them now
    std::set<int> changedRows;              // edited or deleted this evening
    const std::int64_t evening = firstEvening + day * kDayMs;
    SetClock(rig.clock, evening);
    rig.clock.tickCount = static_cast<std::uint32_t>(between(0, 8) * kMinuteMs + between(0, 59) * kSecondMs);
    rig.clock.lastInputTick = rig.clock.tickCount;
    // Now and then an evening without the shutdown privilege: every power
    // call is refused, and recorded so.
    if (day % 10 == 3) rig.power.refusal = "错误 1314：客户端没有所需的特权。";
    auto ran = [&](std::int32_t late) {
      if (!rig.power.refusal.empty()) return "失败：" + rig.power.refusal;
      return late > 0 ? "迟了 " + N(late) + " 分钟执行" : std::string("已执行");
    };
    rig.unit.FormCreate();

    auto tick = [&] { return static_cast<std::int64_t>(rig.clock.tickCount); };
    auto now = [&] { return LocalMs(rig.clock.now); };
    // The local clock runs with the counter from one change to the next.
    struct Span {
      std::int64_t fromTick, toTick, localAtFrom;
    };
    std::vector<Span> spans{{tick(), INT64_MAX, now()}};
    auto endSpan = [&] { spans.back().toTick = tick(); };
    auto startSpan = [&] { spans.push_back({tick(), INT64_MAX, now()}); };
    // Stretches in which no tick could run on time: a countdown, a dialog,
    // monitoring off, each until the first tick after it.
    std::vector<std::pair<std::int64_t, std::int64_t>> held;
    // Occurrences shown, skipped or run from a balloon, by trigger and action.
    std::set<std::pair<std::string, std::int64_t>> consumed;
    auto key = [](const PowerTask& task) { return task.Trigger() + "\t" + task.Action(); };
    std::vector<Line> expected;
    auto slotOf = [&](int row) {
      for (std::size_t i = 0; i < stored.size(); ++i) {
        if (stored[i].row == row) return static_cast<int>(i);
      }
      return -1;
    };
    // Record lines are compared by local time: the local time of counter
    // time `t`, in the stretch the clock runs on now.
    auto localOf = [&](std::int64_t t) { return now() - (tick() - t); };
    auto expect = [&](int row, std::int64_t at, const std::string& outcome, std::int64_t slack = 1500) {
      const PowerTask& task = stored[static_cast<std::size_t>(slotOf(row))];
      expected.push_back({localOf(at), task.Trigger(), task.Action(), outcome, slack});
    };
    // A run of a power task: the fast paths, which end the system inside
    // their call, say first that they began.
    auto expectRun = [&](int row, std::int64_t at, std::int32_t late) {
      if (CallOf(row).rfind("NtShutdownSystem", 0) == 0) expect(row, at, "开始执行");
      expect(row, at, ran(late));
    };

    struct Showing {
      int row = -1;
      std::int64_t shownAt = 0;
      int choice = 0;  // 0 run out, 1 execute now, 2 cancel, 3 postpone
      std::int64_t actAt = 0;
      std::int32_t late = 0;
    };
    std::optional<Showing> showing;
    struct Waiting {  // a postponement
      int row;
      std::string trigger, action;
      std::int64_t dueAt;
      bool gone = false;  // its task deleted or edited since
    };
    std::vector<Waiting> waiting;
    std::optional<std::int64_t> monitoringOnAt;
    std::int64_t monitoringOffAt = 0;
    bool present = true;
    std::int64_t awayUntil = 0;
    std::set<std::int64_t> idleStretches;  // shown, by the counter at the last input
    bool bootDone = false;
    SettingsDialog* dialog = nullptr;
    std::int64_t dialogOpened = 0, dialogUntil = 0;
    bool clockMoved = false;
    std::size_t events = 0, calls = 0, balloons = 0;

    // Whether a tick between `t` and `t` + 12 s could run, in the evening
    // as lived so far.
    auto freeAt = [&](std::int64_t t) {
      const std::int64_t end = t + 12 * kSecondMs;
      for (const auto& [from, to] : held) {
        if (from < end && to > t) return false;
      }
      if ((showing && showing->shownAt < end) || (dialog && dialogOpened < end) ||
          (monitoringOnAt && monitoringOffAt < end)) {
        return false;
      }
      bool lived = false;
      for (const Span& span : spans) {
        if (span.fromTick > t - kMinuteMs && span.fromTick < end) return false;
        lived = lived || (span.fromTick <= t && end <= std::min(span.toTick, tick()));
      }
      return lived;
    };
    // The counter time at which the local minute starting at `local` was
    // lived last before `before`; the start of the stretch for a minute the
    // clock came into midway.
    auto tickAtLocal = [&](std::int64_t local, std::int64_t before) -> std::optional<std::int64_t> {
      std::optional<std::int64_t> found;
      for (const Span& span : spans) {
        const std::int64_t t = span.fromTick + std::max<std::int64_t>(local - span.localAtFrom, 0);
        if (local + kMinuteMs > span.localAtFrom && t <= std::min(span.toTick, tick()) && t <= before) found = t;
      }
      return found;
    };
    auto powerCall = [&](int row, const char* why) {
      const std::string call = CallOf(row);
      counts["refused"] += !rig.power.refusal.empty();
      if (rig.power.calls.size() != calls + 1 || rig.power.calls.back() != call) {
        fault(std::string(why) + ": expected " + call + ", got " +
              (rig.power.calls.size() > calls ? rig.power.calls.back() : std::string("nothing")));
      }
      calls = rig.power.calls.size();
      ++counts[std::string("calls ") + kCountdownActions[row].verb];
    };
    auto input = [&] {
      const std::int64_t last = rig.clock.lastInputTick;
      const std::int64_t mark = last + kIdleMinutes * kMinuteMs;
      if (tick() > mark + 12 * kSecondMs && slotOf(kIdleRow) >= 0 && freeAt(mark) && !idleStretches.count(last)) {
        fault("the idle task missed a stretch of " + N((tick() - last) / kMinuteMs) + " minutes");
      }
      rig.clock.Input();
    };
    auto endShowing = [&] {
      held.push_back({showing->shownAt, tick() + 10 * kSecondMs});
      showing.reset();
    };
    auto sleep = [&](bool inCountdown) {
      rig.unit.Suspending();
      if (inCountdown) {
        expect(showing->row, tick(), "电脑睡眠，未执行");
        held.push_back({showing->shownAt, tick()});
        showing.reset();
      }
      endSpan();
      rig.clock.Advance(static_cast<std::uint64_t>(between(5, 60) * kMinuteMs));
      rig.unit.Resumed();
      startSpan();
      for (auto w = waiting.begin(); w != waiting.end();) {
        if (w->dueAt > tick()) {
          ++w;
          continue;
        }
        expected.push_back({now(), w->trigger, w->action, "电脑睡眠，未执行", 1500});
        w = waiting.erase(w);
      }
    };

    // Which occurrence a countdown that just showed is for, and whether it
    // came when it had to.
    auto identify = [&](const std::string& caption, std::int64_t at) -> std::optional<Showing> {
      int row = -1;
      for (int r = 0; r < kPowerActionCount; ++r) {
        if (caption == std::string("Windows 正在准备") + kCountdownActions[r].verb + "...") row = r;
      }
      const int slot = slotOf(row);
      if (slot < 0) {
        fault("a countdown of no stored task: " + caption);
        return std::nullopt;
      }
      const PowerTask& task = stored[static_cast<std::size_t>(slot)];
      Showing shown{row, at, 0, 0, 0};
      for (auto w = waiting.begin(); w != waiting.end(); ++w) {  // a postponement first
        if (w->row != row || w->dueAt > at) continue;
        if (w->gone) fault("a postponement came back for a task deleted or edited since");
        if (!w->gone && at > w->dueAt + 11 * kSecondMs && freeAt(w->dueAt)) fault("a postponement came back late");
        if (at > w->dueAt + kBoundMinutes * kMinuteMs + 11 * kSecondMs) fault("a postponement came back too late");
        waiting.erase(w);
        ++counts["postponements back"];
        return shown;
      }
      if (row == kIdleRow) {
        const std::int64_t stretch = rig.clock.lastInputTick;
        if (at - stretch < kIdleMinutes * kMinuteMs) fault("the idle task before its minutes");
        if (!idleStretches.insert(stretch).second) fault("the idle task twice in one stretch");
        ++counts["idle occurrences"];
        return shown;
      }
      if (row == kBootRow) {
        if (at / kMinuteMs < kBootMinute || at / kMinuteMs > kBootMinute + kBoundMinutes) {
          fault("the start task at minute " + N(at / kMinuteMs) + " after start");
        }
        if (at > (kBootMinute * 60 + 11) * kSecondMs && freeAt(kBootMinute * kMinuteMs)) fault("the start task late");
        if (bootDone) fault("the start task twice");
        bootDone = true;
        shown.late = static_cast<std::int32_t>(at / kMinuteMs - kBootMinute);
        ++counts["start occurrences"];
        return shown;
      }
      // The oldest minute not yet consumed of the ten a tick looks back at.
      const std::int64_t local = now() - (tick() - at);
      for (std::int64_t m = local / kMinuteMs - kBoundMinutes; m <= local / kMinuteMs; ++m) {
        if (!task.when.DueIn(m) || !consumed.insert({key(task), m}).second) continue;
        shown.late = static_cast<std::int32_t>(local / kMinuteMs - m);
        const std::optional<std::int64_t> minuteTick = tickAtLocal(m * kMinuteMs, at);
        if (!minuteTick) {
          std::string d;
          for (const Span& span : spans) d += " [" + N(span.fromTick) + "," + N(span.toTick) + "," + N(span.localAtFrom - evening) + "]";
          fault(task.Trigger() + " shown for a minute never lived " + N(m * kMinuteMs - evening) + " at " + N(at) + d);
        }
        if (minuteTick && freeAt(*minuteTick) && at > *minuteTick + 11 * kSecondMs) {
          fault(task.Trigger() + " shown " + N((at - *minuteTick) / kSecondMs) +
                " s after its minute, with nothing holding the tick");
        }
        ++counts["calendar occurrences"];
        return shown;
      }
      fault(task.Trigger() + " shown for no minute due");
      return std::nullopt;
    };

    while (now() < evening + 3 * 60 * kMinuteMs) {
      // The user, between steps of five seconds.
      if (!present && tick() >= awayUntil) present = true;
      if (present) input();
      if (present && !showing && !dialog && chance(0.004)) {
        present = false;
        awayUntil = tick() + between(2, 20) * kMinuteMs;
        ++counts["times away"];
      }
      if (monitoringOnAt && tick() >= *monitoringOnAt) {
        rig.unit.N1Click();
        held.push_back({monitoringOffAt, tick() + 10 * kSecondMs});
        monitoringOnAt.reset();
        endSpan();
        startSpan();
        ++counts["monitoring on again"];
      } else if (showing && showing->choice != 0 && tick() >= showing->actAt && rig.view.shown) {
        input();
        const int row = showing->row;
        if (showing->choice == 1) {
          rig.unit.BitBtn1Click();
          powerCall(row, "execute now");
          expectRun(row, tick(), showing->late);
          ++counts["executed now"];
        } else if (showing->choice == 2) {
          rig.unit.BitBtn2Click();
          expect(row, tick(), "已取消");
          waiting.clear();  // monitoring off drops what was postponed
          monitoringOffAt = tick();
          monitoringOnAt = tick() + between(1, 20) * kMinuteMs;
          ++counts["cancelled"];
        } else {
          const std::int32_t minutes = kPostponeChoices[between(0, 3)].minutes;
          rig.view.postponeChoice = minutes;
          rig.unit.BitBtn3Click();
          expect(row, tick(), "推迟 " + N(minutes) + " 分钟");
          const PowerTask& task = stored[static_cast<std::size_t>(slotOf(row))];
          waiting.push_back({row, task.Trigger(), task.Action(), tick() + minutes * kMinuteMs});
          ++counts["postponed"];
        }
        endShowing();
      } else if (!dialog && !showing && !monitoringOnAt && chance(0.002)) {
        ++counts["sleeps"];
        sleep(false);
      } else if (showing && showing->choice == 0 && !dialog && chance(0.01)) {
        ++counts["sleeps in a countdown"];
        sleep(true);
      } else if (dialog && tick() >= dialogUntil) {
        dialog->Close();
        held.push_back({dialogOpened, tick() + 10 * kSecondMs});
        dialog = nullptr;
      } else if (!dialog && !showing && !monitoringOnAt && chance(waiting.empty() ? 0.0005 : 0.01)) {
        dialog = &rig.OpenSettings();
        dialogOpened = tick();
        dialogUntil = tick() + between(1, 14) * kMinuteMs;
        ++counts["settings dialogs"];
        // While a calendar task waits, now and then it is deleted or edited.
        const int row = waiting.empty() ? -1 : waiting.front().row;
        if (row >= 0 && row < kIdleRow && slotOf(row) >= 0 && chance(0.4)) {
          const int slot = slotOf(row);
          changedRows.insert(row);
          for (Waiting& w : waiting) w.gone = w.gone || w.row == row;
          if (chance(0.5)) {
            dialog->selected = static_cast<std::size_t>(slot);
            dialog->Button6Click();
            stored.erase(stored.begin() + slot);  // back the next evening, as it was
            ++counts["deleted while postponed"];
          } else {
            for (PowerTask& task : tasks) {
              if (task.row == row) task.when = PlanCalendar(random, task.when.kind);
            }
            stored[static_cast<std::size_t>(slot)].when = tasks[static_cast<std::size_t>(row)].when;
            rig.stored.PutString(SlotValueName('A', slot + 1), tasks[static_cast<std::size_t>(row)].Trigger());
            ++counts["edited while postponed"];
          }
        }
      } else if (!clockMoved && !dialog && !showing && day % 4 == 1 && now() >= evening + 80 * kMinuteMs) {
        clockMoved = true;
        const std::int64_t by = (day % 8 == 1 ? -1 : 1) * between(61, 120) * kMinuteMs;
        endSpan();
        SetClock(rig.clock, now() + by);
        rig.unit.TimeChanged();
        startSpan();
        ++counts[by < 0 ? "clock set back" : "clock set forward"];
      } else if (!monitoringOnAt && !showing && !dialog && chance(0.0005)) {
        rig.unit.N1Click();  // off from the menu, on again later
        waiting.clear();
        monitoringOffAt = tick();
        monitoringOnAt = tick() + between(1, 20) * kMinuteMs;
        ++counts["monitoring off"];
      }

      const std::int64_t stepFrom = tick();
      rig.view.RunFor(5 * kSecond);

      // What the program did in the step.
      for (; events < rig.view.windowEvents.size(); ++events) {
        const FakeForm1::WindowEvent& event = rig.view.windowEvents[events];
        if (event.caption.empty()) continue;  // hidden
        std::optional<Showing> shown = identify(event.caption, event.tickCount);
        if (showing) {  // a later countdown took the window over
          expect(showing->row, event.tickCount,
                 "未执行：倒计时被任务 " + N(shown ? slotOf(shown->row) + 1 : 0) + " 取代");
          held.push_back({showing->shownAt, event.tickCount});
          showing.reset();
          ++counts["replaced"];
        }
        if (!shown) continue;
        const std::int64_t pick = present ? between(0, 9) : 0;
        shown->choice = pick < 5 ? 0 : pick < 7 ? 1 : pick < 8 ? 2 : 3;
        if (shown->row == kIdleRow && shown->choice == 3) shown->choice = 0;
        shown->actAt = event.tickCount + between(1, kTishiS - 7) * kSecondMs;  // a step before the end
        showing = shown;
      }
      if (showing && !rig.view.shown) {  // ran out: the call comes at the last of its seconds
        const std::int64_t due = showing->shownAt + kTishiS * kSecondMs;
        if (showing->choice != 0 || !(due > stepFrom && due <= tick())) {
          fault(std::string("a countdown of ") + kCountdownActions[showing->row].verb + " ended " +
                N((tick() - showing->shownAt) / kSecondMs) + " s after it showed");
        }
        powerCall(showing->row, "run out");
        expectRun(showing->row, due, showing->late);
        ++counts["run out"];
        endShowing();
      }
      if (rig.power.calls.size() != calls) {
        fault("a power call nobody was shown: " + rig.power.calls.back());
        calls = rig.power.calls.size();
      }
      // Postponements dropped at their time: their task gone, or held too long.
      if (!showing && !dialog && !monitoringOnAt) {
        for (auto w = waiting.begin(); w != waiting.end();) {
          const bool late = tick() > w->dueAt + kBoundMinutes * kMinuteMs + 20 * kSecondMs;
          if (!(w->gone && tick() > w->dueAt + 10 * kSecondMs) && !late) {
            ++w;
            continue;
          }
          // Dropped at the first tick that runs after its time, which may
          // follow the countdown of another postponement due with it.
          const std::int64_t from = localOf(w->dueAt + (w->gone ? 0 : kBoundMinutes * kMinuteMs));
          const std::int64_t nearLate = w->dueAt + kBoundMinutes * kMinuteMs - 30 * kSecondMs;
          expected.push_back({from, w->trigger, w->action,
                              w->gone && tick() < nearLate ? "未执行：推迟期间任务已删除或修改" : "未执行：推迟", 0,
                              true});
          ++counts[w->gone ? "postponements of a changed task dropped" : "postponements held too long dropped"];
          w = waiting.erase(w);
        }
      }
      // Balloons ahead of a calendar or start task: answered now and then.
      for (; balloons < rig.shell.balloons.size(); ++balloons) {
        const std::string& text = rig.shell.balloons[balloons];
        const std::size_t at = text.find(" 分钟后将");
        if (at == std::string::npos || showing || dialog || !present || !chance(0.3)) continue;
        const std::int64_t ahead = std::stoll(text.substr(0, at));
        int row = -1;
        for (const PowerTask& task : stored) {
          if (text.substr(at + std::strlen(" 分钟后将")) == task.Action()) row = task.row;
        }
        if (row < 0) {
          fault("a balloon for no stored task: " + text);
          continue;
        }
        const PowerTask& task = stored[static_cast<std::size_t>(slotOf(row))];
        std::int64_t occurrenceTick = kBootMinute * kMinuteMs;
        if (row == kBootRow) {
          if (bootDone) fault("a balloon for the start task after its minute");
          bootDone = true;
        } else {
          std::int64_t occurrence = -1;
          for (std::int64_t m = now() / kMinuteMs + ahead - 1; m <= now() / kMinuteMs + ahead; ++m) {
            if (task.when.DueIn(m) && !consumed.count({key(task), m})) occurrence = m;
          }
          if (occurrence < 0) {
            fault("a balloon for no coming minute: " + text);
            continue;
          }
          consumed.insert({key(task), occurrence});
          occurrenceTick = tick() + (occurrence * kMinuteMs - now());
        }
        input();
        rig.unit.BalloonClicked();
        const std::int64_t choice = between(0, 2);
        if (choice == 0) {
          rig.unit.WarningRunNow();
          powerCall(row, "run now from a warning");
          expectRun(row, tick(), 0);
          ++counts["run from a warning"];
        } else if (choice == 1) {
          const std::int32_t minutes = kPostponeChoices[between(0, 3)].minutes;
          rig.unit.WarningPostpone(minutes);
          expect(row, tick(), "推迟 " + N(minutes) + " 分钟");
          waiting.push_back({row, task.Trigger(), task.Action(), occurrenceTick + minutes * kMinuteMs});
          ++counts["postponed from a warning"];
        } else {
          rig.unit.WarningSkip();
          expect(row, tick(), "本次不执行");
          ++counts["skipped from a warning"];
        }
      }
    }
    if (dialog) dialog->Close();
    endSpan();

    // No occurrence missed on free time: the calendar tasks left as they were.
    for (const PowerTask& task : stored) {
      if (task.row >= kIdleRow || changedRows.count(task.row)) continue;
      for (const Span& span : spans) {
        for (std::int64_t m = span.localAtFrom / kMinuteMs + 1; ; ++m) {
          const std::int64_t t = span.fromTick + (m * kMinuteMs - span.localAtFrom);
          if (t + 12 * kSecondMs > span.toTick) break;
          if (task.when.DueIn(m) && freeAt(t) && !consumed.count({key(task), m})) {
            fault(task.Trigger() + " missed a minute with nothing holding the tick");
          }
        }
      }
    }
    if (slotOf(kBootRow) >= 0 && !bootDone && freeAt(kBootMinute * kMinuteMs)) fault("the start task missed");

    // The record, line by line, against what the test expects.
    std::vector<Line> actual;
    for (const std::string& text : rig.RecordedLines()) {
      // "2027-01-05 19:12:00\t任务 3\t每天19时12分\t关闭计算机\t已执行"
      std::vector<std::string> fields;
      std::size_t start = 0;
      for (std::size_t tab; (tab = text.find('\t', start)) != std::string::npos; start = tab + 1) {
        fields.push_back(text.substr(start, tab - start));
      }
      fields.push_back(text.substr(start));
      ClockSnapshot at{};
      std::sscanf(fields[0].c_str(), "%hu-%hu-%hu %hu:%hu:%hu", &at.wYear, &at.wMonth, &at.wDay, &at.wHour,
                  &at.wMinute, &at.wSecond);
      actual.push_back({LocalMs(at), fields[2], fields[3], fields[4], 0});
    }
    for (const Line& want : expected) {
      auto found = std::find_if(actual.begin(), actual.end(), [&](const Line& line) {
        // The line has whole seconds: up to one second before the moment.
        return line.trigger == want.trigger && line.action == want.action &&
               line.outcome.rfind(want.outcome, 0) == 0 && (want.orLater || line.at <= want.at + want.slackMs) &&
               line.at + want.slackMs + kSecondMs >= want.at;
      });
      if (found == actual.end()) {
        fault("no record line \"" + want.trigger + " " + want.action + " " + want.outcome + "\" at " +
              N((want.at - evening) / kSecondMs) + " s");
        continue;
      }
      actual.erase(found);
    }
    for (const Line& line : actual) {
      fault("a record line not expected: " + line.trigger + " " + line.action + " " + line.outcome + " at " +
            N((line.at - evening) / kSecondMs) + " s");
    }
    const auto saying = [](const char* part) {
      return [part](const std::string& text) { return text.find(part) != std::string::npos; };
    };
    const std::vector<std::string> lines = rig.RecordedLines();
    if (std::count_if(rig.shell.balloons.begin(), rig.shell.balloons.end(), saying("耽搁太久")) !=
        std::count_if(lines.begin(), lines.end(), saying("耽搁"))) {
      fault("a postponement held too long dropped without its balloon");
    }
    counts["record lines"] += static_cast<int>(expected.size());
  }

  std::printf("simulated year of power tasks:");
  for (const auto& [what, count] : counts) std::printf(" %s %d;", what.c_str(), count);
  std::printf(" %zu faults\n", faults.size());
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults";
  for (const char* kind : {"run out", "executed now", "cancelled", "postponed", "postponements back", "replaced",
                           "idle occurrences", "start occurrences", "run from a warning", "postponed from a warning",
                           "skipped from a warning", "sleeps", "sleeps in a countdown", "clock set back",
                           "clock set forward", "monitoring off", "monitoring on again", "settings dialogs",
                           "deleted while postponed", "edited while postponed",
                           "postponements of a changed task dropped", "refused"}) {
    EXPECT_GT(counts[kind], 0) << kind;
  }
}

// ---------------------------------------------------------------------------
// A year of mornings of a computer that sleeps at night and is now and then
// switched off for days. A nightly file at 03:00 and a reminder on
// Wednesdays at 06:00 wake it; the reminder and one on the 1st of each month
// at 09:00 are caught up when missed; a shutdown at noon marked for catch-up
// by hand is refused it. Now and then the user switches monitoring off in
// the morning and on again the next: nothing wakes the computer meanwhile,
// and what was missed is passed over, whether the program ran on or closed. The test acts as the system (it fires the wake
// timer it finds set) and works out for itself which wake must be set when
// the computer goes to sleep, and which record line each wake, run and
// catch-up leaves at which minute. Now and then the resume ends minutes
// after the timer, the user is still up at 02:59, or a settings dialog is
// left open overnight; once the clock is a year ahead for a morning.
std::string MinuteText(std::int64_t localMs) {
  const std::tm tm = CalendarOf(localMs);
  char text[64];  // room for any int, which the compiler cannot rule out
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d", tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday,
                tm.tm_hour, tm.tm_min);
  return text;
}

ClockSnapshot SnapshotOf(std::int64_t localMs) {
  const std::tm tm = CalendarOf(localMs);
  ClockSnapshot at;
  at.wYear = static_cast<std::uint16_t>(tm.tm_year + 1900);
  at.wMonth = static_cast<std::uint16_t>(tm.tm_mon + 1);
  at.wDay = static_cast<std::uint16_t>(tm.tm_mday);
  at.wHour = static_cast<std::uint16_t>(tm.tm_hour);
  at.wMinute = static_cast<std::uint16_t>(tm.tm_min);
  return at;
}

TEST(SimulatedYear, WakeTasksWakeTheSleepingComputerAndMissedRemindersAreCaughtUpOnce) {
  const char* const kOptions = "Software\\Drennik\\Velmaro\\WakeAndCatchUp";
  // Slot 1 at 03:00 and slot 2 on Wednesdays at 06:00 wake it; 2 and 3 are caught up.
  const auto nightly = [](const std::tm& tm) { return tm.tm_hour == 3 && tm.tm_min == 0; };
  const auto wednesday = [](const std::tm& tm) { return tm.tm_wday == 3 && tm.tm_hour == 6 && tm.tm_min == 0; };
  const auto monthly = [](const std::tm& tm) { return tm.tm_mday == 1 && tm.tm_hour == 9 && tm.tm_min == 0; };
  // The latest minute before `localMs`, within 31 days, that `due` names.
  const auto latest = [](auto due, std::int64_t localMs) -> std::optional<std::int64_t> {
    for (std::int64_t minute = localMs / kMinuteMs - 1; minute >= localMs / kMinuteMs - 31 * 1440; --minute) {
      if (due(CalendarOf(minute * kMinuteMs))) return minute * kMinuteMs;
    }
    return std::nullopt;
  };
  const auto next = [](auto due, std::int64_t localMs) {
    std::int64_t minute = localMs / kMinuteMs + 1;
    while (!due(CalendarOf(minute * kMinuteMs))) ++minute;
    return minute * kMinuteMs;
  };

  std::mt19937 random(2029);
  const auto between = [&](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
  };
  auto rig = std::make_unique<Rig>();
  rig->Arrange({{"每天3时0分", "打开文件", "nightly.cmd"},
                {"每周3日6时0分", "提醒", "周三"},
                {"每月1日9时0分", "提醒", "月报"},
                {"每天12时0分", "关闭计算机", ""}});
  const auto put = [&](const TaskKey& key, const char* text) {
    rig->registry.PutString(RegRoot::LocalMachine, kOptions, OptionsValueName(key), text);
  };
  put({"每天3时0分", "打开文件", "nightly.cmd", 0}, "W");
  put({"每周3日6时0分", "提醒", "周三", 0}, "WC 2026-12-30 06:00");
  put({"每月1日9时0分", "提醒", "月报", 0}, "C 2026-12-01 09:00");
  put({"每天12时0分", "关闭计算机", "", 0}, "C 2026-12-01 12:00");
  // The occurrences last run, as the options above say.
  std::int64_t lastWednesday = LocalMs({2026, 12, 0, 30, 6, 0, 0, 0});
  std::int64_t lastMonthly = LocalMs({2026, 12, 0, 1, 9, 0, 0, 0});

  std::vector<std::string> expected;
  const auto expect = [&](std::int64_t at, int slot, const std::string& outcome) {
    expected.push_back(MinuteText(at) + "|任务 " + N(slot) + "|" + outcome);
  };
  std::map<std::string, int> counts;
  // What was missed up to `at`, run (at the start or on waking) or passed over.
  const auto catchUp = [&](std::int64_t at, bool run) {
    for (auto [due, last, slot] : {std::tuple{+wednesday, &lastWednesday, 2}, std::tuple{+monthly, &lastMonthly, 3}}) {
      // A run recorded ahead of the clock says nothing of what was missed before now.
      if (*last > at - at % kMinuteMs) {
        *last = at - at % kMinuteMs;
        ++counts["runs ahead of the clock dropped"];
        continue;
      }
      const std::optional<std::int64_t> missed = latest(due, at);
      if (!missed || *missed <= *last) continue;
      if (run) expect(at, slot, "补做（错过 " + MinuteText(*missed) + "）");
      *last = *missed;
      ++counts[run ? "caught up" : "passed over"];
    }
  };
  bool running = false;
  bool monitoringOff = false;
  bool aheadDone = false;
  SettingsDialog* dialog = nullptr;  // left open across the night
  int offDays = 0;
  std::size_t powerCalls = 0;
  const std::int64_t first = LocalMs({2026, 12, 0, 31, 0, 0, 0, 0});
  for (std::int64_t day = first; day < first + 366 * kDayMs; day += kDayMs) {
    const bool early = between(0, 1) == 0;
    const std::int64_t start = day + (early ? 8 * 60 + 30 : 9 * 60 + 20) * kMinuteMs + between(0, 600) * kSecondMs;
    const std::int64_t end = early ? day + (9 * 60 + 5) * kMinuteMs + between(0, 600) * kSecondMs
                                   : start + between(5 * 60, 40 * 60) * kSecondMs;
    // The night: asleep with the program running, the wake timer fires.
    while (running) {
      const std::int64_t now = LocalMs(rig->clock.LocalTime());
      if (monitoringOff) {
        ASSERT_FALSE(rig->wake.timer) << "monitoring off, asleep at " << MinuteText(now);
        break;
      }
      const std::int64_t nightly3 = next(nightly, now), wed6 = next(wednesday, now);
      const std::int64_t occurrence = std::min(nightly3, wed6);
      const int slot = occurrence == nightly3 ? 1 : 2;
      const std::optional<UniversalTime> wakeAt = rig->wake.UniversalFromLocal(SnapshotOf(occurrence));
      ASSERT_TRUE(wakeAt);
      ASSERT_EQ(rig->wake.timer, *wakeAt - kUniversalMinute) << "asleep at " << MinuteText(now);
      std::int64_t utcMs = FakeWake::UtcMsOf(*rig->wake.timer);
      const std::int64_t fires = utcMs + rig->wake.OffsetAt(utcMs) * kMinuteMs;
      if (fires >= start) break;
      // Still up at 02:59, the user lets it sleep after the timer fired
      // while it was awake. Not on the night 02:00 to 02:59 shows twice,
      // which the local clock alone cannot tell apart.
      if (slot == 1 && !dialog && between(0, 99) < 8 &&
          rig->wake.OffsetAt(utcMs - 2 * 60 * kMinuteMs) == rig->wake.OffsetAt(utcMs)) {
        rig->clock.Advance(static_cast<std::uint64_t>(fires - between(5, 40) * kMinuteMs - now));
        rig->unit.Resumed();
        catchUp(LocalMs(rig->clock.LocalTime()), true);
        rig->view.RunFor(static_cast<std::uint64_t>(fires + between(5, 55) * kSecondMs - LocalMs(rig->clock.LocalTime())));
        rig->unit.Suspending();
        ASSERT_EQ(rig->wake.timer, *wakeAt) << "asleep in the minute before " << MinuteText(occurrence);
        utcMs = FakeWake::UtcMsOf(*wakeAt);
        ++counts["asleep in the minute before"];
      }
      // Now and then the resume takes up to the three minutes that still
      // count as the timer's; the clock it ends on may be summer time's.
      const std::int64_t resumeUtc = utcMs + (between(0, 99) < 15 ? between(60, 180) : between(0, 20)) * kSecondMs;
      const std::int64_t resumed = resumeUtc + rig->wake.OffsetAt(resumeUtc) * kMinuteMs;
      // The night summer time ends, 03:00 comes after 02:00 to 02:59 showed
      // twice: the timer fires in the second showing.
      rig->wake.secondShowing = rig->wake.OffsetAt(resumeUtc) == rig->wake.biasMinutes;
      rig->clock.Advance(static_cast<std::uint64_t>(resumed - LocalMs(rig->clock.LocalTime())));
      rig->unit.Resumed();
      rig->wake.secondShowing = false;
      ASSERT_TRUE(rig->wake.awake) << "not woken by its timer at " << MinuteText(resumed);
      expect(resumed, slot, "为任务 " + N(slot) + " 唤醒计算机");
      catchUp(resumed, true);
      const std::int64_t late = resumed / kMinuteMs - occurrence / kMinuteMs;
      if (slot == 2 && lastWednesday == occurrence) {
        // Woken after its minute, the catch-up ran it.
      } else if (dialog) {
        // Checked each minute from the resume, the stay-awake ends once its
        // minute, a countdown of 60 s and ten minutes have gone by.
        const std::int64_t awakeMs = std::max<std::int64_t>(FakeWake::UtcMsOf(*wakeAt) - resumeUtc, 0) + 11 * kMinuteMs;
        const std::int64_t released = resumeUtc + (awakeMs + kMinuteMs - 1) / kMinuteMs * kMinuteMs;
        expect(released + rig->wake.OffsetAt(released) * kMinuteMs, slot, "未执行：唤醒计算机后未能运行");
        ++counts["held by a dialog"];
      } else if (late <= 0) {
        expect(occurrence, slot, "已执行");
      } else {
        expect(resumed, slot, "迟了 " + N(late) + " 分钟执行");
        ++counts["woken late"];
      }
      if (slot == 2 && !dialog) lastWednesday = occurrence;
      ++counts["wakes"];
      for (int minutes = 0; rig->wake.awake; ++minutes) {
        ASSERT_LT(minutes, 90) << "kept awake at " << MinuteText(LocalMs(rig->clock.LocalTime()));
        // The night summer time begins, the clock springs from 02:00 to
        // 03:00 while the computer is awake, as the system sets it.
        const std::int64_t utcNow = resumeUtc + minutes * kMinuteMs;
        const std::int64_t hour = utcNow - utcNow % (60 * kMinuteMs) + 60 * kMinuteMs;
        const std::int64_t toHour = hour - utcNow;
        if (toHour < kMinuteMs && rig->wake.OffsetAt(hour) > rig->wake.OffsetAt(utcNow)) {
          rig->view.RunFor(static_cast<std::uint64_t>(toHour));
          SetClock(rig->clock, hour + rig->wake.OffsetAt(hour) * kMinuteMs);
          rig->unit.TimeChanged();
          ++counts["springs forward awake"];
        }
        rig->view.RunFor(static_cast<std::uint64_t>(toHour < kMinuteMs ? kMinuteMs - toHour : kMinuteMs));
      }
      rig->unit.Suspending();
    }
    if (offDays > 0) {
      --offDays;
      continue;
    }
    // The morning: woken by the user, or switched on; once with the clock
    // a year ahead, set right before the night.
    const bool ahead = !aheadDone && !monitoringOff && day >= first + 150 * kDayMs;
    const std::int64_t shift = ahead ? 365 * kDayMs : 0;
    if (running) {
      rig->clock.Advance(static_cast<std::uint64_t>(start - LocalMs(rig->clock.LocalTime())));
      if (ahead) SetClock(rig->clock, start + shift);
      rig->unit.Resumed();
      if (dialog) dialog->Close();
      dialog = nullptr;
    } else {
      auto started = std::make_unique<Rig>();
      started->registry = rig->registry;
      started->records = rig->records;
      powerCalls += rig->power.calls.size();
      rig = std::move(started);
      SetClock(rig->clock, start + shift);
      rig->unit.FormCreate();
      running = true;
      ++counts["starts"];
    }
    if (monitoringOff) {
      // Woken with monitoring off, which the user switches on a moment later.
      rig->clock.Advance(static_cast<std::uint64_t>(between(5, 30) * kSecondMs));
      rig->unit.N1Click();
      monitoringOff = false;
      catchUp(LocalMs(rig->clock.LocalTime()), false);
    } else {
      catchUp(start + shift, true);
    }
    if (ahead) {
      rig->unit.TimeChanged();
      aheadDone = true;
      ++counts["a year ahead"];
    }
    if (between(0, 99) < 10) {
      // Off before 09:00 even on an early morning, until the next.
      rig->view.RunFor(static_cast<std::uint64_t>(between(10, 60) * kSecondMs));
      rig->unit.N1Click();
      monitoringOff = true;
      ++counts["monitoring off"];
    }
    if (!monitoringOff && early && monthly(CalendarOf(day + shift + 9 * 60 * kMinuteMs))) {
      expect(day + shift + 9 * 60 * kMinuteMs, 3, "已执行");
      lastMonthly = day + shift + 9 * 60 * kMinuteMs;
      ++counts["on time"];
    }
    rig->view.RunFor(static_cast<std::uint64_t>(end + shift - LocalMs(rig->clock.LocalTime())));
    if (ahead) {
      SetClock(rig->clock, end);
      rig->unit.TimeChanged();
    }
    if (between(0, 99) < 12) {
      if (monitoringOff) catchUp(end, false);
      rig->unit.FormClose();
      running = false;
      monitoringOff = false;
      offDays = static_cast<int>(between(0, 12));
      ++counts["switched off"];
    } else {
      if (!monitoringOff && between(0, 99) < 8) {
        dialog = &rig->OpenSettings();
        ++counts["dialogs left open"];
      }
      rig->unit.Suspending();
    }
  }
  powerCalls += rig->power.calls.size();

  std::vector<std::string> recorded;
  for (const std::string& line : rig->RecordedLines()) {
    std::vector<std::string> fields;
    for (std::size_t at = 0, tab; at <= line.size(); at = tab + 1) {
      tab = line.find('\t', at);
      if (tab == std::string::npos) tab = line.size();
      fields.push_back(line.substr(at, tab - at));
    }
    ASSERT_EQ(fields.size(), 5u) << line;
    recorded.push_back(fields[0].substr(0, 16) + "|" + fields[1] + "|" + fields[4]);
  }
  std::sort(expected.begin(), expected.end());
  std::sort(recorded.begin(), recorded.end());
  EXPECT_EQ(recorded, expected);
  EXPECT_EQ(powerCalls, 0u) << "a shutdown is never caught up";
  std::printf("simulated year of wakes and catch-ups:");
  for (const auto& [what, count] : counts) std::printf(" %s %d;", what.c_str(), count);
  std::printf("\n");
  for (const char* kind : {"wakes", "starts", "caught up", "on time", "switched off", "monitoring off", "passed over",
                           "woken late", "asleep in the minute before", "dialogs left open", "held by a dialog",
                           "a year ahead", "runs ahead of the clock dropped"}) {
    EXPECT_GT(counts[kind], 0) << kind;
  }
}

}  // namespace
}  // namespace velmaro
