// A year of evenings with the quick timer among the tasks: the user sets a
// timer now and then (any of its actions, in some minutes or at a clock
// time), replaces it, cancels it from the menu or the command line, lets
// its countdown run out, runs it at once, cancels or postpones it, sets
// the clock ahead while an "in minutes" timer waits, and restarts the
// program. Beside it a daily reminder task and a shutdown task come due.
// The test works out for itself when each timer comes, which system call
// its countdown makes and when, and which record line each choice leaves.
#include <gtest/gtest.h>

#include <ctime>
#include <map>
#include <memory>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"
#include "tests/native/verb_calls.h"

namespace velmaro {
namespace {

constexpr std::int64_t kS = 1000;
constexpr std::int64_t kM = 60 * kS;
constexpr std::int64_t kTishiS = 30;

std::string N(std::int64_t n) { return std::to_string(n); }

std::int64_t LocalMs(const ClockSnapshot& now) {
  std::tm tm = {};
  tm.tm_year = now.wYear - 1900;
  tm.tm_mon = now.wMonth - 1;
  tm.tm_mday = now.wDay;
  tm.tm_hour = now.wHour;
  tm.tm_min = now.wMinute;
  tm.tm_sec = now.wSecond;
  return static_cast<std::int64_t>(timegm(&tm)) * kS + now.wMilliseconds;
}

void SetClock(FakeClock& clock, std::int64_t localMs) {
  const std::time_t seconds = static_cast<std::time_t>(localMs / kS);
  std::tm tm = {};
  gmtime_r(&seconds, &tm);
  clock.SetLocalTime(tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec);
}

// The timer's actions: the seven power rows of the countdown table, then the reminder.
constexpr int kReminder = kPowerActionCount;
const char* ActionOf(int row) { return row == kReminder ? "提醒" : kCountdownActions[row].action; }
std::string VerbOf(int row) { return row == kReminder ? "提醒" : kCountdownActions[row].verb; }

struct Expected {
  std::int64_t at;  // local time
  std::string verb, outcome;
  std::int64_t slack;
};

TEST(SimulatedYear, EveryQuickTimerRunsOnceAtItsTimeWithTheActionSetAndItsRecord) {
  std::mt19937 random(20261210);
  auto chance = [&](double p) { return std::uniform_real_distribution<double>(0, 1)(random) < p; };
  auto between = [&](std::int64_t low, std::int64_t high) {
    return std::uniform_int_distribution<std::int64_t>(low, high)(random);
  };
  std::vector<std::string> faults;
  std::map<std::string, int> counts;
  int day = 0;
  auto fault = [&](const std::string& what) {
    if (faults.size() < 15) ADD_FAILURE() << "day " << day << ": " << what;
    faults.push_back(what);
  };
  const std::int64_t firstEvening = LocalMs(ClockSnapshot{2027, 1, 5, 2, 19, 0, 0, 0});

  for (day = 0; day < 365; ++day) {
    auto rig = std::make_unique<Rig>();
    const std::int64_t reminderMinute = between(10, 170);  // after 19:00
    const std::string reminderTrigger = "每天" + N(19 + reminderMinute / 60) + "时" + N(reminderMinute % 60) + "分";
    rig->Arrange({{reminderTrigger.c_str(), "提醒", "task"}, {"每天23时30分", "关闭计算机", ""}},
                 static_cast<std::int32_t>(kTishiS));
    SetClock(rig->clock, firstEvening + day * 24 * 60 * kM);
    rig->clock.tickCount = static_cast<std::uint32_t>(between(1, 50) * kM);
    rig->unit.FormCreate();

    auto tick = [&] { return static_cast<std::int64_t>(rig->clock.tickCount); };
    auto now = [&] { return LocalMs(rig->clock.now); };
    std::vector<Expected> expected;
    auto expect = [&](int row, std::int64_t local, const std::string& outcome, std::int64_t slack = 1500) {
      if (row < kReminder && CallOfVerb(VerbOf(row)).rfind("NtShutdownSystem", 0) == 0 && outcome == "已执行") {
        expected.push_back({local, VerbOf(row), "开始执行", slack});
      }
      expected.push_back({local, VerbOf(row), outcome, slack});
    };

    struct Timer {
      int row;
      bool in;
      std::int64_t dueTick;   // In: on the counter
      std::int64_t dueLocal;  // At: on the clock
    };
    std::optional<Timer> timer;
    struct Shown {
      int row;
      std::int64_t at;
      int choice;  // 0 run out, 1 execute now, 2 cancel, 3 postpone
      std::int64_t actAt;
    };
    std::optional<Shown> shown;
    std::optional<std::pair<int, std::int64_t>> postponed;  // row, due on the counter
    std::size_t calls = 0, reminders = 0;
    std::int64_t lastReminderAt = -1;  // the pause after it may hold the tick a minute

    auto dueNow = [&](const Timer& t) { return t.in ? tick() >= t.dueTick : now() >= t.dueLocal; };
    auto lateBy = [&](const Timer& t) { return t.in ? tick() - t.dueTick : now() - t.dueLocal; };
    auto set = [&] {
      Timer t{static_cast<int>(between(0, kReminder)), chance(0.6), 0, 0};
      QuickTimerRequest request;
      request.action = ActionOf(t.row);
      if (t.row == kReminder) request.text = "timer";
      if (t.in) {
        request.minutes = static_cast<std::int32_t>(between(1, 90));
        t.dueTick = tick() + request.minutes * kM;
      } else {
        const std::int64_t at = (now() / kM + between(1, 120)) * kM;
        const std::time_t seconds = static_cast<std::time_t>(at / kS);
        std::tm tm = {};
        gmtime_r(&seconds, &tm);
        request.when = QuickTimerRequest::When::At;
        request.hour = tm.tm_hour;
        request.minute = tm.tm_min;
        t.dueLocal = at;
      }
      rig->unit.SetQuickTimer(request);
      counts[t.in ? "set in" : "set at"]++;
      timer = t;
    };

    const std::int64_t end = now() + 5 * 60 * kM;  // to midnight
    while (now() < end) {
      if (!shown) {
        if (!timer && !postponed && chance(0.01)) {
          set();
        } else if (timer && chance(0.002)) {
          counts["replaced"]++;
          set();  // the old one never runs
        } else if (timer && chance(0.002)) {
          counts["cancelled"]++;
          expect(timer->row, now(), "已取消");
          if (chance(0.5)) {
            rig->unit.MenuCommand(MenuItem::N23);
          } else if (!rig->unit.CancelQuickTimer()) {
            fault("/cancel found nothing to cancel");
          }
          timer.reset();
        } else if (timer && timer->in && chance(0.001)) {
          counts["clock ahead"]++;
          SetClock(rig->clock, now() + between(1, 3) * 60 * kM);
          rig->unit.TimeChanged();
        } else if (timer && chance(0.001)) {
          counts["restarted"]++;
          rig->unit.FormClose();
          auto next = std::make_unique<Rig>();
          next->registry = rig->registry;
          next->records = rig->records;
          next->clock = rig->clock;
          next->clock.Advance(static_cast<std::uint64_t>(between(1, 20) * kS));
          next->unit.FormCreate();
          rig = std::move(next);
          calls = 0;
          reminders = 0;
          postponed.reset();
          if (timer && dueNow(*timer) && lateBy(*timer) > 0) {
            // Came due while the program was closed: the first tick runs it late.
          }
        }
      }
      rig->view.RunFor(5 * kS);

      // The reminder task, and the reminder timer.
      while (rig->reminders.shown.size() > reminders) {
        const std::string& text = rig->reminders.shown[reminders++];
        if (text == "task") {
          lastReminderAt = tick();
          continue;
        }
        if (!timer || timer->row != kReminder || !dueNow(*timer)) {
          fault("a timer reminder nobody set for now");
          continue;
        }
        const std::int64_t late = lateBy(*timer);
        const std::int64_t allowed = 11 * kS + (lastReminderAt >= 0 && tick() - lastReminderAt < 75 * kS ? 61 * kS : 0);
        if (late > allowed) fault("the reminder timer came " + N(late / kS) + " s late");
        expect(kReminder, now(), late >= kM ? "迟了 " + N(late / kM) + " 分钟执行" : "已执行", 6 * kS);
        lastReminderAt = tick();
        counts["reminded"]++;
        timer.reset();
      }

      // A countdown that shows is the timer's, its postponement's, or the shutdown task's at 23:30.
      if (rig->view.shown && !shown) {
        const std::string caption = rig->view.texts[CountdownText::BitBtn1];
        int row = -1;
        if (timer && dueNow(*timer) && timer->row != kReminder) {
          row = timer->row;
          const std::int64_t late = lateBy(*timer);
          if (late > 11 * kS + 61 * kS) fault("a timer countdown came " + N(late / kS) + " s late");
          timer.reset();
        } else if (postponed && tick() >= postponed->second) {
          row = postponed->first;
          postponed.reset();
        } else if (caption == "立即关机" && now() % (24 * 60 * kM) >= (23 * 60 + 30) * kM) {
          rig->unit.BitBtn2Click();  // the shutdown task: cancelled, and monitoring back on
          rig->unit.N1Click();
          continue;
        } else {
          fault("a countdown nobody set for now: " + caption);
          rig->unit.BitBtn2Click();
          continue;
        }
        if (caption != "立即" + VerbOf(row)) fault("the countdown of " + VerbOf(row) + " says " + caption);
        shown = Shown{row, tick(), static_cast<int>(between(0, 3)), tick() + between(2, kTishiS - 5) * kS};
      }
      if (shown && shown->choice != 0 && tick() >= shown->actAt) {
        const int row = shown->row;
        if (shown->choice == 1) {
          rig->unit.BitBtn1Click();
          expect(row, now(), "已执行");
        } else if (shown->choice == 2) {
          rig->unit.BitBtn2Click();
          expect(row, now(), "已取消");
          if (!rig->view.n1Checked) fault("cancelling the timer's countdown switched monitoring off");
        } else {
          rig->unit.Postpone(5);
          expect(row, now(), "推迟 5 分钟");
          postponed = std::make_pair(row, tick() + 5 * kM);
        }
        counts["choice " + N(shown->choice)]++;
        shown.reset();
      } else if (shown && shown->choice == 0 && !rig->view.shown) {
        const std::int64_t ranAfter = tick() - shown->at;
        if (ranAfter < kTishiS * kS || ranAfter > kTishiS * kS + 6 * kS) {
          fault("the countdown ran out after " + N(ranAfter / kS) + " s");
        }
        expect(shown->row, now(), "已执行", 6 * kS);
        counts["choice 0"]++;
        shown.reset();
      }
      // Each power call is the one of the countdown the user was shown, once.
      while (rig->power.calls.size() > calls) {
        const std::string& call = rig->power.calls[calls++];
        const auto& lines = rig->RecordedLines();
        const std::string last = lines.empty() ? "" : lines.back();
        if (last.find("\t定时\t") == std::string::npos) {
          fault("a power call no timer made: " + call);
          continue;
        }
        const std::string tag = "\t定时\t";
        const std::string verb = last.substr(last.find(tag) + tag.size());
        if (CallOfVerb(verb.substr(0, verb.find('\t'))) != call) fault("the call " + call + " for " + verb);
        counts["calls"]++;
      }
    }

    // The record's timer lines, in order, as worked out.
    std::vector<std::string> lines;
    for (const std::string& line : rig->RecordedLines()) {
      if (line.find("\t定时\t") != std::string::npos) lines.push_back(line);
    }
    if (lines.size() != expected.size()) {
      fault(N(lines.size()) + " timer lines, expected " + N(expected.size()));
      continue;
    }
    for (std::size_t i = 0; i < lines.size(); ++i) {
      const Expected& e = expected[i];
      ClockSnapshot at{};
      const std::string& line = lines[i];
      at.wYear = static_cast<std::uint16_t>(std::stoi(line.substr(0, 4)));
      at.wMonth = static_cast<std::uint16_t>(std::stoi(line.substr(5, 2)));
      at.wDay = static_cast<std::uint16_t>(std::stoi(line.substr(8, 2)));
      at.wHour = static_cast<std::uint16_t>(std::stoi(line.substr(11, 2)));
      at.wMinute = static_cast<std::uint16_t>(std::stoi(line.substr(14, 2)));
      at.wSecond = static_cast<std::uint16_t>(std::stoi(line.substr(17, 2)));
      const std::string tail = "\t定时\t" + e.verb + "\t" + e.outcome;
      if (line.size() < tail.size() || line.compare(line.size() - tail.size(), tail.size(), tail) != 0) {
        fault("line " + line + ", expected " + e.verb + " " + e.outcome);
      } else if (LocalMs(at) < e.at - e.slack - kS || LocalMs(at) > e.at + e.slack) {
        fault("line " + line + " at the wrong time");
      }
    }
  }
  EXPECT_TRUE(faults.empty()) << faults.size() << " faults";
  for (const char* what : {"set in", "set at", "replaced", "cancelled", "clock ahead", "restarted", "reminded",
                           "choice 0", "choice 1", "choice 2", "choice 3"}) {
    EXPECT_GT(counts[what], 3) << what << ": the year must live each often enough to mean something";
  }
  EXPECT_GT(counts["calls"], 50);
}

}  // namespace
}  // namespace velmaro
