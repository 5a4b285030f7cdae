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
#include <ctime>
#include <map>
#include <random>
#include <set>
#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"

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

std::string N(int value) { return std::to_string(value); }

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

}  // namespace
}  // namespace velmaro
