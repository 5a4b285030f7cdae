// Condition tasks over four simulated days and nights of jobs: downloads and
// renders that keep the network and the processor busy for a while and then
// finish, the downloader ending with them (now and then handing over to a new
// copy of itself mid-job), reminders of the day pausing the tick, the
// computer put to sleep or monitoring switched off and on in between, and
// another task's countdown of 15 minutes holding the tick after a job while
// the next one begins, postponed by the user and run when it comes back. What
// ran is checked against an expectation worked out here from the script
// alone: each finished job fires each of its three tasks once, in a window
// after its end, unless a sleep or monitoring off came first; a stretch
// completed under a countdown fires when the user postpones it, unless the
// next job began under it; nothing else ever fires.
#include <gtest/gtest.h>

#include <algorithm>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "tests/fakes/scheduler_rig.h"

namespace velmaro {
namespace {

constexpr std::uint64_t kNetMinutes = 8;  // 网络空闲8分钟50KB
constexpr std::uint64_t kCpuMinutes = 5;  // 处理器空闲5分钟20%
// How late a fire may come after its due moment: the first interval after
// the job may be one held back by a reminder's pause (70 s), and the firing
// tick as well.
constexpr std::uint64_t kLateMs = 140 * kSecond;
// How early: the interval that holds the job's last seconds may average below
// the threshold.
constexpr std::uint64_t kEarlyMs = 10 * kSecond;
constexpr std::int32_t kCountdownSeconds = 900;
// The rig starts at 07:59:55: the local time of day at simulated ms 0.
constexpr std::uint64_t kStartInDayMs = 7 * kHour + 59 * kMinute + 55 * kSecond;
constexpr std::uint64_t kDayMinutes[] = {8 * 60 + 13, 9 * 60 + 47, 14 * 60 + 2, 20 * 60 + 31, 23 * 60 + 58};

struct Expected {
  std::string text;
  std::uint64_t from, to;  // simulated ms
};

enum class Break { None, Sleep, MonitoringOff };

TEST(ConditionYear, EachFinishedJobFiresEachTaskOnceAndNothingElseEverFires) {
  std::mt19937 random(20261209);
  auto between = [&](std::uint64_t low, std::uint64_t high) {
    return std::uniform_int_distribution<std::uint64_t>(low, high)(random);
  };

  Rig rig;
  std::uint64_t now = 0;  // simulated ms since start
  std::vector<std::pair<std::string, std::uint64_t>> shown;
  // RunFor moves the fake clock's counter: `base` is where it stood at `now`.
  std::uint32_t base = 0;
  rig.reminders.whileShowing = [&] {
    shown.emplace_back(rig.reminders.shown.back(), now + static_cast<std::uint32_t>(rig.clock.tickCount - base));
  };
  auto run = [&](std::uint64_t ms) {
    base = rig.clock.tickCount;
    rig.view.RunFor(ms);
    now += ms;
  };
  auto setJob = [&](bool busy) {
    rig.load.Flow(rig.clock, busy ? 500 * 1024 : 0, busy ? 20 * 1024 : 0, busy ? 600 : 30);
  };
  auto setProgram = [&](bool running) {
    rig.processes.processes = {{4, u"System"}, {100, u"explorer.exe"}};
    if (running) rig.processes.processes.push_back({700, u"downloader.exe"});
  };

  setJob(false);
  setProgram(false);
  rig.Start({{"网络空闲8分钟50KB", "提醒", "net"},
             {"处理器空闲5分钟20%", "提醒", "cpu"},
             {"程序结束downloader.exe", "提醒", "prog"},
             {"每天8时13分", "提醒", "day"},
             {"每天9时47分", "提醒", "day"},
             {"每天14时2分", "提醒", "day"},
             {"每天20时31分", "提醒", "day"},
             {"每天23时58分", "提醒", "day"},
             {"", "", ""}},  // the countdown task, when one is due
            kCountdownSeconds);
  auto minuteOfDay = [](std::uint64_t at) { return (kStartInDayMs + at) / kMinute % (24 * 60); };
  // Whether a reminder of the day falls in the minutes from `from` to `to`.
  auto dayReminderBetween = [&](std::uint64_t from, std::uint64_t to) {
    for (std::uint64_t at = from; at <= to + kMinute; at += kMinute) {
      for (std::uint64_t day : kDayMinutes) {
        if (minuteOfDay(at) == day) return true;
      }
    }
    return false;
  };
  auto runTo = [&](std::uint64_t at) { run(at - now); };

  std::vector<Expected> expected;
  // The start of a job that began under the last one's countdown.
  std::optional<std::uint64_t> begunUnder;
  int downloadsUnder = 0, quietThrough = 0;
  for (int job = 0; job < 160; ++job) {
    // The job: 3 to 20 minutes busy with its program running; now and then
    // the program hands over to a new copy within 8 s.
    const std::uint64_t busyMs = between(3, 20) * kMinute;
    if (begunUnder) {
      // Busy since, at least a little past the countdown it began under.
      runTo(std::max(*begunUnder + busyMs, now + 20 * kSecond));
      begunUnder.reset();
    } else if (between(0, 3) == 0) {
      setJob(true);
      setProgram(true);
      const std::uint64_t handOver = between(2 * kMinute, busyMs - 30 * kSecond);
      run(handOver);
      setProgram(false);
      run(between(1, 8) * kSecond);
      setProgram(true);
      run(busyMs - handOver - 8 * kSecond);
    } else {
      setJob(true);
      setProgram(true);
      run(busyMs);
    }
    const std::uint64_t end = now;
    setJob(false);
    setProgram(false);
    expected.push_back({"prog", end + 30 * kSecond, end + 30 * kSecond + kLateMs + 40 * kSecond});

    // Now and then a countdown starts in the first minute that begins 2 min
    // after the job, once the program's reminder and its pause are over,
    // and with no reminder of the day near to delay it. Both stretches are
    // quiet for their minutes under it. The user postpones it 9 to 14
    // minutes later, by 5 minutes, and when it shows again runs it at once.
    const std::uint64_t countdownAt =
        (kStartInDayMs + end + 2 * kMinute + kMinute - 1) / kMinute * kMinute - kStartInDayMs;
    if (between(0, 2) == 0 && !dayReminderBetween(end - 3 * kMinute, countdownAt)) {
      const std::uint64_t minute = minuteOfDay(countdownAt);
      rig.Put(9, {("每天" + std::to_string(minute / 60) + "时" + std::to_string(minute % 60) + "分").c_str(), "关闭计算机",
                  ""});
      const std::uint64_t postponeAt = countdownAt + between(540, 840) * kSecond;
      const std::uint64_t backAt = postponeAt + 5 * kMinute;
      // The next job begins under the countdown (and a stretch armed anew
      // fires nothing for the one before), or after it.
      const bool under = between(0, 1) == 0;
      const std::uint64_t nextJob =
          under ? postponeAt - between(20, 300) * kSecond : postponeAt + between(60, 180) * kSecond;
      if (under) {
        ++downloadsUnder;
        runTo(nextJob);
        setJob(true);
        setProgram(true);
      } else {
        ++quietThrough;
        expected.push_back({"net", postponeAt, postponeAt + kLateMs});
        expected.push_back({"cpu", postponeAt, postponeAt + kLateMs});
      }
      runTo(postponeAt);
      EXPECT_TRUE(rig.view.shown) << "the countdown from " << countdownAt / 1000 << " s";
      rig.view.postponeChoice = 5;
      rig.unit.BitBtn3Click();
      if (!under) {
        runTo(nextJob);
        setJob(true);
        setProgram(true);
      }
      // Back within 70 s, the pause of a reminder included.
      runTo(backAt + 80 * kSecond);
      EXPECT_TRUE(rig.view.shown) << "the postponed countdown from " << backAt / 1000 << " s";
      rig.unit.BitBtn1Click();
      rig.Put(9, {"", "", ""});
      begunUnder = nextJob;
      continue;
    }

    // Quiet afterwards: short (the program's task fires, the others not),
    // or long; a break early (after the program's task, before the others)
    // or late (after all three), or none.
    const bool longQuiet = between(0, 2) != 0;
    const Break brk = static_cast<Break>(between(0, 2));
    const bool early = between(0, 1) == 0;
    const bool othersFire = longQuiet && !(brk != Break::None && early);
    if (othersFire) {
      expected.push_back({"net", end + kNetMinutes * kMinute - kEarlyMs, end + kNetMinutes * kMinute + kLateMs});
      expected.push_back({"cpu", end + kCpuMinutes * kMinute - kEarlyMs, end + kCpuMinutes * kMinute + kLateMs});
    }
    const std::uint64_t quietMs = longQuiet ? between(12, 40) * kMinute : between(150, 210) * kSecond;
    std::uint64_t breakAt = quietMs;  // from the job's end
    if (brk != Break::None) {
      breakAt = early ? between(180, 270) * kSecond : (longQuiet ? between(11 * 60, quietMs / kSecond) * kSecond : quietMs);
    }
    run(breakAt);
    if (brk == Break::Sleep) {
      rig.unit.Suspending();
      run(between(1, 90) * kMinute);
      rig.unit.Resumed();
    } else if (brk == Break::MonitoringOff) {
      rig.unit.N1Click();
      run(between(1, 30) * kMinute);
      rig.unit.N1Click();
    }
    if (quietMs > breakAt) run(quietMs - breakAt);
  }

  // Each expected fire once, in its window; and nothing else.
  std::vector<bool> used(shown.size(), false);
  for (const Expected& e : expected) {
    int found = 0;
    for (std::size_t i = 0; i < shown.size(); ++i) {
      if (!used[i] && shown[i].first == e.text && shown[i].second >= e.from && shown[i].second <= e.to) {
        used[i] = true;
        ++found;
        break;
      }
    }
    EXPECT_EQ(found, 1) << e.text << " between " << e.from / 1000 << " s and " << e.to / 1000 << " s";
  }
  for (std::size_t i = 0; i < shown.size(); ++i) {
    if (!used[i] && shown[i].first != "day") {
      ADD_FAILURE() << shown[i].first << " at " << shown[i].second / 1000 << " s, when nothing was due";
    }
  }
  EXPECT_GT(expected.size(), 250u) << "the jobs exercise every task";
  EXPECT_GT(downloadsUnder, 15) << "jobs begun under a countdown";
  EXPECT_GT(quietThrough, 15) << "countdowns over a finished job only";
}

}  // namespace
}  // namespace velmaro
